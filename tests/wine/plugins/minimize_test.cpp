// Minimize under Wine: real middle clicks on fixture windows, on fixture windows with the shell's
// class names, on an open popup menu's owner and on a window holding the capture.
#include <gtest/gtest.h>

#include "plugin_support.h"

namespace tov::test {
namespace {

constexpr UINT kOpenMenu = WM_APP + 1;  // window_fixture's commands
constexpr UINT kTakeCapture = WM_APP + 2;

// Where a shell window is put: away from the lower left, where Wine lays minimised windows.
constexpr wchar_t kShellPlace[] = L"820,420,420,300";
constexpr POINT kOnShellWindow{1030, 570};

std::wstring shellWindow(const std::wstring& className) {
  // Like the real ones, tool windows at the bottom of the Z order.
  return std::wstring(kShellPlace) + L":tool:bottom:class=" + className;
}

// Three normal windows overlapping one another, none over the shell window's place.
const std::vector<std::wstring> kThreeWindows = {L"40,40,300,200", L"80,80,300,200",
                                                 L"120,120,300,200"};

bool minimised(HWND window) { return IsIconic(window) != FALSE; }

class MinimizeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plugin_.ok()); }
  LoadedPlugin plugin_{productLibrary(L"Minimize.dll")};
};

TEST_F(MinimizeTest, MiddleClickMinimisesAndTheWindowSeesNoMiddleButton) {
  Fixture editor(L"editor", {L"100,100,400,300"});
  ASSERT_TRUE(editor.ready());
  editor.mark();
  clickAt(*hitTestPoint(editor.window(0), HTCLIENT), 2);
  ASSERT_TRUE(waitUntil([&] { return minimised(editor.window(0)); }));
  EXPECT_TRUE(editor.sawSinceMark("0 SYSCOMMAND F020")) << "asked as its own button would";
  EXPECT_FALSE(editor.sawSinceMark("MBUTTON"));
}

TEST_F(MinimizeTest, OwnedDialogMinimisesItsRootOwner) {
  Fixture app(L"app", {L"60,60,420,300", L"200,400,300,160:popup:owned"});
  ASSERT_TRUE(app.ready());
  app.mark();
  clickAt(*hitTestPoint(app.window(1), HTCAPTION), 2);
  ASSERT_TRUE(waitUntil([&] { return minimised(app.window(0)); }));
  EXPECT_FALSE(app.sawSinceMark("1 SYSCOMMAND"));
  EXPECT_FALSE(app.sawSinceMark("MBUTTON"));
}

TEST_F(MinimizeTest, DesktopClicksMinimiseTheFrontWindowOnePerClick) {
  Fixture desktop(L"desktop", {shellWindow(L"Progman")});
  ASSERT_TRUE(desktop.ready());
  Fixture apps(L"apps", kThreeWindows);
  ASSERT_TRUE(apps.ready());
  // The last one made is in front.
  for (int front = 2; front >= 0; --front) {
    apps.mark();
    clickAt(kOnShellWindow, 2);
    ASSERT_TRUE(waitUntil([&] { return minimised(apps.window(static_cast<std::size_t>(front))); }))
        << front;
    apps.settle();
    EXPECT_EQ(countLines(apps.linesSinceMark(), "SYSCOMMAND F020"), 1u) << "one window per click";
    for (int behind = 0; behind < front; ++behind)
      EXPECT_FALSE(minimised(apps.window(static_cast<std::size_t>(behind)))) << behind;
  }
  // Nothing left to minimise: the click is still taken and changes nothing.
  apps.mark();
  desktop.mark();
  clickAt(kOnShellWindow, 2);
  apps.settle();
  desktop.settle();
  EXPECT_FALSE(apps.sawSinceMark("SYSCOMMAND"));
  EXPECT_TRUE(desktop.linesSinceMark().empty());
  EXPECT_FALSE(minimised(desktop.window(0)));
}

TEST_F(MinimizeTest, TaskbarAndOtherShellWindowsCountAsDesktop) {
  for (const wchar_t* name :
       {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"BaseBar", L"WorkerW"}) {
    Fixture shell(L"shell", {shellWindow(name)});
    ASSERT_TRUE(shell.ready());
    Fixture app(L"app", {L"60,60,300,200"});
    ASSERT_TRUE(app.ready());
    shell.mark();
    clickAt(kOnShellWindow, 2);
    EXPECT_TRUE(waitUntil([&] { return minimised(app.window(0)); })) << narrow(name);
    EXPECT_FALSE(minimised(shell.window(0))) << narrow(name);
    EXPECT_FALSE(shell.sawSinceMark("MBUTTON")) << narrow(name);
  }
}

TEST_F(MinimizeTest, ClassNamesThatOnlyBeginLikeShellWindowsDoNotCount) {
  for (const wchar_t* name : {L"ProgmanX", L"Shell_TrayWnd2", L"BaseBarFake", L"WorkerWW"}) {
    Fixture lookalike(L"lookalike", {shellWindow(name)});
    ASSERT_TRUE(lookalike.ready());
    Fixture app(L"app", {L"60,60,300,200"});
    ASSERT_TRUE(app.ready());
    clickAt(kOnShellWindow, 2);
    // The clicked window is an ordinary one: it is minimised itself.
    EXPECT_TRUE(waitUntil([&] { return minimised(lookalike.window(0)); })) << narrow(name);
    app.settle();
    EXPECT_FALSE(minimised(app.window(0))) << narrow(name);
  }
}

TEST_F(MinimizeTest, OpenPopupMenuGetsEscapeInstead) {
  Fixture app(L"app", {L"100,100,400,300"});
  ASSERT_TRUE(app.ready());
  POINT centre = *hitTestPoint(app.window(0), HTCLIENT);
  PostMessageW(app.window(0), kOpenMenu, 0, MAKELPARAM(centre.x - 150, centre.y - 100));
  ASSERT_TRUE(app.waitForLine("MENUOPEN"));
  ASSERT_TRUE(waitUntil([] {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu);
  }));
  app.mark();
  clickAt(POINT{centre.x + 120, centre.y + 100}, 2);
  EXPECT_TRUE(app.waitForLine("0 MENU 0")) << "the menu closes without a choice";
  app.settle();
  EXPECT_FALSE(app.sawSinceMark("SYSCOMMAND"));
  EXPECT_FALSE(minimised(app.window(0)));
}

TEST_F(MinimizeTest, CaptureHolderGetsEscapeInstead) {
  Fixture app(L"app", {L"100,100,400,300"});
  ASSERT_TRUE(app.ready());
  POINT centre = *hitTestPoint(app.window(0), HTCLIENT);
  clickAt(centre, 1);  // the foreground window's capture is the one that counts
  PostMessageW(app.window(0), kTakeCapture, 0, 0);
  ASSERT_TRUE(app.waitForLine("0 CAPTURE 1"));
  app.mark();
  clickAt(centre, 2);
  EXPECT_TRUE(app.waitForLine("0 KEYDOWN 1B"));
  app.settle();
  EXPECT_FALSE(app.sawSinceMark("SYSCOMMAND"));
  EXPECT_FALSE(app.sawSinceMark("MBUTTON"));
  EXPECT_FALSE(minimised(app.window(0)));
}

TEST_F(MinimizeTest, NotInUseMiddleButtonReachesTheWindow) {
  Fixture editor(L"editor", {L"100,100,400,300"});
  ASSERT_TRUE(editor.ready());
  plugin_->setUse(false);
  editor.mark();
  clickAt(*hitTestPoint(editor.window(0), HTCLIENT), 2);
  EXPECT_TRUE(editor.waitForLine("0 MBUTTONDOWN"));
  EXPECT_TRUE(editor.waitForLine("0 MBUTTONUP"));
  EXPECT_FALSE(minimised(editor.window(0)));
  plugin_->setUse(true);
}

}  // namespace
}  // namespace tov::test
