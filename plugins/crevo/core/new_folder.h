// The decisions of Crevo's Ctrl+K that need no window: which keystrokes trigger it, in which
// windows, and the keys it then types.
#pragma once

#include <array>
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

// From Windows 7 on, the shell's view makes a new folder on its own shortcut, Ctrl+Shift+N, in any
// language. The keys press Ctrl and Shift themselves rather than count on the user's: the user's
// releases may already be queued ahead of them. Every key pressed is released, so none stays down;
// none is the trigger key, so the hook passes its own keys on.
inline constexpr std::array<KeyEvent, 6> kNewFolderShortcutKeys = {{{VK_CONTROL, false},
                                                                    {VK_SHIFT, false},
                                                                    {'N', false},
                                                                    {'N', true},
                                                                    {VK_SHIFT, true},
                                                                    {VK_CONTROL, true}}};

// Where the trigger was pressed: the desktop, or a folder window with or without the shell's items
// view (Windows Vista on; folder windows of Windows XP have a classic list).
enum class NewFolderPlace { kDesktop, kItemsViewFolderWindow, kOtherFolderWindow };
enum class NewFolderWay { kMenuKeys, kShortcut };

// Which keys make the new folder there. `windowsVersion` is as GetVersion gives it: the major
// version in the lowest byte, the minor in the next. Windows XP and Vista have no shortcut; from
// Windows 7 on the desktop's list (still a classic list) and the items view take it, which needs no
// menu in English nor the context menu of Windows 11. A folder window without an items view keeps
// the menu keys, whose New and Folder its classic list's menu has.
NewFolderWay newFolderWay(std::uint32_t windowsVersion, NewFolderPlace place);

}  // namespace tov::crevo
