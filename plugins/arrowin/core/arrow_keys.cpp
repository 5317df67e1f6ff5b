#include "arrow_keys.h"

#include <algorithm>

namespace tov::arrowin {

std::int32_t targetKeyFor(const KeyTable& sources, const KeyTable& targets, std::int32_t count,
                          std::uintptr_t virtualKey) {
  const auto entries =
      static_cast<std::size_t>(std::clamp(count, 0, static_cast<std::int32_t>(kKeyTableSize)));
  for (std::size_t i = 0; i < entries; ++i) {
    if (sources[i] >= 0 && static_cast<std::uintptr_t>(sources[i]) == virtualKey) return targets[i];
  }
  return -1;
}

bool isKeyRelease(std::intptr_t keystrokeFlags) {
  return (static_cast<std::uint32_t>(keystrokeFlags) & 0x80000000u) != 0;
}

ShiftWrap shiftWrap(bool shiftDown, bool leftShiftDown, bool rightShiftDown) {
  if (!shiftDown) return ShiftWrap::kNone;
  if (!leftShiftDown) return ShiftWrap::kLeftShift;
  if (rightShiftDown) return ShiftWrap::kNone;
  return ShiftWrap::kRightShift;
}

std::uint16_t wrapKey(ShiftWrap wrap) {
  switch (wrap) {
    case ShiftWrap::kLeftShift:
      return VK_LSHIFT;
    case ShiftWrap::kRightShift:
      return VK_RSHIFT;
    case ShiftWrap::kNone:
      break;
  }
  return 0;
}

KeyEvents arrowEvents(std::int32_t targetKey, bool release, ShiftWrap wrap,
                      std::uint16_t wrapScanCode) {
  KeyEvent arrow{static_cast<std::uint16_t>(targetKey), 0, release ? KEYEVENTF_KEYUP : 0u};
  if (wrap == ShiftWrap::kNone) return {{arrow}, 1};
  // The right Shift is an extended key; the left one is not.
  std::uint32_t extended = wrap == ShiftWrap::kRightShift ? KEYEVENTF_EXTENDEDKEY : 0u;
  std::uint16_t shift = wrapKey(wrap);
  return {{KeyEvent{shift, wrapScanCode, extended}, arrow,
           KeyEvent{shift, wrapScanCode, extended | KEYEVENTF_KEYUP}},
          3};
}

}  // namespace tov::arrowin
