// Letter-to-arrow translation without Windows: the key tables, which letter event becomes which
// arrow event, and which Shift events wrap it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/win32_names.h"

namespace tov::arrowin {

// The key that must be held: the no-conversion key of Japanese keyboards.
inline constexpr std::int32_t kInitialModifierKey = VK_NONCONVERT;

inline constexpr std::size_t kKeyTableSize = 8;
using KeyTable = std::array<std::int32_t, kKeyTableSize>;
// E D A F and K J H L, each replaced by the arrow in the same entry.
inline constexpr KeyTable kInitialSourceKeys = {0x45, 0x44, 0x41, 0x46, 0x4B, 0x4A, 0x48, 0x4C};
inline constexpr KeyTable kInitialTargetKeys = {0x26, 0x28, 0x25, 0x27, 0x26, 0x28, 0x25, 0x27};

// The arrow for a virtual key: the target of the first of the first `count` entries whose source
// matches (a count beyond the tables is cut to them), or -1 when the key is not in the table.
std::int32_t targetKeyFor(const KeyTable& sources, const KeyTable& targets, std::int32_t count,
                          std::uintptr_t virtualKey);

// Bit 31 of a keyboard hook's keystroke flags: the key is being released.
bool isKeyRelease(std::intptr_t keystrokeFlags);

// Which Shift press and release surround the arrow, from the Shift keys held at that moment.
enum class ShiftWrap {
  kNone,        // no Shift held, or both
  kLeftShift,   // only the right Shift held
  kRightShift,  // only the left Shift held
};
ShiftWrap shiftWrap(bool shiftDown, bool leftShiftDown, bool rightShiftDown);
// The Shift key a wrap presses (VK_LSHIFT, VK_RSHIFT; 0 for none).
std::uint16_t wrapKey(ShiftWrap wrap);

struct KeyEvent {
  std::uint16_t virtualKey;
  std::uint16_t scanCode;
  std::uint32_t flags;  // KEYEVENTF_EXTENDEDKEY, KEYEVENTF_KEYUP
  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};
struct KeyEvents {
  std::array<KeyEvent, 3> events;
  std::size_t count;
};

// The events injected for one letter event: the arrow (scan code 0, key-up on a release), inside
// the Shift press and release of the wrap, whose scan code the caller looked up.
KeyEvents arrowEvents(std::int32_t targetKey, bool release, ShiftWrap wrap,
                      std::uint16_t wrapScanCode);

// The arrows still held for letters when Arrowin stops or is switched off: each arrow that is
// down while a letter that types it is down too. The letter's release will reach the program as
// itself, so the arrow's never would. Each arrow once, in table order; returns how many.
using KeyDown = bool (*)(std::int32_t virtualKey);
std::size_t arrowsHeldByLetters(const KeyTable& sources, const KeyTable& targets, KeyDown isDown,
                                KeyTable& arrows);

}  // namespace tov::arrowin
