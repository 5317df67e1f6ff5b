// Whole text files as bytes in the code page of the user's locale, and their safe replacement.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/code_page.h"

namespace tov {

// The ANSI code page of the user's locale, which text files are read and written in; the
// system's ANSI code page for a locale that has none (one written only in Unicode). Asked of the
// system each time, never of the C runtime's locale, which belongs to the program.
unsigned localeCodePage();
CharLayout charLayoutOf(unsigned codePage);

// Bytes of the code page as wide text; bytes that do not convert become the code page's default
// character. Only for showing and for paths, never for writing back.
std::wstring decodeText(std::string_view bytes, unsigned codePage);

// The whole file, or nothing when it cannot be opened or read, or is implausibly large.
std::optional<std::string> readWholeFile(const wchar_t* name);

// Writes `content` to a new file in the same folder as `name` and moves it over `name` in one
// step. On any failure `name` is left as it was and the new file is removed. A read-only `name`
// is a failure.
bool replaceFileContent(const wchar_t* name, std::string_view content);

}  // namespace tov
