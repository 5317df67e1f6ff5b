#include "settings.h"

#include <windows.h>

#include "core/settings_values.h"

namespace tov {

int readSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                   int defaultValue) {
  if (base == nullptr) return defaultValue;
  std::optional<std::wstring> path = settingsPath(base);
  if (!path) return defaultValue;
  wchar_t value[kSettingValueCapacity];
  const std::wstring missing(kMissingSetting);
  DWORD length = GetPrivateProfileStringW(section, key, missing.c_str(), value,
                                          static_cast<DWORD>(kSettingValueCapacity), path->c_str());
  return settingValue(std::wstring_view(value, length), defaultValue);
}

bool writeSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key, int value) {
  if (base == nullptr) return false;
  std::optional<std::wstring> path = settingsPath(base);
  if (!path) return false;
  return WritePrivateProfileStringW(section, key, settingText(value).c_str(), path->c_str()) == 1;
}

}  // namespace tov
