#include "core/library_path.h"

namespace tov {

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool hasDrive(std::wstring_view path) {
  return path.size() >= 2 && path[1] == L':' &&
         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

// folder + "\" + name, without doubling the separator of a root such as "C:\".
std::wstring joined(std::wstring_view folder, std::wstring_view name) {
  std::wstring result(folder);
  if (!result.empty() && !isSeparator(result.back())) result += L'\\';
  result += name;
  return result;
}

}  // namespace

LibraryPathKind libraryPathKind(std::wstring_view path) {
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    return LibraryPathKind::kFull;  // UNC or "\\?\"
  }
  if (hasDrive(path) && path.size() >= 3 && isSeparator(path[2])) return LibraryPathKind::kFull;
  if (hasDrive(path) || path.find_first_of(L"\\/") != std::wstring_view::npos) {
    return LibraryPathKind::kRelative;
  }
  return LibraryPathKind::kBareName;
}

std::wstring withLibraryExtension(std::wstring_view path) {
  std::size_t nameStart = path.find_last_of(L"\\/:");
  nameStart = nameStart == std::wstring_view::npos ? 0 : nameStart + 1;
  std::wstring result(path);
  if (nameStart < path.size() && path.find(L'.', nameStart) == std::wstring_view::npos) {
    result += L".dll";
  }
  return result;
}

std::vector<std::wstring> libraryCandidates(std::wstring_view path, std::wstring_view hostFolder,
                                            std::wstring_view workingFolder) {
  if (path.empty()) return {};
  std::wstring file = withLibraryExtension(path);
  switch (libraryPathKind(path)) {
    case LibraryPathKind::kBareName: {
      std::vector<std::wstring> candidates;
      if (!hostFolder.empty()) candidates.push_back(joined(hostFolder, file));
      candidates.push_back(joined(workingFolder, file));
      return candidates;
    }
    case LibraryPathKind::kRelative:
      // A drive or a leading separator names a place the working folder does not reach.
      if (hasDrive(path) || isSeparator(path[0])) return {file};
      return {joined(workingFolder, file)};
    case LibraryPathKind::kFull:
      break;
  }
  return {file};
}

}  // namespace tov
