// Letter-to-arrow translation without Windows: the key tables, which letter event becomes which
// arrow event, and which Shift events wrap it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/win32_names.h"

namespace tov::arrowin {

// The key that must be held unless the user chose another: the no-conversion key of Japanese
// keyboards.
inline constexpr std::int32_t kInitialModifierKey = VK_NONCONVERT;

// The keys the user may choose to hold instead (Arrowin's menu, in its order): Caps Lock, the
// right Alt key, the no-conversion key. The choice is kept in TOV.ini and published in TOV's
// session block under kLayerKeyValue, where the hooks read it.
inline constexpr std::array<std::int32_t, 3> kLayerKeys = {VK_CAPITAL, VK_RMENU, VK_NONCONVERT};
inline constexpr wchar_t kLayerKeyValue[] = L"Arrowin.layerKey";
// The layer key a stored or published value names; nothing, or any other value (a hand-edited
// TOV.ini, a block of another layout), names the no-conversion key.
std::int32_t layerKeyFrom(std::optional<std::int32_t> value);

// Whether the arrows are on: the layer key is held, and with the right Alt key no Ctrl is. Where
// the right Alt key is AltGr (German, French, Polish and many other layouts) the system holds
// Ctrl with it, and AltGr with a letter of the table types the layout's own character (the euro
// on AltGr+E, an l with stroke on AltGr+L): those stay the layout's.
bool layerHeld(std::int32_t layerKey, bool layerDown, bool controlDown);

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
  std::array<KeyEvent, 9> events;
  std::size_t count;
};

// With the right Alt key as layer key the arrow would arrive as Alt+arrow (back in a browser, up
// one folder in Explorer): the Alt key is released before it and pressed again after it. A key no
// keyboard has (kMaskKey, which the system leaves unassigned) is tapped before that release and
// after that press, because a program takes an Alt press and release with no other key between
// them as the Alt key tapped alone and opens its menu bar: neither the release nor the user's own
// release later does.
struct AltLift {
  bool lift = false;
  std::uint16_t altScanCode = 0;  // the right Alt key's, which the caller looked up
};
inline constexpr std::uint16_t kMaskKey = 0xE8;

// The events injected for one letter event: the arrow (scan code 0, key-up on a release), inside
// the Shift press and release of the wrap, whose scan code the caller looked up, inside the Alt
// lift when there is one.
KeyEvents arrowEvents(std::int32_t targetKey, bool release, ShiftWrap wrap,
                      std::uint16_t wrapScanCode, const AltLift& lift = {});

// ---- Caps Lock as layer key ----
//
// The system toggles Caps Lock when the key goes down, before any program or hook sees the key.
// So a hold that typed arrows has toggled it all the same: once Caps Lock is up again, one more
// press and release of it (capsLockTap) toggles it back, and its state is what it was before the
// hold. A hold without a letter of the table is a tap and keeps its toggle.
//
// Bit 30 of a keyboard hook's keystroke flags: the key was down already (an auto-repeat).
bool isKeyRepeat(std::intptr_t keystrokeFlags);
// What a Caps Lock event asks of the hook: its first press begins a hold; its release after a
// hold that typed arrows toggles Caps Lock back.
enum class CapsLockStep { kNone, kHoldBegins, kToggleBack };
CapsLockStep capsLockStep(std::intptr_t keystrokeFlags, bool holdTypedArrows);
KeyEvents capsLockTap(std::uint16_t scanCode);

// The arrows still held for letters when Arrowin stops or is switched off: each arrow that is
// down while a letter that types it is down too. The letter's release will reach the program as
// itself, so the arrow's never would. Each arrow once, in table order; returns how many.
using KeyDown = bool (*)(std::int32_t virtualKey);
std::size_t arrowsHeldByLetters(const KeyTable& sources, const KeyTable& targets, KeyDown isDown,
                                KeyTable& arrows);

}  // namespace tov::arrowin
