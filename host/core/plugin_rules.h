// Decisions of the host's plug-in records that need no window: which default follows a command
// the plug-in declined, which image file shows its state, how many plug-ins fit, the text of the
// list window's number columns, and what becomes of the plug-ins when the session ends.
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

// What the host does when Windows tells it how a request to end the session went
// (WM_ENDSESSION, after every program answered WM_QUERYENDSESSION).
struct SessionEndSteps {
  // Write the plug-ins' flags into HookOrder.ini, before anything else: once the message has
  // returned the process may be ended at any moment.
  bool save = false;
  // Take every plug-in's hooks off and free it, the host staying.
  bool unload = false;
  // End TOV as "&Quit" does, which frees the plug-ins on the way.
  bool quit = false;
};
// `ending`: the message's wParam, false when another program or the user cancelled the end: the
// session goes on, and so does every plug-in. `reasons`: its lParam, ENDSESSION_ bits. The
// restart manager (an installer that must replace a file TOV holds) asks with
// ENDSESSION_CLOSEAPP for TOV alone to close; the session goes on without it.
SessionEndSteps sessionEndSteps(bool ending, std::uint32_t reasons);

}  // namespace tov
