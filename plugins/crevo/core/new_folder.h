// The decisions of Crevo's Ctrl+K that need no window: which keystrokes trigger it, in which
// windows, and the keys it then types.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/win32_names.h"

namespace tov::crevo {

inline constexpr std::uint8_t kInitialTriggerKey = 'K';

// Whether a keyboard hook call is the trigger's first press, before the Ctrl key is asked about:
// the trigger key, in use, neither a release (bit 31) nor an auto-repeat (bit 30), and a
// keystroke being removed (code 0, not HC_NOREMOVE, which is only a look at it). In that order,
// so that every other key costs one comparison.
bool isTriggerPress(std::uint8_t triggerKey, bool inUse, int code, std::uintptr_t virtualKey,
                    std::intptr_t keystrokeFlags);

inline constexpr wchar_t kFileListClass[] = L"SysListView32";

// The desktop ("Progman") or an Explorer window ("CabinetWClass", "ExploreWClass").
bool isNewFolderWindowClass(const wchar_t* className);
// An Explorer window only, whose items view (Windows Vista on) takes the shell's own shortcut.
bool isFolderWindowClass(const wchar_t* className);

struct KeyEvent {
  std::uint16_t virtualKey;
  bool up;
  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};
// Releases the Ctrl key the user still holds, then opens the background's context menu with the
// Applications key and picks New (W) and Folder (F) by their access keys.
inline constexpr std::array<KeyEvent, 7> kNewFolderKeys = {{{VK_CONTROL, true},
                                                            {VK_APPS, false},
                                                            {VK_APPS, true},
                                                            {'W', false},
                                                            {'W', true},
                                                            {'F', false},
                                                            {'F', true}}};

// In a folder window's items view the shell's own shortcut makes a new folder: Ctrl+Shift+N, with
// the Ctrl the user holds. Shift is pressed and released around N unless the user holds it too.
struct KeySequence {
  std::array<KeyEvent, 4> keys;
  std::size_t count;
};
KeySequence itemsViewNewFolderKeys(bool shiftHeld);

}  // namespace tov::crevo
