#include "library_search.h"

#include "core/library_path.h"
#include "core/plugin_rules.h"

namespace tov {

namespace {

// Looked up rather than imported: TOV.exe still starts where the loader lacks it.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

bool isFile(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring fullPath(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring result(size, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), size, result.data(), nullptr);
  if (length == 0 || length >= size) return {};
  result.resize(length);
  return result;
}

std::wstring hostFolder() {
  std::wstring program(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
    if (length == 0) return {};
    if (length < program.size()) {
      program.resize(length);
      return folderOfPath(program);
    }
    program.resize(program.size() * 2);
  }
}

std::wstring workingFolder() {
  DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return {};
  std::wstring folder(size, L'\0');
  DWORD length = GetCurrentDirectoryW(size, folder.data());
  if (length == 0 || length >= size) return {};
  folder.resize(length);
  return folder;
}

}  // namespace

void restrictLibrarySearch() {
  auto setDefaultDllDirectories =
      reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefaultDllDirectories != nullptr &&
      setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)) {
    return;
  }
  // Without it, at least the working folder leaves the search.
  SetDllDirectoryW(L"");
}

std::optional<std::wstring> findPluginLibrary(const std::wstring& written) {
  for (const std::wstring& candidate : libraryCandidates(written, hostFolder(), workingFolder())) {
    std::wstring full = fullPath(candidate);
    if (!full.empty() && isFile(full)) return full;
  }
  return std::nullopt;
}

}  // namespace tov
