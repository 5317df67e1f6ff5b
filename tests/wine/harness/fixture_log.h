// The fixture programs' log: one line per event, appended to a file the test reads while the
// fixture runs. Each write is one WriteFile of a whole line, so a reader never sees half of one.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace tov::test {

inline HANDLE logFile = INVALID_HANDLE_VALUE;

// printf-style; a line longer than the buffer is cut, and always ends in a line feed.
inline void log(const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(line, sizeof line - 1, format, args);
  va_end(args);
  if (length < 0) return;
  if (length > static_cast<int>(sizeof line) - 2) length = static_cast<int>(sizeof line) - 2;
  line[length++] = '\n';
  DWORD written = 0;
  WriteFile(logFile, line, static_cast<DWORD>(length), &written, nullptr);
}

}  // namespace tov::test
