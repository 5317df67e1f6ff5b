// The library path of a HookOrder.ini line, any text: the files tried are the path as written,
// with the loader's extension rule, made full against a folder only when the path is bare or
// relative to the working folder.
#include "core/library_path.h"
#include "fuzz_text.h"

using namespace tov;
using tov::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(bytes), size);
  // Path, host folder and working folder, split at the first two bytes' positions.
  std::size_t a = size > 0 ? bytes[0] % (size + 1) : 0;
  std::size_t b = size > 1 ? a + bytes[1] % (size - a + 1) : a;
  std::wstring path = tov::fuzz::wideOf(input.substr(0, a));
  std::wstring host = tov::fuzz::wideOf(input.substr(a, b - a));
  std::wstring working = tov::fuzz::wideOf(input.substr(b));

  std::vector<std::wstring> candidates = libraryCandidates(path, host, working);
  require(path.empty() == candidates.empty(), "a path gave no file to try, or nothing gave one");
  std::wstring file = withLibraryExtension(path);
  require(file.compare(0, path.size(), path) == 0, "the extension rule changed the path");
  for (const std::wstring& candidate : candidates) {
    require(candidate.size() >= file.size() &&
                candidate.compare(candidate.size() - file.size(), file.size(), file) == 0,
            "a file to try does not end in the path as written");
  }
  libraryPathKind(path);
  return 0;
}
