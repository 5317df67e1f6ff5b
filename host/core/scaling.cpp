#include "core/scaling.h"

namespace tov {

int scaleForDpi(int value, int dpi) {
  if (dpi <= 0) return value;
  // In 64 bits: the product of a pixel size and a scaling never overflows there.
  long long product = static_cast<long long>(value) * dpi;
  long long half = kDefaultDpi / 2;
  // A product of 0 gives 0 on either side, so 0 may go either way.
  long long scaled =
      product >= 0 ? (product + half) / kDefaultDpi : -((-product + half) / kDefaultDpi);
  return static_cast<int>(scaled);
}

Placement defaultPlacement(int dpi) {
  return {scaleForDpi(100, dpi), scaleForDpi(100, dpi), scaleForDpi(400, dpi),
          scaleForDpi(300, dpi)};
}

}  // namespace tov
