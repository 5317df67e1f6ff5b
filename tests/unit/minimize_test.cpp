#include "plugins/minimize/core/middle_click.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace tov::minimize {
namespace {

TEST(MinimizeMessages, PressesAndReleasesAreTakenDoubleClicksPass) {
  EXPECT_EQ(classifyMiddle(0x207), MiddleMessage::kPress);
  EXPECT_EQ(classifyMiddle(0xA7), MiddleMessage::kPress);
  EXPECT_EQ(classifyMiddle(0x208), MiddleMessage::kRelease);
  EXPECT_EQ(classifyMiddle(0xA8), MiddleMessage::kRelease);
  for (std::uintptr_t other : {0x209u, 0xA9u, 0x200u, 0x201u, 0x202u, 0x204u, 0x205u, 0x20Au,
                               0x20Bu, 0x20Cu, 0xA1u, 0xA4u})
    EXPECT_EQ(classifyMiddle(other), MiddleMessage::kOther) << other;
}

TEST(MinimizeClasses, ExactNamesOnly) {
  for (const wchar_t* shell : {L"Progman", L"Shell_TrayWnd", L"BaseBar", L"WorkerW"})
    EXPECT_TRUE(isDesktopOrTaskbarClass(shell)) << shell;
  for (const wchar_t* other :
       {L"ProgmanX", L"Shell_TrayWndClass", L"BaseBarFake", L"WorkerWx", L"progman",
        L"SHELL_TRAYWND", L"Progma", L"Worker", L"", L"CabinetWClass", L"#32768"})
    EXPECT_FALSE(isDesktopOrTaskbarClass(other)) << other;
}

TEST(MinimizeClasses, EveryMonitorsTaskbar) {
  EXPECT_TRUE(isDesktopOrTaskbarClass(L"Shell_SecondaryTrayWnd"));
  for (const wchar_t* other :
       {L"Shell_SecondaryTrayWndX", L"Shell_SecondaryTray", L"Shell_Secondary"})
    EXPECT_FALSE(isDesktopOrTaskbarClass(other)) << other;
  // A name longer than the buffer is cut; the cut must never make a lookalike count.
  EXPECT_GT(kClassNameCapacity, std::wcslen(L"Shell_SecondaryTrayWnd") + 1);
}

TEST(MinimizeRelease, MenuThenCaptureThenWhereTheClickWas) {
  EXPECT_EQ(releaseAction({true, true, true, true}), ReleaseAction::kEscapeToMenu);
  EXPECT_EQ(releaseAction({false, true, true, true}), ReleaseAction::kEscapeToCapture);
  EXPECT_EQ(releaseAction({false, false, true, true}), ReleaseAction::kMinimizeFront);
  EXPECT_EQ(releaseAction({false, false, true, false}), ReleaseAction::kMinimizeFront);
  EXPECT_EQ(releaseAction({false, false, false, true}), ReleaseAction::kMinimizeRoot);
  EXPECT_EQ(releaseAction({false, false, false, false}), ReleaseAction::kNothing);
}

TEST(MinimizeRelease, FrontCandidatesAreNormalAndNotMinimised) {
  EXPECT_TRUE(isFrontCandidate(true, 0x10CF0000u));                 // an ordinary visible frame
  EXPECT_FALSE(isFrontCandidate(true, 0x10CF0000u | 0x20000000u));  // already minimised
  EXPECT_FALSE(isFrontCandidate(false, 0x10CF0000u));  // owned, hidden, disabled or tool
  EXPECT_TRUE(isFrontCandidate(true, 0x01000000u));    // maximised counts
}

TEST(MinimizeRelease, TheFrontChoiceIsACandidateShownAndWithinReach) {
  constexpr std::uint32_t kFrame = 0x10CF0000u;
  EXPECT_TRUE(isFrontChoice({true, kFrame, false, true}));
  EXPECT_FALSE(isFrontChoice({true, kFrame, true, true})) << "cloaked: another virtual desktop";
  EXPECT_FALSE(isFrontChoice({true, kFrame, false, false})) << "a higher integrity level";
  EXPECT_FALSE(isFrontChoice({true, kFrame | 0x20000000u, false, true})) << "minimised";
  EXPECT_FALSE(isFrontChoice({false, kFrame, false, true}));
}

}  // namespace
}  // namespace tov::minimize
