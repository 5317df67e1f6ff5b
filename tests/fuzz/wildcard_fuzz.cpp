// Chromal's folder patterns against the plain recursive definition, on short paths and patterns
// (where its exponential time does not matter), and any length without a fault.
#include <cwctype>

#include "fuzz_text.h"
#include "plugins/chromal/core/wildcard.h"

namespace {

bool sameLetter(wchar_t a, wchar_t b) {
  return std::towupper(static_cast<std::wint_t>(a)) == std::towupper(static_cast<std::wint_t>(b));
}

// "*" takes nothing or one more character; "?" one character; anything else itself.
bool matches(const wchar_t* path, const wchar_t* pattern) {
  if (*pattern == L'\0') return *path == L'\0';
  if (*pattern == L'*')
    return matches(path, pattern + 1) || (*path != L'\0' && matches(path + 1, pattern));
  if (*path == L'\0') return false;
  if (*pattern != L'?' && *pattern != *path && !sameLetter(*pattern, *path)) return false;
  return matches(path + 1, pattern + 1);
}

// Most units from a small alphabet, so that matches are common; the rest any unit.
wchar_t unitOf(std::uint8_t byte, std::uint8_t next) {
  static constexpr wchar_t kAlphabet[] = L"*?aAbB\\.\x00e9\x00c9";
  if (byte < 0xF0) return kAlphabet[byte % (std::size(kAlphabet) - 1)];
  return static_cast<wchar_t>(next | (byte & 0x0F) << 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  // The first byte splits the rest into the pattern and the path.
  std::size_t split = 1 + bytes[0] % size;
  std::wstring pattern;
  std::wstring path;
  for (std::size_t i = 1; i < size; ++i) {
    wchar_t unit = unitOf(bytes[i], i + 1 < size ? bytes[i + 1] : 0);
    if (bytes[i] >= 0xF0) ++i;
    (i < split ? pattern : path) += unit;
  }
  bool result = tov::chromal::wildcardMatch(path.c_str(), pattern.c_str());
  if (pattern.size() <= 10 && path.size() <= 12) {
    tov::fuzz::require(result == matches(path.c_str(), pattern.c_str()),
                       "the matcher disagrees with the recursive definition");
  }
  return 0;
}
