// Options of the host's command line. Each is recognised when it occurs anywhere in the line,
// case-sensitively, as plain text.
#pragma once

#include <string_view>

namespace tov {

inline constexpr std::wstring_view kOptionHide = L"/hide";  // no tray icon at start-up
inline constexpr std::wstring_view kOptionWindow = L"/w";   // show the main window

constexpr bool hasOption(std::wstring_view commandLine, std::wstring_view option) {
  return commandLine.find(option) != std::wstring_view::npos;
}

}  // namespace tov
