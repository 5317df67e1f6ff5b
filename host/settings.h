// Small integer settings in profile files ".\<base>.ini" in the current folder.
#pragma once

namespace tov {

// The stored value, or defaultValue when the file, section or key is missing or the base name is
// too long for a path.
int readSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                   int defaultValue);
// False when the value could not be written (including a base name too long for a path).
bool writeSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key, int value);

}  // namespace tov
