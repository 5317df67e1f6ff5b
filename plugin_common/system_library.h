// A library loaded from the Windows system folder and from nowhere else, for TOV.exe and the
// plug-ins alike. TOV.exe often runs from a downloads folder, where anyone may leave a file named
// like a system library, and the plug-ins run inside every program, each with a current folder of
// its own: a library beyond those Windows always takes from the system folder is never imported,
// only loaded here when it is needed. No allocation, so a hook may call it too.
#pragma once

#include <windows.h>

namespace tov {

// The library `name` (a bare file name) from the system folder, or null.
inline HMODULE loadSystemLibrary(const wchar_t* name) {
  HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return library;
  // A loader that does not know the flag (Windows 7 without its loader update): the system
  // folder is named outright.
  wchar_t path[MAX_PATH];
  UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + lstrlenW(name) + 2 > MAX_PATH) return nullptr;
  path[length] = L'\\';
  lstrcpyW(path + length + 1, name);
  return LoadLibraryW(path);
}

}  // namespace tov
