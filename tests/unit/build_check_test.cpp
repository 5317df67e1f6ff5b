#include "core/build_check.h"

#include <gtest/gtest.h>

namespace tov {
namespace {

constexpr std::uint16_t kI386 = 0x014C;  // IMAGE_FILE_MACHINE_I386

struct WarnCase {
  const char* what;
  ProcessMachine machine;
  int warnedSetting;
  bool warns;
};

class WrongBuildWarning : public ::testing::TestWithParam<WarnCase> {};

TEST_P(WrongBuildWarning, OnlyAtTheFirstStartOfA32BitTovOn64BitWindows) {
  EXPECT_EQ(shouldWarnOfWrongBuild(GetParam().machine, GetParam().warnedSetting), GetParam().warns)
      << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Machines, WrongBuildWarning,
    ::testing::Values(
        WarnCase{"32-bit on 64-bit, first start", {kI386, std::nullopt}, 0, true},
        WarnCase{"32-bit on 64-bit, warned before", {kI386, std::nullopt}, 1, false},
        WarnCase{
            "native: 64-bit build, or 32-bit Windows", {kNativeProcessMachine, true}, 0, false},
        // IsWow64Process2 has the last word; IsWow64Process only where it is missing.
        WarnCase{"32-bit on 64-bit ARM, where IsWow64Process says no", {kI386, false}, 0, true},
        WarnCase{"older Windows, 32-bit on 64-bit", {std::nullopt, true}, 0, true},
        WarnCase{"older Windows, native", {std::nullopt, false}, 0, false},
        WarnCase{"neither function answered", {std::nullopt, std::nullopt}, 0, false}));

TEST(WrongBuildWarning, NamesThe64BitDownloads) {
  std::wstring text = wrongBuildMessage(L"2004.11.15");
  EXPECT_NE(text.find(L"TOV-2004.11.15-x64.zip"), std::wstring::npos);
  EXPECT_NE(text.find(L"TOV-2004.11.15-x64-setup.exe"), std::wstring::npos);
}

}  // namespace
}  // namespace tov
