// TOV.exe with test plug-ins: how plug-ins are loaded, numbered, driven and unloaded, how commands
// and tray events reach them, what the host does when they decline, and the host services they
// call back.
#include <gtest/gtest.h>

#include <algorithm>

#include "host_support.h"

namespace tov::test {
namespace {

bool contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::size_t indexOf(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

class HostModules : public ::testing::Test {
 protected:
  HostRun host;
};

TEST_F(HostModules, IdsAndCommandBasesWhenTheSecondOfThreeFailsToStart) {
  host.addPlugin(L"First");
  host.addPlugin(L"StartFails", L"StartFails.dll");
  host.addPlugin(L"Third");
  host.writeHookOrder("10 First.dll\r\n10 StartFails.dll\r\n10 Third.dll\r\n");
  host.start();
  host.expectMessageBoxes({{L"Failed to hook StartFails", kWarning}});
  ASSERT_TRUE(host.waitUntilReady());
  EXPECT_TRUE(host.noMessageBox());

  EXPECT_EQ(actions(host.logOf("First")),
            (std::vector<std::string>{"createInstance id=0 host=1", "start -> 1", "setUse 1"}));
  // Started, refused, and undone in the unloading order before the next line is read.
  EXPECT_EQ(actions(host.logOf("StartFails")),
            (std::vector<std::string>{"createInstance id=1 host=1", "start -> 0", "stop", "release",
                                      "destroyed id=1", "unloaded"}));
  EXPECT_EQ(actions(host.logOf("Third")),
            (std::vector<std::string>{"createInstance id=1 host=1", "start -> 1", "setUse 1"}));

  HWND list = host.listWindow();
  ASSERT_EQ(listRowCount(list), 2);
  EXPECT_EQ(listCell(list, 1, 1), L"01");
  EXPECT_EQ(listCell(list, 1, 2), L"Third");

  // Command identifiers: 1000 + offset for the first, 2000 + offset for the second.
  host.markLog();
  host.command(1004);
  host.command(2004);
  host.command(2999);
  host.command(3004);  // names no plug-in: ignored
  EXPECT_EQ(actions(host.logOfSinceMark("First")), (std::vector<std::string>{"onCommand 4 0"}));
  EXPECT_EQ(actions(host.logOfSinceMark("Third")),
            (std::vector<std::string>{"onCommand 4 0", "onCommand 999 0"}));
}

TEST_F(HostModules, UnloadingIsStopReleaseFreeLibraryInListOrder) {
  host.addPlugin(L"First");
  host.addPlugin(L"Second");
  ASSERT_TRUE(host.startWith("10 First.dll\r\n10 Second.dll\r\n"));
  host.markLog();
  ASSERT_TRUE(host.quit());
  std::vector<std::string> log = host.log();
  std::vector<std::string> expected = {
      "First stop",  "First release",  "First destroyed id=0",  "First unloaded",
      "Second stop", "Second release", "Second destroyed id=1", "Second unloaded"};
  std::vector<std::string> seen;
  for (const std::string& line : log) {
    if (contains(expected, line)) seen.push_back(line);
  }
  EXPECT_EQ(seen, expected);
}

TEST_F(HostModules, LoadFailuresNameThePathAndUseNoId) {
  host.addPlugin(L"NoExport", L"NoExport.dll");
  host.addPlugin(L"NullInstance", L"NullInstance.dll");
  host.addPlugin(L"Good");
  host.writeHookOrder(
      "10 Missing.dll\r\n10 NoExport.dll\r\n10 NullInstance.dll\r\nNotHere.dll\r\n"
      "10 Good.dll\r\n");
  host.start();
  host.expectMessageBoxes({{L"Failed to load Missing.dll", kWarning},
                           {L"Failed to load NoExport.dll", kWarning},
                           {L"Failed to load NullInstance.dll", kWarning},
                           {L"Failed to load NotHere.dll", kWarning}});
  ASSERT_TRUE(host.waitUntilReady());
  EXPECT_TRUE(host.noMessageBox());
  // The null result never counted as a plug-in; the library was still freed.
  EXPECT_EQ(actions(host.logOf("NullInstance")),
            (std::vector<std::string>{"createInstance id=0 host=1", "unloaded"}));
  EXPECT_EQ(actions(host.logOf("Good"))[0], "createInstance id=0 host=1");
  EXPECT_EQ(listRowCount(host.listWindow()), 1);
}

TEST_F(HostModules, ReservedOffsetsGetTheHostDefaultOnlyWhenDeclined) {
  host.addPlugin(L"Plug");
  HWND main = host.startWith("11 Plug.dll\r\n");
  ASSERT_TRUE(main);
  ASSERT_TRUE(trayIconPresent(main, 1));

  struct Case {
    int offset;
    LPARAM param;
    std::vector<std::string> declined;  // what follows when the plug-in returns false
  };
  const Case cases[] = {
      {kOffsetToggleUse, 0, {"onCommand 3 0", "setUse 0"}},
      {kOffsetToggleUse, 0, {"onCommand 3 0", "setUse 1"}},
      {kOffsetTrayEvent, WM_LBUTTONDOWN, {"onCommand 1 513", "setUse 0"}},
      {kOffsetTrayEvent, WM_LBUTTONDBLCLK, {"onCommand 1 515", "setUse 1"}},
      {kOffsetTrayEvent, WM_LBUTTONUP, {"onCommand 1 514"}},
      {kOffsetTrayEvent, WM_MOUSEMOVE, {"onCommand 1 512"}},
      {kOffsetTaskbarCreated, 0, {"onCommand 0 0"}},
      {kFirstPluginOffset, 0, {"onCommand 4 0"}},
      {17, 5, {"onCommand 17 5"}},
  };
  for (const Case& c : cases) {
    host.markLog();
    host.pluginCommand(0, c.offset, c.param);
    EXPECT_EQ(actions(host.logOfSinceMark("Plug")), c.declined) << c.offset << " " << c.param;
  }

  // Offset 2 shows and hides the tray icon.
  host.pluginCommand(0, kOffsetToggleTrayIcon);
  EXPECT_FALSE(trayIconPresent(main, 1));
  host.pluginCommand(0, kOffsetToggleTrayIcon);
  EXPECT_TRUE(trayIconPresent(main, 1));

  // Accepted offsets: nothing follows.
  writeFile(host.file(L"Plug.accept"), "3\n2\n1 513\n");
  for (auto [offset, param] : {std::pair{kOffsetToggleUse, 0},
                               {kOffsetToggleTrayIcon, 0},
                               {kOffsetTrayEvent, WM_LBUTTONDOWN}}) {
    host.markLog();
    host.pluginCommand(0, offset, param);
    EXPECT_EQ(actions(host.logOfSinceMark("Plug")),
              (std::vector<std::string>{"onCommand " + std::to_string(offset) + " " +
                                        std::to_string(param)}));
  }
  EXPECT_TRUE(trayIconPresent(main, 1));
  // Accepting one mouse message does not accept the others.
  host.markLog();
  host.pluginCommand(0, kOffsetTrayEvent, WM_LBUTTONDBLCLK);
  EXPECT_EQ(actions(host.logOfSinceMark("Plug")),
            (std::vector<std::string>{"onCommand 1 515", "setUse 0"}));
}

TEST_F(HostModules, TrayEventsGoToThePluginOfTheIconIdentifier) {
  host.addPlugin(L"First");
  host.addPlugin(L"Second");
  HWND main = host.startWith("11 First.dll\r\n10 Second.dll\r\n");
  ASSERT_TRUE(main);

  // A press toggles; a double click arrives as a press and a double-click message and toggles
  // twice; a release does nothing.
  host.markLog();
  host.send(kTrayIconMessage, 1, WM_LBUTTONDOWN);
  host.send(kTrayIconMessage, 1, WM_LBUTTONUP);
  host.send(kTrayIconMessage, 1, WM_LBUTTONDOWN);
  host.send(kTrayIconMessage, 1, WM_LBUTTONDBLCLK);
  EXPECT_EQ(
      actions(host.logOfSinceMark("First")),
      (std::vector<std::string>{"onCommand 1 513", "setUse 0", "onCommand 1 514", "onCommand 1 513",
                                "setUse 1", "onCommand 1 515", "setUse 0"}));
  EXPECT_TRUE(actions(host.logOfSinceMark("Second")).empty());

  host.markLog();
  host.send(kTrayIconMessage, 2, WM_LBUTTONDOWN);
  host.send(kTrayIconMessage, 3, WM_LBUTTONDOWN);  // no third plug-in: ignored
  EXPECT_EQ(actions(host.logOfSinceMark("Second")),
            (std::vector<std::string>{"onCommand 1 513", "setUse 0"}));

  // A right release pops up the plug-in's menu at the cursor, with the host's window brought to
  // the front whatever was there, so that a click elsewhere closes the menu.
  ASSERT_NE(GetForegroundWindow(), main);
  PostMessageW(main, kTrayIconMessage, 1, WM_RBUTTONUP);
  HWND menu = host.popupMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetForegroundWindow(), main);
  EXPECT_TRUE(host.escapeMenu(menu));
}

// Real clicks on the icons that the notification area of Wine's desktop shows, found on the
// screen by the colours of their image files.
TEST_F(HostModules, ClicksOnTheTrayIcons) {
  host.addPlugin(L"Plug");
  writeFile(host.file(L"Plug_use.ico"), solidIcon(255, 0, 255));
  writeFile(host.file(L"Plug_not_use.ico"), solidIcon(0, 255, 255));
  writeFile(host.file(L"comb_A.ico"), solidIcon(255, 255, 0));
  writeFile(host.file(L"comb_B.ico"), solidIcon(255, 128, 0));
  ASSERT_TRUE(host.startWith("A=On\r\nB=Off\r\n11A Plug.dll\r\n"));
  std::optional<POINT> plugin, hostIcon;
  ASSERT_TRUE(waitUntil([&] {
    plugin = findOnScreen(255, 0, 255);
    hostIcon = findOnScreen(255, 255, 0);  // the flags read match A
    return plugin && hostIcon;
  }));
  auto shows = [](POINT at, BYTE r, BYTE g, BYTE b) {
    return waitUntil([&] {
      std::optional<POINT> found = findOnScreen(r, g, b);
      return found && found->x == at.x && found->y == at.y;
    });
  };

  // A left click on the plug-in's icon switches it off; its image follows, and so does the host
  // icon, as the flags now match B.
  host.markLog();
  click(plugin->x, plugin->y, 1);
  // (The pointer's arrival over the icon is reported too: offset 1 with WM_MOUSEMOVE.)
  EXPECT_TRUE(waitUntil([&] { return contains(host.logOfSinceMark("Plug"), "setUse 0"); }));
  EXPECT_TRUE(contains(host.logOfSinceMark("Plug"), "onCommand 1 513"));
  EXPECT_TRUE(shows(*plugin, 0, 255, 255));
  EXPECT_TRUE(shows(*hostIcon, 255, 128, 0));

  // A left click on the host icon shifts from B to Custom, which was never recorded, so to A.
  host.markLog();
  click(hostIcon->x, hostIcon->y, 1);
  EXPECT_TRUE(shows(*hostIcon, 255, 255, 0));
  EXPECT_TRUE(shows(*plugin, 255, 0, 255));
  EXPECT_EQ(actions(host.logOfSinceMark("Plug")), (std::vector<std::string>{"setUse 1"}));

  // A double click arrives as a press and a double click: the plug-in is toggled twice.
  host.markLog();
  xdotool("mousemove --sync " + std::to_string(plugin->x) + " " + std::to_string(plugin->y) +
          " click --repeat 2 --delay 60 1");
  ASSERT_TRUE(waitUntil([&] {
    std::vector<std::string> log = actions(host.logOfSinceMark("Plug"));
    return std::count(log.begin(), log.end(), "setUse 1") == 1;
  }));
  std::vector<std::string> log = actions(host.logOfSinceMark("Plug"));
  EXPECT_LT(indexOf(log, "setUse 0"), indexOf(log, "setUse 1")) << ::testing::PrintToString(log);
  EXPECT_TRUE(contains(log, "onCommand 1 515"));

  // Right clicks open the plug-in's menu and the host's tray menu.
  for (POINT at : {*plugin, *hostIcon}) {
    click(at.x, at.y, 3);
    EXPECT_TRUE(host.escapeMenu());
  }
}

TEST_F(HostModules, TaskbarCreatedBringsBackExactlyTheShownIcons) {
  host.addPlugin(L"First");
  host.addPlugin(L"Second");
  host.addPlugin(L"Third");
  HWND main = host.startWith("11 First.dll\r\n10 Second.dll\r\n01 Third.dll\r\n");
  ASSERT_TRUE(main);
  for (UINT id : {0u, 1u, 3u}) EXPECT_TRUE(trayIconPresent(main, id)) << id;
  EXPECT_FALSE(trayIconPresent(main, 2));

  // A re-created taskbar starts with an empty notification area.
  for (UINT id : {0u, 1u, 3u}) ASSERT_TRUE(removeTrayIcon(main, id)) << id;
  for (UINT id : {0u, 1u, 3u}) ASSERT_FALSE(trayIconPresent(main, id)) << id;

  host.markLog();
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                      SMTO_ABORTIFHUNG, 5000, &ignored);
  EXPECT_TRUE(waitUntil([&] { return trayIconPresent(main, 3); }));
  for (UINT id : {0u, 1u, 3u}) EXPECT_TRUE(trayIconPresent(main, id)) << id;
  EXPECT_FALSE(trayIconPresent(main, 2));
  for (const char* plugin : {"First", "Second", "Third"}) {
    EXPECT_EQ(actions(host.logOfSinceMark(plugin)), (std::vector<std::string>{"onCommand 0 0"}))
        << plugin;
  }
}

TEST_F(HostModules, HostCommands) {
  HWND main = host.startWith("");
  ASSERT_TRUE(main);

  PostMessageW(main, WM_COMMAND, kCommandVersionInfo, 0);
  auto box = host.nextMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, L"TOV");
  EXPECT_EQ(box->text.rfind(L"Ver.", 0), 0u) << narrow(box->text);
  EXPECT_FALSE(box->hasIcon);

  EXPECT_FALSE(IsWindowVisible(main));
  host.command(kCommandShowWindow);  // shown and restored
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(IsIconic(main));

  // A right release on the host icon opens the tray menu.
  PostMessageW(main, kTrayIconMessage, 0, WM_RBUTTONUP);
  EXPECT_TRUE(host.escapeMenu());
}

TEST_F(HostModules, HiddenHostIconStaysHiddenAfterTaskbarCreated) {
  HWND main = host.startWith("");
  ASSERT_TRUE(main);
  ASSERT_TRUE(trayIconPresent(main, 0));
  host.command(kCommandHideTrayIcon);
  EXPECT_FALSE(trayIconPresent(main, 0));
  host.send(RegisterWindowMessageW(L"TaskbarCreated"));
  EXPECT_FALSE(trayIconPresent(main, 0));
  host.send(kShowTrayIconMessage);
  EXPECT_TRUE(trayIconPresent(main, 0));
}

TEST_F(HostModules, IconsAlreadyInTheAreaCountAsShown) {
  host.addPlugin(L"Plug");
  HWND main = host.startWith("11 Plug.dll\r\n");
  ASSERT_TRUE(main);

  // The shell refuses a second add of the host icon; hiding must still take it away.
  host.send(kShowTrayIconMessage);
  host.send(kShowTrayIconMessage);
  ASSERT_TRUE(trayIconPresent(main, 0));
  host.send(kHideTrayIconMessage);
  EXPECT_FALSE(trayIconPresent(main, 0));

  // The same for a plug-in that asks to show its icon while it is shown.
  host.markLog();
  host.pluginCommand(0, kShowTrayIcon, 1);
  host.pluginCommand(0, kIsTrayIconShown);
  EXPECT_TRUE(contains(host.logOfSinceMark("Plug"), "isTrayIconShown -> 1"));
  host.pluginCommand(0, kOffsetToggleTrayIcon);  // "Is Use TrayIcon": hides it
  EXPECT_FALSE(trayIconPresent(main, 1));
  host.markLog();
  host.pluginCommand(0, kIsTrayIconShown);
  EXPECT_TRUE(contains(host.logOfSinceMark("Plug"), "isTrayIconShown -> 0"));
}

TEST_F(HostModules, HostServicesForPlugins) {
  host.addPlugin(L"Plug");
  HWND main = host.startWith("10 Plug.dll\r\n");
  ASSERT_TRUE(main);
  host.markLog();
  host.pluginCommand(0, kGetHostDirectory);
  host.pluginCommand(0, kToggleTrayIcon);  // shows it
  host.pluginCommand(0, kIsTrayIconShown);
  host.pluginCommand(0, kSetTrayIcon, 1);   // its own image
  host.pluginCommand(0, kOffsetToggleUse);  // flips the in-use flag; the own image stays
  host.pluginCommand(0, kSetTrayIcon, 0);   // back to the state images
  host.pluginCommand(0, kShowTrayIcon, 0);
  host.pluginCommand(0, kIsTrayIconShown);
  std::vector<std::string> log = actions(host.logOfSinceMark("Plug"));
  EXPECT_TRUE(contains(log, "getHostDirectory -> 1 " + narrow(host.folder())))
      << ::testing::PrintToString(log);
  EXPECT_LT(indexOf(log, "toggleTrayIcon -> 1"), indexOf(log, "isTrayIconShown -> 1"));
  EXPECT_TRUE(contains(log, "setTrayIcon -> 1"));
  EXPECT_TRUE(contains(log, "showTrayIcon -> 1"));
  EXPECT_TRUE(contains(log, "isTrayIconShown -> 0"));
  EXPECT_FALSE(trayIconPresent(main, 1));
}

// Wine's own collection of shell windows answers E_NOTIMPL. The fake of FakeShellWindows.dll
// reports the windows of "shell_windows.txt"; the recorder registers it in the host's apartment
// (offset 11), and the host's real lookup then creates and asks it.
class ExplorerFolder : public HostModules {
 protected:
  void startWithFake(const std::string& windows) {
    host.addPlugin(L"Plug");
    copyFile(joinPath(testBinDir(), L"FakeShellWindows.dll"), host.file(L"FakeShellWindows.dll"));
    writeFile(host.file(L"shell_windows.txt"), windows);
    ASSERT_TRUE(host.startWith("10 Plug.dll\r\n"));
  }
  std::string folderOf(const std::string& window) {
    host.markLog();
    host.pluginCommand(0, kGetExplorerFolder, static_cast<LPARAM>(std::stoll(window)));
    std::vector<std::string> log = actions(host.logOfSinceMark("Plug"));
    return log.size() == 2 ? log[1] : ::testing::PrintToString(log);
  }
};

TEST_F(ExplorerFolder, WithoutAWorkingShellCollectionNothingIsFound) {
  startWithFake("4660 file:///C:/x\n");
  EXPECT_EQ(folderOf("4660"), "getExplorerFolder -> 0 unkown");
}

TEST_F(ExplorerFolder, FindsTheWindowAndConvertsItsLocation) {
  startWithFake(
      "4659 -\n"
      "4660 file:///C:/Users/test/My%20Documents\n"
      "4660 file:///C:/another/tab\n"  // whose view the fake does not tell: the first stays
      "4661 http://example.com/folder\n"
      "4662 file:///Z:/tmp/x\n");
  ASSERT_TRUE(host.registerFakeShellWindows());
  EXPECT_EQ(folderOf("4660"), "getExplorerFolder -> 1 C:\\Users\\test\\My Documents");
  EXPECT_EQ(folderOf("4662"), "getExplorerFolder -> 1 Z:\\tmp\\x");
  // No open shell window has this handle.
  EXPECT_EQ(folderOf("999"), "getExplorerFolder -> 0 unkown");
  // The window that is no browser is passed over; a location that is no file path is no folder.
  EXPECT_EQ(folderOf("4659"), "getExplorerFolder -> 0 unkown");
  EXPECT_EQ(folderOf("4661"), "getExplorerFolder -> 0 unkown");
}

}  // namespace
}  // namespace tov::test
