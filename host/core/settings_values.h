// The value rules of the host's settings files, without Windows: where a file lies and how a
// stored text becomes an integer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tov {

// The profile functions get their path in a buffer of this many wide characters.
inline constexpr std::size_t kSettingsPathCapacity = 260;

// What the profile read returns for a missing file, section or key; a stored value equal to it
// reads as missing too.
inline constexpr std::wstring_view kMissingSetting = L"shazbot!";

// Longest value the read takes; the profile function cuts anything longer.
inline constexpr std::size_t kSettingValueCapacity = 128;

// ".\" + base + ".ini", relative to the current folder, or nothing when that path (with its
// terminator) would not fit in kSettingsPathCapacity: a longer base is refused, never cut.
std::optional<std::wstring> settingsPath(std::wstring_view base);

// The integer a stored text stands for: leading white space, an optional sign and decimal digits;
// anything else ends the number, no digits read as 0, and values beyond 32 bits saturate.
// kMissingSetting gives the default.
int settingValue(std::wstring_view stored, int defaultValue);

// The text written for a value ("%d").
std::wstring settingText(int value);

}  // namespace tov
