#include "arrow_keys.h"

#include <algorithm>
#include <cstddef>

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

namespace {

void append(KeyEvents& events, KeyEvent event) { events.events[events.count++] = event; }

void tapMaskKey(KeyEvents& events) {
  append(events, {kMaskKey, 0, 0});
  append(events, {kMaskKey, 0, KEYEVENTF_KEYUP});
}

}  // namespace

std::int32_t layerKeyFrom(std::optional<std::int32_t> value) {
  for (std::int32_t key : kLayerKeys)
    if (value == key) return key;
  return kInitialModifierKey;
}

bool layerHeld(std::int32_t layerKey, bool layerDown, bool controlDown) {
  return layerDown && !(layerKey == VK_RMENU && controlDown);
}

KeyEvents arrowEvents(std::int32_t targetKey, bool release, ShiftWrap wrap,
                      std::uint16_t wrapScanCode, const AltLift& lift) {
  KeyEvents events{{}, 0};
  // The right Alt key, like the right Shift key, is an extended key.
  if (lift.lift) {
    tapMaskKey(events);
    append(events, {VK_RMENU, lift.altScanCode, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP});
  }
  // The right Shift is an extended key; the left one is not.
  std::uint32_t extended = wrap == ShiftWrap::kRightShift ? KEYEVENTF_EXTENDEDKEY : 0u;
  std::uint16_t shift = wrapKey(wrap);
  if (wrap != ShiftWrap::kNone) append(events, {shift, wrapScanCode, extended});
  append(events, {static_cast<std::uint16_t>(targetKey), 0, release ? KEYEVENTF_KEYUP : 0u});
  if (wrap != ShiftWrap::kNone) append(events, {shift, wrapScanCode, extended | KEYEVENTF_KEYUP});
  if (lift.lift) {
    append(events, {VK_RMENU, lift.altScanCode, KEYEVENTF_EXTENDEDKEY});
    tapMaskKey(events);
  }
  return events;
}

bool isKeyRepeat(std::intptr_t keystrokeFlags) {
  return (static_cast<std::uint32_t>(keystrokeFlags) & 0x40000000u) != 0;
}

CapsLockStep capsLockStep(std::intptr_t keystrokeFlags, bool holdTypedArrows) {
  if (isKeyRelease(keystrokeFlags))
    return holdTypedArrows ? CapsLockStep::kToggleBack : CapsLockStep::kNone;
  return isKeyRepeat(keystrokeFlags) ? CapsLockStep::kNone : CapsLockStep::kHoldBegins;
}

KeyEvents capsLockTap(std::uint16_t scanCode) {
  KeyEvents events{{}, 0};
  append(events, {VK_CAPITAL, scanCode, 0});
  append(events, {VK_CAPITAL, scanCode, KEYEVENTF_KEYUP});
  return events;
}

std::size_t arrowsHeldByLetters(const KeyTable& sources, const KeyTable& targets, KeyDown isDown,
                                KeyTable& arrows) {
  std::size_t count = 0;
  for (std::size_t i = 0; std::int32_t source : sources) {
    std::int32_t target = targets[i++];
    auto listed = arrows.begin() + static_cast<std::ptrdiff_t>(count);
    if (std::find(arrows.begin(), listed, target) == listed && isDown(source) && isDown(target))
      arrows[count++] = target;
  }
  return count;
}

}  // namespace tov::arrowin
