#include "fade.h"

#include <algorithm>

namespace tov::fadeon {

bool takesPartInPass(bool normalTopLevel, bool cloaked) { return normalTopLevel && !cloaked; }

std::uint8_t alphaWhenCovered(std::uint8_t alpha, std::uint8_t step, std::uint8_t minAlpha) {
  auto lowered = static_cast<std::uint8_t>((alpha + step) & 0xFF);
  return std::max(lowered, minAlpha);
}

}  // namespace tov::fadeon
