// The folder patterns of Chromal.conf: "*" is any run of characters (none included), "?" exactly
// one character, everything else itself, letter case ignored; the whole path must match.
#pragma once

#include <cwchar>

namespace tov::chromal {

// A character's capital letter (itself when it has none): whose casing rules is the caller's
// choice. Chromal gives the system's casing of the user's locale; the default is the C runtime's
// towupper, whose answer depends on the locale the program set.
using CapitalOf = std::wint_t (*)(std::wint_t character);
std::wint_t runtimeCapital(std::wint_t character);

// Whether `pattern` matches all of `path`. Null never matches. Time grows with the product of
// the two lengths at worst, never exponentially: the rules are matched on the host's only thread,
// and a pattern such as "*a*a*a*a*b" must not freeze the tray.
bool wildcardMatch(const wchar_t* path, const wchar_t* pattern, CapitalOf capital = runtimeCapital);

}  // namespace tov::chromal
