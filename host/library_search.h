// Where the host's process takes libraries from. TOV.exe often runs from a downloads folder, where
// anyone may leave a file named like a system library: nothing is ever loaded from the working
// folder or PATH, libraries beyond the always-present system ones are taken from the system
// folder alone, and plug-ins are loaded by full path.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// loadSystemLibrary: a library from the system folder, or null.
#include "system_library.h"

namespace tov {

// The process's first act: later loads, by Windows or by any library on the host's behalf,
// look only in the program's folder, the system folder and folders added on purpose.
void restrictLibrarySearch();

// The full path of the plug-in library a HookOrder.ini line names (a bare name beside TOV.exe or
// in the working folder, a relative path from the working folder, a full path), or nothing when
// no such file exists.
std::optional<std::wstring> findPluginLibrary(const std::wstring& written);

}  // namespace tov
