// Where a plug-in library named in HookOrder.ini is looked for. The host loads every plug-in by a
// full path, because its own search for libraries is restricted to the system folder and its own
// folder; these rules keep finding plug-ins where users have always put them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tov {

enum class LibraryPathKind {
  kBareName,  // "Minimize.dll": beside TOV.exe, else in the working folder
  kRelative,  // "plugins\Minimize.dll", "..\Minimize.dll", "\TOV\Minimize.dll", "C:Minimize.dll"
  kFull,      // "C:\TOV\Minimize.dll", "\\server\share\Minimize.dll"
};

LibraryPathKind libraryPathKind(std::wstring_view path);

// The loader's own rule, kept for names written without one: a file name without an extension
// gets ".dll"; a final dot stands for "no extension" and is left for the loader.
std::wstring withLibraryExtension(std::wstring_view path);

// The files to try, in order, for a path as written. Each may still be relative ("\TOV\x.dll",
// "C:x.dll", or with "..") and is made full against the working folder before it is loaded.
std::vector<std::wstring> libraryCandidates(std::wstring_view path, std::wstring_view hostFolder,
                                            std::wstring_view workingFolder);

}  // namespace tov
