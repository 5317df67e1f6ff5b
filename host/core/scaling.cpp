#include "core/scaling.h"

#include <cstdint>
#include <limits>

namespace tov {

int scaleForDpi(int value, int dpi) {
  if (dpi <= 0) return value;
  std::int64_t product = static_cast<std::int64_t>(value) * dpi;
  std::int64_t half = kDefaultDpi / 2;
  std::int64_t scaled =
      product >= 0 ? (product + half) / kDefaultDpi : -((-product + half) / kDefaultDpi);
  // A value stored by hand may be anything: saturate rather than wrap.
  if (scaled > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (scaled < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(scaled);
}

Placement defaultPlacement(int dpi) {
  return {scaleForDpi(100, dpi), scaleForDpi(100, dpi), scaleForDpi(400, dpi),
          scaleForDpi(300, dpi)};
}

}  // namespace tov
