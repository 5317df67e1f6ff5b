#include "core/build_check.h"

#include <gtest/gtest.h>

namespace tov {
namespace {

constexpr std::uint16_t kI386 = IMAGE_FILE_MACHINE_I386;

TEST(WrongBuildWarning, OnlyAtTheFirstStartOfA32BitTovOn64BitWindows) {
  EXPECT_TRUE(shouldWarnOfWrongBuild({kI386, std::nullopt}, 0));
  EXPECT_FALSE(shouldWarnOfWrongBuild({kI386, std::nullopt}, 1)) << "shown before";
  EXPECT_FALSE(shouldWarnOfWrongBuild({IMAGE_FILE_MACHINE_UNKNOWN, true}, 0)) << "64-bit build";
  // IsWow64Process2 has the last word (IsWow64Process says no on 64-bit ARM), else IsWow64Process.
  EXPECT_TRUE(shouldWarnOfWrongBuild({kI386, false}, 0));
  EXPECT_TRUE(shouldWarnOfWrongBuild({std::nullopt, true}, 0));
  EXPECT_FALSE(shouldWarnOfWrongBuild({std::nullopt, false}, 0));
  EXPECT_FALSE(shouldWarnOfWrongBuild({}, 0));
}

TEST(WrongBuildWarning, NamesThe64BitDownloads) {
  std::wstring text = wrongBuildMessage(L"2004.11.15");
  EXPECT_NE(text.find(L"TOV-2004.11.15-x64.zip"), std::wstring::npos);
  EXPECT_NE(text.find(L"TOV-2004.11.15-x64-setup.exe"), std::wstring::npos);
}

}  // namespace
}  // namespace tov
