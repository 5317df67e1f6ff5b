// Decisions of the host's plug-in records that need no window: which default follows a command
// the plug-in declined, which image file shows its state, how many plug-ins fit, and the text of
// the list window's number columns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/win32_names.h"

namespace tov {

enum class DefaultAction {
  kNone,            // the command is not handled
  kToggleUse,       // flip the in-use flag
  kShowMenu,        // pop up the plug-in's menu at the cursor
  kToggleTrayIcon,  // show or hide the plug-in's tray icon
};

// What the host does for a command offset the plug-in returned false for. Offset 1 carries the
// mouse message of a tray icon: a press or double click flips, a right release shows the menu.
DefaultAction defaultAction(int offset, std::intptr_t param);

// The image file of a plug-in's state, relative to the current folder.
std::wstring stateIconFile(std::wstring_view pluginName, bool inUse);

// Whether one more plug-in, which would get this id, can receive all of its commands: a block
// of a thousand identifiers must fit below 65536.
bool canLoadAnotherPlugin(int liveCount);
// The warning shown instead of loading a line once the list is full.
std::wstring tooManyPluginsMessage(std::wstring_view line);

// "%02d": at least two digits.
std::wstring twoDigits(int value);

// The folder of a program's full path, without the final separator ("C:\TOV\TOV.exe" gives
// "C:\TOV", "C:\TOV.exe" gives "C:"); nothing when the path holds no folder.
std::wstring folderOfPath(std::wstring_view path);

}  // namespace tov
