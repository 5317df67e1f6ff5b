// Tooltip text of a notification-area icon: the first layout of the icon data holds 64 wide
// characters, and texts are copied with a limit of 63 including the terminator.
#pragma once

#include <string_view>

namespace tov {

inline constexpr std::size_t kTooltipCapacity = 64;
inline constexpr std::size_t kTooltipMaxLength = 62;

constexpr std::wstring_view trayTooltip(std::wstring_view text) {
  return text.substr(0, kTooltipMaxLength);
}

}  // namespace tov
