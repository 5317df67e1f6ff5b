#include "core/settings_values.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace tov {
namespace {

TEST(SettingsPath, IsRelativeToTheCurrentFolder) {
  EXPECT_EQ(settingsPath(L"TOV"), L".\\TOV.ini");
  EXPECT_EQ(settingsPath(L""), L".\\.ini");
}

TEST(SettingsPath, LongestBaseThatFitsIs253Characters) {
  std::wstring base(253, L'x');
  auto path = settingsPath(base);
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(path->size() + 1, kSettingsPathCapacity);  // the terminator uses the last place
  EXPECT_EQ(settingsPath(std::wstring(254, L'x')), std::nullopt);
  EXPECT_EQ(settingsPath(std::wstring(5000, L'x')), std::nullopt);
}

TEST(SettingValue, MissingMarkerGivesTheDefault) {
  EXPECT_EQ(settingValue(L"shazbot!", 100), 100);
  EXPECT_EQ(settingValue(L"shazbot!", -7), -7);
  // Only the exact marker: anything else is a stored value.
  EXPECT_EQ(settingValue(L"shazbot", 100), 0);
  EXPECT_EQ(settingValue(L"", 100), 0);
}

TEST(SettingValue, ReadsLikeTheRuntimeConversion) {
  EXPECT_EQ(settingValue(L"-20", 100), -20);
  EXPECT_EQ(settingValue(L"abc", 100), 0);
  EXPECT_EQ(settingValue(L" \t\r\n42", 0), 42);
  EXPECT_EQ(settingValue(L"+17px", 0), 17);
  EXPECT_EQ(settingValue(L"12 34", 0), 12);
  EXPECT_EQ(settingValue(L"-", 5), 0);
  EXPECT_EQ(settingValue(L"- 3", 5), 0);
  // Values that end where their memory ends are never read past.
  const std::vector<wchar_t> blank{L' '}, seven{L'7'};
  EXPECT_EQ(settingValue({blank.data(), 1}, 5), 0);
  EXPECT_EQ(settingValue({seven.data(), 1}, 5), 7);
}

TEST(SettingValue, SaturatesBeyond32Bits) {
  EXPECT_EQ(settingValue(L"2147483647", 0), INT_MAX);
  EXPECT_EQ(settingValue(L"2147483648", 0), INT_MAX);
  EXPECT_EQ(settingValue(L"-2147483648", 0), INT_MIN);
  EXPECT_EQ(settingValue(L"-99999999999999999999999", 0), INT_MIN);
}

TEST(SettingValue, RoundTripsThroughItsText) {
  for (int value : {0, 1, -1, 100, -20, INT_MAX, INT_MIN}) {
    EXPECT_EQ(settingValue(settingText(value), 12345), value) << value;
  }
}

}  // namespace
}  // namespace tov
