// Pushdown's command file, any bytes: the command is the file's first line as decoded, cut to
// fit the command buffer without leaving half a surrogate pair, and never empty-handed for an
// empty file.
#include "fuzz_text.h"
#include "plugins/pushdown/core/command_file.h"

using namespace tov::pushdown;
using tov::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  std::string_view content(reinterpret_cast<const char*>(bytes), size);
  std::string_view line = firstLineBytes(content);
  require(content.substr(0, line.size()) == line, "the first line is not where the file starts");
  require(line.find('\n') == std::string_view::npos, "the first line runs past a line feed");

  std::wstring decoded;
  std::wstring command = commandOfFile(content, [&](std::string_view first) {
    decoded = tov::fuzz::wideOf(first);
    return decoded;
  });
  if (content.empty()) {
    require(command == kDefaultCommand, "an empty file did not give the default command");
    return 0;
  }
  require(command.size() < kCommandCapacity, "the command does not fit its buffer");
  require(decoded.compare(0, command.size(), command) == 0, "the command is not the line's start");
  require(command.find(L'\0') == std::wstring::npos, "the command holds a null");
  if (!command.empty() && command.size() < decoded.size() && decoded[command.size()] != L'\0') {
    require(command.size() >= kCommandCapacity - 2, "the command was cut short");
    // The decoded line may hold lone surrogates of its own; the cut must not make one.
    const wchar_t last = command.back();
    const wchar_t next = decoded[command.size()];
    require(!(last >= 0xD800 && last <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF),
            "the cut split a surrogate pair");
  }
  return 0;
}
