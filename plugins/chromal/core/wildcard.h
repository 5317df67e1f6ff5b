// The folder patterns of Chromal.conf: "*" is any run of characters (none included), "?" exactly
// one character, everything else itself, letter case ignored; the whole path must match.
#pragma once

namespace tov::chromal {

// Whether `pattern` matches all of `path`. Null never matches. Time grows with the product of
// the two lengths at worst, never exponentially: the rules are matched on the host's only thread,
// and a pattern such as "*a*a*a*a*b" must not freeze the tray.
bool wildcardMatch(const wchar_t* path, const wchar_t* pattern);

}  // namespace tov::chromal
