#include "plugin_common/core/window_rules.h"

#include <gtest/gtest.h>

namespace tov {
namespace {

TEST(WindowRules, TheDesktopIsProgmanOrAWorkerWHoldingTheShellView) {
  EXPECT_EQ(desktopClass(L"Progman"), DesktopClass::kYes);
  EXPECT_EQ(desktopClass(L"WorkerW"), DesktopClass::kIfItHoldsTheShellView);
  for (const wchar_t* other : {L"progman", L"WorkerWX", L"Worker", L"SHELLDLL_DefView",
                               L"CabinetWClass", L"Shell_TrayWnd", L""})
    EXPECT_EQ(desktopClass(other), DesktopClass::kNo) << other;
}

// What we act on lies at our integrity level or below; what another program names to TOV (a
// window to post to, a window to act on) counts only at TOV's level or above: a sandboxed
// program's window is never TOV's, the desktop or a folder's.
TEST(WindowRules, ActionOnlyOnTheSameOrALowerIntegrityLevelTrustOnlyTheSameOrAHigherOne) {
  constexpr std::uint32_t kLow = SECURITY_MANDATORY_LOW_RID;
  constexpr std::uint32_t kMedium = SECURITY_MANDATORY_MEDIUM_RID;
  constexpr std::uint32_t kHigh = SECURITY_MANDATORY_HIGH_RID;
  EXPECT_TRUE(mayActOn(kMedium, kMedium));
  EXPECT_TRUE(mayActOn(kLow, kMedium));
  EXPECT_FALSE(mayActOn(kHigh, kMedium)) << "an elevated program";
  EXPECT_TRUE(mayActOn(kHigh, kHigh));
  EXPECT_FALSE(mayActOn(std::nullopt, kHigh)) << "a token we may not read";
  EXPECT_TRUE(mayActOn(kHigh, std::nullopt)) << "our own level unread: as before";

  EXPECT_TRUE(isAtOrAbove(kMedium, kMedium));
  EXPECT_TRUE(isAtOrAbove(kHigh, kMedium));
  EXPECT_FALSE(isAtOrAbove(kLow, kMedium)) << "a sandboxed program";
  EXPECT_FALSE(isAtOrAbove(kMedium, kHigh)) << "an elevated TOV";
  EXPECT_FALSE(isAtOrAbove(std::nullopt, kLow)) << "a token we may not read";
  EXPECT_TRUE(isAtOrAbove(std::nullopt, std::nullopt)) << "a system without levels";
}

}  // namespace
}  // namespace tov
