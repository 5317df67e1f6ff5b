// The folder a shell window shows, asked of the shell's automation objects (COM, on the host's
// thread, whose apartment main() opens).
#pragma once

#include <windows.h>

namespace tov {

// Writes the file-system folder that `explorerWindow` shows into `buffer` (MAX_PATH characters);
// false, with "unkown" left there, when no open shell window is that window or its location is
// no folder. Of a window with tabs, the shown tab's folder.
bool findExplorerFolder(HWND explorerWindow, wchar_t* buffer);

}  // namespace tov
