#include "wildcard.h"

#include <cwctype>

namespace tov::chromal {

namespace {

bool sameLetter(wchar_t a, wchar_t b, CapitalOf capital) {
  return a == b || capital(static_cast<std::wint_t>(a)) == capital(static_cast<std::wint_t>(b));
}

}  // namespace

std::wint_t runtimeCapital(std::wint_t character) { return std::towupper(character); }

bool wildcardMatch(const wchar_t* path, const wchar_t* pattern, CapitalOf capital) {
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
    } else if (*pattern != L'\0' && (*pattern == L'?' || sameLetter(*pattern, *path, capital))) {
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
