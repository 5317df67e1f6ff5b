#include "command_file.h"

namespace tov::pushdown {

std::string_view firstLineBytes(std::string_view content) {
  // No byte of a character of a Windows code page is an LF but the LF itself, so the line can be
  // cut before decoding.
  std::size_t end = content.find('\n');
  if (end == std::string_view::npos) return content;
  std::string_view line = content.substr(0, end);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::wstring commandOfLine(std::wstring line) {
  std::size_t end = line.find(L'\0');
  if (end != std::wstring::npos) line.resize(end);
  if (line.size() >= kCommandCapacity) {
    line.resize(kCommandCapacity - 1);
    if (line.back() >= 0xD800 && line.back() <= 0xDBFF) line.pop_back();
  }
  return line;
}

}  // namespace tov::pushdown
