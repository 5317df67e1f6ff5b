// Pushup and PushupB under Wine: real double clicks on the fixture's file lists. The hook half is
// driven with the library loaded the way the host does it; PushupB's Explorer half runs in TOV
// itself, whose folder lookup asks the fake collection of shell windows.
#include <windows.h>
//
#include <commctrl.h>
#include <gtest/gtest.h>

#include "host_support.h"
#include "plugin_support.h"

namespace tov::test {
namespace {

// The Backspace key as the first window's list logs it: VK_BACK with repeat count 1 and scan code
// 0x0E.
constexpr char kBackspace[] = "0.list KEYDOWN 08 000E0001";
constexpr char kListDoubleClick[] = "0.list LBUTTONDBLCLK";

std::wstring folderWindow(const std::wstring& className, const std::wstring& list = L"report",
                          const std::wstring& place = L"200,150,500,360") {
  return place + L":class=" + className + L":list=" + list + L":items=3";
}

HWND listOf(HWND window) { return FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr); }

// A point of the list's empty background, below and right of every item.
POINT background(HWND list) {
  RECT client{};
  GetClientRect(list, &client);
  POINT point{client.right - 60, client.bottom - 60};
  ClientToScreen(list, &point);
  return point;
}

POINT itemPoint(HWND list, int row) {
  POINT point = listRowPoint(list, row);
  ClientToScreen(list, &point);
  return point;
}

void doubleClickAt(POINT point, int button) {
  xdotool("mousemove " + std::to_string(point.x) + " " + std::to_string(point.y) +
          " click --repeat 2 --delay 80 " + std::to_string(button));
}

// A double click with the left button on the list, and what the list saw of it: returns once the
// list has logged either the Backspace key or the double click itself.
std::vector<std::string> doubleClickList(Fixture& fixture, POINT point, int index = 0) {
  fixture.mark();
  doubleClickAt(point, 1);
  std::string list = std::to_string(index) + ".list ";
  EXPECT_TRUE(waitUntil([&] {
    std::vector<std::string> lines = fixture.linesSinceMark();
    return countLines(lines, list + "KEYDOWN 08") + countLines(lines, list + "LBUTTONDBLCLK") > 0;
  }));
  fixture.settle();
  waitPastDoubleClick();
  return fixture.linesSinceMark();
}

bool wentUp(const std::vector<std::string>& lines) {
  return countLines(lines, kBackspace) == 1 && countLines(lines, kListDoubleClick) == 0;
}

bool passed(const std::vector<std::string>& lines) {
  return countLines(lines, kBackspace) == 0 && countLines(lines, kListDoubleClick) == 1;
}

struct ListCase {
  const wchar_t* library;
  const wchar_t* rootClass;
};

class PushupLists : public ::testing::TestWithParam<ListCase> {};

// Both libraries post the key themselves to dialog lists; Pushup to Explorer lists too.
TEST_P(PushupLists, BackgroundDoubleClickBecomesBackspace) {
  LoadedPlugin plugin(productLibrary(GetParam().library));
  ASSERT_TRUE(plugin.ok());
  Fixture fixture(L"folder", {folderWindow(GetParam().rootClass)});
  ASSERT_TRUE(fixture.ready());
  HWND list = listOf(fixture.window(0));
  EXPECT_TRUE(wentUp(doubleClickList(fixture, background(list))));
}

INSTANTIATE_TEST_SUITE_P(
    Windows, PushupLists,
    ::testing::Values(ListCase{L"Pushup.dll", L"CabinetWClass"},
                      ListCase{L"Pushup.dll", L"ExploreWClass"}, ListCase{L"Pushup.dll", L"#32770"},
                      ListCase{L"Pushup.dll", L"bosa_sdm_XL9"}, ListCase{L"PushupB.dll", L"#32770"},
                      ListCase{L"PushupB.dll", L"bosa_sdm_Microsoft Office Word"}));

class PushupTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plugin_.ok()); }
  LoadedPlugin plugin_{productLibrary(L"Pushup.dll")};
};

TEST_F(PushupTest, DoubleClickOnAnItemArrivesUntouched) {
  Fixture fixture(L"folder", {folderWindow(L"CabinetWClass")});
  ASSERT_TRUE(fixture.ready());
  HWND list = listOf(fixture.window(0));
  // The first click selects the item, so the double click is the item's.
  EXPECT_TRUE(passed(doubleClickList(fixture, itemPoint(list, 1))));
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
}

TEST_F(PushupTest, OtherProgramsListsAndTheDesktopAreLeftAlone) {
  for (const wchar_t* rootClass : {L"TovFixture", L"Progman", L"ExplorerWClass"}) {
    Fixture fixture(L"other", {folderWindow(rootClass, L"icon")});
    ASSERT_TRUE(fixture.ready());
    EXPECT_TRUE(passed(doubleClickList(fixture, background(listOf(fixture.window(0))))))
        << narrow(rootClass);
  }
}

TEST_F(PushupTest, RightAndMiddleDoubleClicksAndAnythingNotInUsePass) {
  Fixture fixture(L"folder", {folderWindow(L"CabinetWClass")});
  ASSERT_TRUE(fixture.ready());
  HWND list = listOf(fixture.window(0));
  for (auto [button, seen] : {std::pair{3, "0.list RBUTTONDBLCLK"}, {2, "0.list MBUTTONDBLCLK"}}) {
    fixture.mark();
    doubleClickAt(background(list), button);
    EXPECT_TRUE(fixture.waitForLine(seen)) << button;
    fixture.settle();
    waitPastDoubleClick();
    EXPECT_FALSE(fixture.sawSinceMark(kBackspace)) << button;
  }
  plugin_->setUse(false);
  EXPECT_TRUE(passed(doubleClickList(fixture, background(list))));
  plugin_->setUse(true);
}

// PushupB in TOV, with the recorder (as "Plug", id 0) to register the fake shell windows in the
// host's apartment; PushupB is id 1, and its go-up command is its first own offset.
class PushupBHost : public ::testing::Test {
 protected:
  static constexpr int kGoUpCommand = commandId(1, kFirstPluginOffset);

  void SetUp() override {
    host_.addPlugin(L"Plug");
    copyFile(joinPath(testBinDir(), L"FakeShellWindows.dll"), host_.file(L"FakeShellWindows.dll"));
    ASSERT_TRUE(copyFile(productLibrary(L"PushupB.dll"), host_.file(L"PushupB.dll")));
    ASSERT_TRUE(host_.startWith("10 Plug.dll\r\n10 PushupB.dll\r\n"));
    ASSERT_TRUE(host_.registerFakeShellWindows());
  }
  void TearDown() override {
    for (const WindowInfo& info : openedFolders()) PostMessageW(info.window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return openedFolders().empty(); }));
    EXPECT_TRUE(host_.quit());
  }

  // What the fake reports: each window with its folder as a location URL ("-" for none).
  // What the fake reports: each window with its folder as a location URL (none for no folder),
  // and where it has moved by the next lookup, if it moves.
  struct Shown {
    HWND window;
    std::wstring folder;
    std::wstring movedTo = L"";
  };
  void reportFolders(const std::vector<Shown>& windows) {
    auto url = [](const std::wstring& folder) {
      std::string path = narrow(folder);
      for (char& c : path)
        if (c == '\\') c = '/';
      return "file:///" + path;
    };
    std::string text;
    for (const Shown& shown : windows) {
      text += std::to_string(reinterpret_cast<LONG_PTR>(shown.window)) + " ";
      text += shown.folder.empty() ? "-" : url(shown.folder);
      if (!shown.movedTo.empty()) text += " => " + url(shown.movedTo);
      text += "\n";
    }
    writeFile(host_.file(L"shell_windows.txt"), text);
  }

  // The windows Wine's explorer opened for the shell.
  static std::vector<WindowInfo> openedFolders() {
    std::vector<WindowInfo> found;
    for (const WindowInfo& info : topLevelWindows())
      if (info.className == L"ExplorerWClass" && info.visible) found.push_back(info);
    return found;
  }

  // Lets the host finish whatever it was asked before this.
  void settleHost() { host_.send(WM_NULL); }

  HostRun host_;
};

TEST_F(PushupBHost, ExplorerListsGoUpThroughTheHostWhichOpensTheParentWhenTheFolderStays) {
  std::wstring parent = freshFolder(L"Parent folder");
  std::wstring folder = joinPath(parent, L"Child");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  Fixture fixture(L"folder", {folderWindow(L"CabinetWClass", L"icon", L"40,100,500,360"),
                              folderWindow(L"ExploreWClass", L"icon", L"600,100,500,360")});
  ASSERT_TRUE(fixture.ready());
  HWND stays = fixture.window(0);
  HWND other = fixture.window(1);
  auto goUpIn = [&](int index) {
    std::vector<std::string> lines = doubleClickList(
        fixture, background(listOf(fixture.window(static_cast<std::size_t>(index)))), index);
    std::string list = std::to_string(index) + ".list ";
    EXPECT_EQ(countLines(lines, list + "KEYDOWN 08 000E0001"), 1u) << index;
    EXPECT_EQ(countLines(lines, list + "LBUTTONDBLCLK"), 0u) << index;
    settleHost();
  };
  // A window that has moved by the second lookup, and one that shows no file-system folder: the
  // key alone.
  reportFolders({{stays, folder}, {other, folder, parent}});
  goUpIn(1);
  reportFolders({{stays, folder}, {other, L""}});
  goUpIn(1);
  // The same folder before and after: the shell opens the parent as well.
  goUpIn(0);
  HWND opened = waitForWindow([](const WindowInfo& info) {
    return info.className == L"ExplorerWClass" && info.title == L"Parent folder";
  });
  EXPECT_NE(opened, nullptr);
  settleHost();
  EXPECT_EQ(openedFolders().size(), 1u) << "only the folder that stayed opened anything";
}

TEST_F(PushupBHost, GoUpCommandsThatTheHookWouldNotSendAreIgnored) {
  Fixture fixture(L"folder", {folderWindow(L"CabinetWClass"), folderWindow(L"TovFixture"),
                              L"300,300,300,200:class=CabinetWClass:tree"});
  ASSERT_TRUE(fixture.ready());
  HWND tree = FindWindowExW(fixture.window(2), nullptr, WC_TREEVIEWW, nullptr);
  ASSERT_NE(tree, nullptr);
  fixture.mark();
  // The folder window itself, a list of another program, a tree, a window that is gone.
  for (HWND target : {fixture.window(0), listOf(fixture.window(1)), tree,
                      reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x7FFF0))})
    host_.command(kGoUpCommand, reinterpret_cast<LPARAM>(target));
  settleHost();
  fixture.settle();
  EXPECT_FALSE(fixture.sawSinceMark("KEYDOWN 08"));
  // The same command for the list of a folder window is acted on.
  host_.command(kGoUpCommand, reinterpret_cast<LPARAM>(listOf(fixture.window(0))));
  EXPECT_TRUE(fixture.waitForLine(kBackspace));
  EXPECT_FALSE(fixture.sawSinceMark("1.list KEYDOWN"));
}

// The items view of Windows Vista on, in TOV: the hook pairs the presses, the host asks the view
// what is at the point and types Alt+Up. The recorder ("Plug", id 0) shows when the host has
// handled what was posted to it.
struct ItemsCase {
  const wchar_t* library;
  const wchar_t* window;
  ItemsSpot spot;
  bool goesUp;
};

class PushupItemsView : public ::testing::TestWithParam<ItemsCase> {};

TEST_P(PushupItemsView, DoubleClickOnTheBackgroundTypesAltUp) {
  const ItemsCase& param = GetParam();
  HostRun host;
  host.addPlugin(L"Plug");
  ASSERT_TRUE(copyFile(productLibrary(param.library), host.file(param.library)));
  ASSERT_TRUE(host.startWith("10 Plug.dll\r\n10 " + narrow(param.library) + "\r\n"));
  Fixture fixture(L"items", {std::wstring(L"200,150,500,360:class=") + param.window + L":items"});
  ASSERT_TRUE(fixture.ready());
  fixture.mark();
  doubleClickAt(itemsViewPoint(itemsViewOf(fixture.window(0)), param.spot), 1);
  ASSERT_TRUE(fixture.waitForLine("0.items ROLE")) << "the host asked the view";
  if (param.goesUp) {
    EXPECT_TRUE(fixture.waitForLine("0.items SYSKEYDOWN 26"));
  } else {
    // Whatever the host would type comes before a key typed after it has handled the command.
    host.markLog();
    PostMessageW(host.mainWindow(), WM_COMMAND, commandId(0, kIsTrayIconShown), 0);
    ASSERT_TRUE(waitUntil([&] { return !host.logOfSinceMark("Plug").empty(); }));
    xdotool("key shift");
    ASSERT_TRUE(fixture.waitForLine("0.items KEYUP 10"));
    EXPECT_EQ(countLines(fixture.linesSinceMark(), "0.items SYSKEYDOWN"), 0u);
  }
  EXPECT_EQ(countLines(fixture.linesSinceMark(), "0.items LBUTTONDOWN"), 2u);
  waitPastDoubleClick();
  EXPECT_TRUE(host.quit());
}

INSTANTIATE_TEST_SUITE_P(
    Spots, PushupItemsView,
    ::testing::Values(ItemsCase{L"Pushup.dll", L"CabinetWClass:tabs=2", ItemsSpot::kBackground,
                                true},
                      ItemsCase{L"PushupB.dll", L"#32770", ItemsSpot::kGroup, true},
                      ItemsCase{L"PushupB.dll", L"CabinetWClass", ItemsSpot::kItem, false}));

}  // namespace
}  // namespace tov::test
