#include "plugins/minimize/core/middle_click.h"
#include "plugin_common/core/window_rules.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace tov::minimize {
namespace {

TEST(MinimizeMessages, PressesAndReleasesAreTakenDoubleClicksPass) {
  EXPECT_EQ(classifyMiddle(WM_MBUTTONDOWN), MiddleMessage::kPress);
  EXPECT_EQ(classifyMiddle(WM_NCMBUTTONDOWN), MiddleMessage::kPress);
  EXPECT_EQ(classifyMiddle(WM_MBUTTONUP), MiddleMessage::kRelease);
  EXPECT_EQ(classifyMiddle(WM_NCMBUTTONUP), MiddleMessage::kRelease);
  for (std::uintptr_t other : {WM_MBUTTONDBLCLK, WM_NCMBUTTONDBLCLK, WM_MOUSEMOVE, WM_LBUTTONDOWN,
                               WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEWHEEL,
                               WM_XBUTTONDOWN, WM_XBUTTONUP, WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN})
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
  EXPECT_GT(static_cast<std::size_t>(tov::kClassNameCapacity),
            std::wcslen(L"Shell_SecondaryTrayWnd") + 1);
}

TEST(MinimizeRelease, MenuThenCaptureThenWhereTheClickWas) {
  EXPECT_EQ(releaseAction({true, true, true, true}), ReleaseAction::kEscapeToMenu);
  EXPECT_EQ(releaseAction({false, true, true, true}), ReleaseAction::kEscapeToCapture);
  EXPECT_EQ(releaseAction({false, false, true, true}), ReleaseAction::kMinimizeFront);
  EXPECT_EQ(releaseAction({false, false, true, false}), ReleaseAction::kMinimizeFront);
  EXPECT_EQ(releaseAction({false, false, false, true}), ReleaseAction::kMinimizeRoot);
  EXPECT_EQ(releaseAction({false, false, false, false}), ReleaseAction::kNothing);
}

// An ordinary visible frame.
constexpr std::uint32_t kFrame = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

TEST(MinimizeRelease, FrontCandidatesAreNormalAndNotMinimised) {
  EXPECT_TRUE(isFrontCandidate(true, kFrame));
  EXPECT_FALSE(isFrontCandidate(true, kFrame | WS_MINIMIZE));
  EXPECT_FALSE(isFrontCandidate(false, kFrame));  // owned, hidden, disabled or tool
  EXPECT_TRUE(isFrontCandidate(true, WS_MAXIMIZE));
}

TEST(MinimizeRelease, TheFrontChoiceIsACandidateShownAndWithinReach) {
  EXPECT_TRUE(isFrontChoice({true, kFrame, false, true}));
  EXPECT_FALSE(isFrontChoice({true, kFrame, true, true})) << "cloaked: another virtual desktop";
  EXPECT_FALSE(isFrontChoice({true, kFrame, false, false})) << "a higher integrity level";
  EXPECT_FALSE(isFrontChoice({true, kFrame | WS_MINIMIZE, false, true})) << "minimised";
  EXPECT_FALSE(isFrontChoice({false, kFrame, false, true}));
}

TEST(MinimizeTitleBarsOnly, OnlyTitleBarsTheDesktopAndTheTaskbarTakeTheClick) {
  for (int bar : {HTCAPTION, HTSYSMENU, HTMINBUTTON, HTMAXBUTTON, HTCLOSE, HTHELP}) {
    EXPECT_TRUE(takesMiddleClick(true, bar, false)) << bar;
    EXPECT_TRUE(takesMiddleClick(false, bar, false)) << bar;
  }
  for (std::uint32_t elsewhere : {std::uint32_t{HTCLIENT}, 0u, 4u, 10u, 17u, 18u, 0xFFFFFFFEu}) {
    EXPECT_FALSE(takesMiddleClick(true, elsewhere, false)) << elsewhere;
    EXPECT_TRUE(takesMiddleClick(true, elsewhere, true)) << "desktop, taskbar: " << elsewhere;
    EXPECT_TRUE(takesMiddleClick(false, elsewhere, false)) << "unchecked: every click";
  }
}

}  // namespace
}  // namespace tov::minimize
