#include "settings_values.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tov {

std::optional<std::wstring> settingsPath(std::wstring_view base) {
  constexpr std::wstring_view prefix = L".\\";
  constexpr std::wstring_view extension = L".ini";
  if (prefix.size() + base.size() + extension.size() + 1 > kSettingsPathCapacity) {
    return std::nullopt;
  }
  std::wstring path;
  path.reserve(prefix.size() + base.size() + extension.size());
  path.append(prefix).append(base).append(extension);
  return path;
}

namespace {
bool isSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
}  // namespace

int settingValue(std::wstring_view stored, int defaultValue) {
  if (stored == kMissingSetting) return defaultValue;
  std::size_t i = 0;
  while (i < stored.size() && isSpace(stored[i])) ++i;
  bool negative = false;
  if (i < stored.size() && (stored[i] == L'+' || stored[i] == L'-')) {
    negative = stored[i] == L'-';
    ++i;
  }
  constexpr std::int64_t limit = std::int64_t{std::numeric_limits<int>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < stored.size() && stored[i] >= L'0' && stored[i] <= L'9'; ++i) {
    magnitude = std::min(magnitude * 10 + (stored[i] - L'0'), limit);
  }
  std::int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int>(std::min<std::int64_t>(value, std::numeric_limits<int>::max()));
}

std::wstring settingText(int value) { return std::to_wstring(value); }

}  // namespace tov
