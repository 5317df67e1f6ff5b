// Pushdown under Wine: TOV.exe loads it from a folder of its own with a command file, and real
// middle presses and holds go to fixture windows, of ordinary and of the desktop's classes.
#include <gtest/gtest.h>

#include <sstream>

#include "host_support.h"
#include "plugin_support.h"
#include "unload_probe.h"
#include "core/command_id.h"

namespace tov::test {
namespace {

// Pushdown is the host's only plug-in: id 0.
constexpr int kToggleCommand = commandId(0, 4);
constexpr int kReloadCommand = commandId(0, 5);
constexpr int kDesktopHoldRequest = commandId(0, 6);

constexpr wchar_t kEditor[] = L"100,100,400,300:holdtimer";
std::wstring desktopWindow(const std::wstring& className) {
  return L"620,100,400,300:holdtimer:class=" + className;
}

class PushdownTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(copyFile(productLibrary(L"Pushdown.dll"), host_.file(L"Pushdown.dll")));
    for (const wchar_t* name : {L"first.exe", L"second.exe"})
      ASSERT_TRUE(copyFile(joinPath(testBinDir(), L"pushdown_marker.exe"), host_.file(name)));
    writeCommandFile(narrow(host_.file(L"first.exe")) + "\r\n");
    host_.writeHookOrder("10 Pushdown.dll\r\n");
  }

  void startHost() {
    host_.start();
    ASSERT_TRUE(host_.waitUntilReady());
  }

  void writeCommandFile(const std::string& bytes) {
    ASSERT_TRUE(writeFile(host_.file(L"DesktopPushdownCommand.ini"), bytes));
  }

  // The programs the commands ran, in order.
  std::vector<std::string> ran() const {
    std::istringstream text(readFile(host_.file(L"marker.txt")));
    std::vector<std::string> result;
    for (std::string line; std::getline(text, line);) result.push_back(line);
    return result;
  }
  bool waitForRuns(std::size_t count) {
    return waitUntil([&] { return ran().size() >= count; });
  }

  // Holds the middle button on the window until the hold has come due, then lets it go; the
  // fixture's mark is set at the press.
  static void hold(Fixture& fixture, std::size_t index) {
    POINT point = *hitTestPoint(fixture.window(index), HTCLIENT);
    fixture.mark();
    pressAt(point, 2);
    std::string due = std::to_string(index) + " HOLDTIMER";
    EXPECT_TRUE(waitUntil([&] { return fixture.sawSinceMark(due); })) << "the hold came due";
    releaseAt(point, 2);
    fixture.settle();
  }

  HostRun host_;
};

bool zoomed(HWND window) { return IsZoomed(window) != FALSE; }

TEST_F(PushdownTest, ShortClickPassesWholeHoldsMaximiseAndRestoreWithoutTheirReleases) {
  startHost();
  Fixture editor(L"editor", {kEditor});
  ASSERT_TRUE(editor.ready());
  editor.mark();
  clickAt(*hitTestPoint(editor.window(0), HTCLIENT), 2);
  EXPECT_TRUE(editor.waitForLine("0 MBUTTONUP"));
  EXPECT_TRUE(editor.waitForLine("0 HOLDTIMER")) << "a hold would have come due by now";
  EXPECT_FALSE(editor.sawSinceMark("SYSCOMMAND"));
  hold(editor, 0);
  EXPECT_TRUE(waitUntil([&] { return zoomed(editor.window(0)); }));
  EXPECT_TRUE(editor.sawSinceMark("0 MBUTTONDOWN")) << "the press itself arrives";
  EXPECT_FALSE(editor.sawSinceMark("MBUTTONUP"));
  hold(editor, 0);
  EXPECT_TRUE(waitUntil([&] { return !zoomed(editor.window(0)); }));
  EXPECT_TRUE(editor.sawSinceMark("0 SYSCOMMAND F120"));
  EXPECT_FALSE(editor.sawSinceMark("MBUTTONUP"));
}

TEST_F(PushdownTest, HoldOverTheDesktopOrTaskbarRunsTheCommandInTheHost) {
  startHost();
  std::size_t runs = 0;
  for (const wchar_t* name :
       {L"Progman", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"BaseBar", L"WorkerW"}) {
    Fixture desktop(L"desktop", {desktopWindow(name)});
    ASSERT_TRUE(desktop.ready());
    hold(desktop, 0);
    ASSERT_TRUE(waitForRuns(++runs)) << narrow(name);
    EXPECT_FALSE(desktop.sawSinceMark("MBUTTONUP")) << narrow(name);
    EXPECT_FALSE(desktop.sawSinceMark("SYSCOMMAND")) << narrow(name);
  }
  EXPECT_EQ(ran(), std::vector<std::string>(runs, "first.exe"));
  EXPECT_TRUE(host_.noMessageBox());
}

TEST_F(PushdownTest, ACommandThatCannotRunIsReportedWithItselfAsCaption) {
  const std::string missing = narrow(host_.file(L"no such program.exe"));
  writeCommandFile(missing + "\n");
  startHost();
  Fixture desktop(L"desktop", {desktopWindow(L"Progman")});
  ASSERT_TRUE(desktop.ready());
  hold(desktop, 0);
  auto box = host_.nextMessageBox();
  ASSERT_TRUE(box) << "shown by the host";
  EXPECT_EQ(box->text, L"Failed to execute command");
  EXPECT_EQ(narrow(box->caption), missing);
  EXPECT_TRUE(box->hasIcon);
}

TEST_F(PushdownTest, ACommandInShiftJisUnderAJapaneseLocale) {
  std::wstring locales = joinPath(workDir(), L"locales");
  ASSERT_EQ(runUnix("mkdir -p '" + unixPath(locales) + "' && localedef -i ja_JP -f UTF-8 '" +
                        unixPath(locales) + "/ja_JP.UTF-8'",
                    60s),
            0);
  // 表示.exe: the trail byte of 表 is a backslash.
  ASSERT_TRUE(copyFile(host_.file(L"first.exe"), host_.file(L"\u8868\u793a.exe")));
  writeCommandFile(narrow(host_.folder()) + "\\\x95\x5c\x8e\xa6.exe\r\n");
  host_.startWithLinuxEnvironment("LANG=ja_JP.UTF-8 LOCPATH='" + unixPath(locales) + "'");
  ASSERT_TRUE(host_.waitUntilReady());
  Fixture desktop(L"desktop", {desktopWindow(L"Progman")});
  ASSERT_TRUE(desktop.ready());
  hold(desktop, 0);
  ASSERT_TRUE(waitForRuns(1));
  EXPECT_EQ(ran(), std::vector<std::string>{"\xe8\xa1\xa8\xe7\xa4\xba.exe"});
}

TEST_F(PushdownTest, WithTheDesktopCommandOffNothingRunsButTheReleaseIsStillTaken) {
  startHost();
  host_.command(kToggleCommand);
  Fixture desktop(L"desktop", {desktopWindow(L"Progman")});
  ASSERT_TRUE(desktop.ready());
  hold(desktop, 0);
  EXPECT_FALSE(desktop.sawSinceMark("MBUTTONUP"));
  // On again: this hold's command is the only one that runs.
  host_.command(kToggleCommand);
  hold(desktop, 0);
  ASSERT_TRUE(waitForRuns(1));
  host_.send(WM_NULL);
  EXPECT_EQ(ran().size(), 1u);
  EXPECT_TRUE(host_.noMessageBox());
}

TEST_F(PushdownTest, HoldWhileAPopupMenuIsShownDoesNothing) {
  startHost();
  Fixture editor(L"editor", {kEditor});
  ASSERT_TRUE(editor.ready());
  // A popup menu's window without a menu loop, which would take the mouse.
  HWND menu = CreateWindowExW(WS_EX_TOOLWINDOW, L"#32768", L"", WS_POPUP | WS_VISIBLE, 900, 600, 80,
                              60, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(menu, nullptr);
  pumpMessages(50ms);
  hold(editor, 0);
  DestroyWindow(menu);
  EXPECT_FALSE(editor.sawSinceMark("SYSCOMMAND"));
  EXPECT_FALSE(zoomed(editor.window(0)));
}

TEST_F(PushdownTest, AnEditedCommandFileCountsOnlyOnceReloaded) {
  startHost();
  Fixture desktop(L"desktop", {desktopWindow(L"Progman")});
  ASSERT_TRUE(desktop.ready());
  hold(desktop, 0);
  ASSERT_TRUE(waitForRuns(1));
  writeCommandFile(narrow(host_.file(L"second.exe")));
  hold(desktop, 0);
  ASSERT_TRUE(waitForRuns(2));
  host_.command(kReloadCommand);
  hold(desktop, 0);
  ASSERT_TRUE(waitForRuns(3));
  EXPECT_EQ(ran(), (std::vector<std::string>{"first.exe", "first.exe", "second.exe"}));
}

TEST_F(PushdownTest, TheHostRunsTheCommandOnlyForAWindowOfTheDesktop) {
  startHost();
  Fixture windows(L"windows", {kEditor, desktopWindow(L"Progman"), L"100,500,200,100"});
  ASSERT_TRUE(windows.ready());
  HWND gone = windows.window(2);
  PostMessageW(gone, WM_CLOSE, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(gone); }));
  // Requests as any program could post them: only the last one names a desktop window.
  for (HWND target : {windows.window(0), gone, static_cast<HWND>(nullptr), windows.window(1)})
    PostMessageW(host_.mainWindow(), WM_COMMAND, kDesktopHoldRequest,
                 reinterpret_cast<LPARAM>(target));
  ASSERT_TRUE(waitForRuns(1));
  host_.send(WM_NULL);
  EXPECT_EQ(ran(), std::vector<std::string>{"first.exe"});
}

// The window held on is closed before the hold comes due (it closes itself at the press): the
// hold does nothing, to no window, and its release is still taken.
TEST_F(PushdownTest, AWindowClosedBeforeItsHoldComesDueGetsNothing) {
  startHost();
  Fixture windows(L"windows", {kEditor, L"620,100,400,300:closeonmiddle"});
  ASSERT_TRUE(windows.ready());
  HWND closing = windows.window(1);
  POINT point = *hitTestPoint(closing, HTCLIENT);
  windows.mark();
  pressAt(point, 2);
  ASSERT_TRUE(windows.waitForLine("1 DESTROY"));
  EXPECT_TRUE(windows.waitForLine("0 HOLDTIMER")) << "the hold came due";
  releaseAt(point, 2);
  windows.settle();
  EXPECT_FALSE(IsWindow(closing));
  EXPECT_FALSE(windows.sawSinceMark("SYSCOMMAND"));
  EXPECT_FALSE(windows.sawSinceMark("MBUTTONUP"));
  EXPECT_FALSE(zoomed(windows.window(0)));
  EXPECT_TRUE(host_.noMessageBox());
}

TEST_F(PushdownTest, AReleaseWhosePressWasNeverSeenReachesItsWindow) {
  Fixture editor(L"editor", {kEditor});
  ASSERT_TRUE(editor.ready());
  POINT point = *hitTestPoint(editor.window(0), HTCLIENT);
  pressAt(point, 2);
  ASSERT_TRUE(editor.waitForLine("0 MBUTTONDOWN"));
  startHost();
  editor.mark();
  releaseAt(point, 2);
  EXPECT_TRUE(editor.waitForLine("0 MBUTTONUP"));
  EXPECT_FALSE(zoomed(editor.window(0)));
}

// The hold is timed in TOV: nothing of it is left in the program held on, which can be rid of the
// library once TOV has gone, as can a program the hook merely ran in. (It used to keep the
// library loaded for its own hold timer.)
TEST_F(PushdownTest, AHoldLeavesTheLibraryFreeableInTheProgramHeldOn) {
  startHost();
  Fixture touched(L"touched", {L"620,100,400,300"});
  Fixture held(L"held", {kEditor});
  ASSERT_TRUE(touched.ready() && held.ready());
  clickAt(*hitTestPoint(touched.window(0), HTCLIENT), 1);
  ASSERT_TRUE(touched.waitForLine("0 LBUTTONUP"));
  hold(held, 0);
  EXPECT_TRUE(waitUntil([&] { return zoomed(held.window(0)); }));
  ASSERT_TRUE(host_.quit());
  EXPECT_EQ(askToUnload(held.window(0), L"Pushdown.dll"), kLibraryUnloaded);
  EXPECT_EQ(askToUnload(touched.window(0), L"Pushdown.dll"), kLibraryUnloaded);
}

// The host (this test, loading the library as TOV does) can free it after a hold on its own window.
TEST(PushdownHost, AHoldOnTheHostsOwnWindowLeavesTheLibraryFreeable) {
  const std::wstring library = productLibrary(L"Pushdown.dll");
  HWND own = CreateWindowExW(WS_EX_TOPMOST, L"#32770", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             300, 300, 300, 200, nullptr, nullptr, nullptr, nullptr);
  {
    LoadedPlugin plugin(library);
    POINT point = *hitTestPoint(own, HTCLIENT);
    pressAt(point, 2);
    EXPECT_TRUE(waitUntil([&] { return zoomed(own); })) << "the hold came due on this thread";
    releaseAt(point, 2);
    pumpMessages(100ms);
  }
  DestroyWindow(own);
  EXPECT_EQ(GetModuleHandleW(library.c_str()), nullptr);
}

TEST(PushdownMenu, TwoItemsTheFirstCheckedWhileTheDesktopCommandIsOn) {
  LoadedPlugin plugin(productLibrary(L"Pushdown.dll"), false);
  ASSERT_NE(plugin.get(), nullptr);
  auto items = plugin.menuItems();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].text, L"IsUse Desktop Pushdown");
  EXPECT_EQ(items[0].id, 1004u);
  EXPECT_TRUE(items[0].checked);
  EXPECT_EQ(items[1].text, L"Reload Desktop Pushdown command");
  EXPECT_EQ(items[1].id, 1005u);
  EXPECT_TRUE(plugin->onCommand(4, 0));
  EXPECT_FALSE(plugin.menuItems()[0].checked);
  EXPECT_FALSE(plugin->onCommand(5, 0)) << "no command file in the current folder";
}

}  // namespace
}  // namespace tov::test
