#include "wildcard.h"

#include <cwctype>

namespace tov::chromal {

namespace {

// Case is folded under the runtime's locale, which the library sets to the user's.
bool sameLetter(wchar_t a, wchar_t b) {
  return a == b ||
         std::towupper(static_cast<std::wint_t>(a)) == std::towupper(static_cast<std::wint_t>(b));
}

}  // namespace

bool wildcardMatch(const wchar_t* path, const wchar_t* pattern) {
  if (path == nullptr || pattern == nullptr) return false;
  if (pattern[0] == L'*' && pattern[1] == L'\0') return true;
  // Greedy: each "*" first takes nothing; on a mismatch the last "*" seen takes one character
  // more and matching resumes right after it. Returning to an earlier "*" is never needed: the
  // last one can already absorb anything an earlier one could.
  const wchar_t* star = nullptr;    // just past the last "*" met
  const wchar_t* resume = nullptr;  // where the path continues when that "*" takes one more
  while (*path != L'\0') {
    if (*pattern == L'*') {
      star = ++pattern;
      resume = path;
    } else if (*pattern != L'\0' && (*pattern == L'?' || sameLetter(*pattern, *path))) {
      ++pattern;
      ++path;
    } else if (star != nullptr) {
      pattern = star;
      path = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == L'*') ++pattern;
  return *pattern == L'\0';
}

}  // namespace tov::chromal
