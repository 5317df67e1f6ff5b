// The command a hold over the desktop or the taskbar runs, as "DesktopPushdownCommand.ini" gives
// it: the file's first line, read as a text-mode stream of the user's code page reads it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tov::pushdown {

inline constexpr wchar_t kCommandFileName[] = L"DesktopPushdownCommand.ini";
// Run when there is no file, or nothing in it.
inline constexpr wchar_t kDefaultCommand[] = L"explorer.exe";
// Wide characters of a command, terminator included.
inline constexpr std::size_t kCommandCapacity = 260;

// The bytes of the first line: up to the first LF, without it and without a CR right before it
// (text mode reads CR LF as LF; a CR elsewhere stays).
std::string_view firstLineBytes(std::string_view content);

// The decoded first line as the command: it ends at a NUL, and holds at most
// kCommandCapacity - 1 characters, never the first half of a surrogate pair alone.
std::wstring commandOfLine(std::wstring line);

// The command of a file with this content; `decode` turns bytes of the code page into wide text.
template <class Decode>
std::wstring commandOfFile(std::string_view content, Decode decode) {
  if (content.empty()) return kDefaultCommand;  // nothing to read: the default stays
  return commandOfLine(decode(firstLineBytes(content)));
}

}  // namespace tov::pushdown
