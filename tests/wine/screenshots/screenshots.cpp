// The user guide's pictures, taken from the real TOV.exe and plug-ins in the states a user brings
// about: the list window, the tray menu open, a window in a transparency adjustment, Chromal's
// colours on folder windows and its "Paint sample". Each picture is a crop of the screen around
// what it shows, written into TOV_SCREENSHOTS_DIR (a Unix folder; `./tov screenshots` sets it to
// docs/images) or else into the working folder. The session's scaling (TOV_LOG_PIXELS) names the
// list window's picture; the other pictures are taken at 100 % only.
#include <windows.h>
//
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "host_support.h"
#include "plugin_support.h"

namespace tov::test {
namespace {

int sessionDpi() {
  const char* pixels = std::getenv("TOV_LOG_PIXELS");
  return pixels != nullptr ? std::atoi(pixels) : 96;
}

std::string picturesFolder() {
  const char* folder = std::getenv("TOV_SCREENSHOTS_DIR");
  return folder != nullptr && *folder != '\0' ? folder : unixPath(workDir());
}

RECT grown(RECT rect, int margin) {
  return {std::max(0L, rect.left - margin), std::max(0L, rect.top - margin), rect.right + margin,
          rect.bottom + margin};
}

RECT windowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

RECT unite(RECT a, RECT b) {
  RECT both{};
  UnionRect(&both, &a, &b);
  return both;
}

// Takes the screen until two takes in a row are the same (the X server has drawn what the windows
// painted), then keeps the part `area` of it, without metadata, as `name` in the pictures folder.
::testing::AssertionResult capture(const std::string& name, RECT area) {
  const std::string folder = unixPath(workDir());
  const std::string geometry = std::to_string(area.right - area.left) + "x" +
                               std::to_string(area.bottom - area.top) + "+" +
                               std::to_string(area.left) + "+" + std::to_string(area.top);
  const std::string take = "import -window root -crop " + geometry + " +repage -depth 8 -strip ";
  std::string previous;
  for (int attempt = 0; attempt < 20; ++attempt) {
    const std::string shot = folder + "/take" + std::to_string(attempt % 2) + ".png";
    if (runUnix(take + "'" + shot + "'", 30s) != 0) {
      return ::testing::AssertionFailure() << "import failed for " << name;
    }
    std::string pixels = readFile(widen("Z:" + shot));
    if (!pixels.empty() && pixels == previous) {
      const std::string target = picturesFolder() + "/" + name;
      if (runUnix("cp '" + shot + "' '" + target + "'") != 0) {
        return ::testing::AssertionFailure() << "could not write " << target;
      }
      return ::testing::AssertionSuccess();
    }
    previous = std::move(pixels);
  }
  return ::testing::AssertionFailure() << "the screen did not settle for " << name;
}

// The colour of Transparent's state image in the pictures' folder: it shows where the
// notification area is, and the host's icon is beside it (the menu then covers both).
constexpr BYTE kTrayMarker[] = {0xE0, 0x40, 0xC0};

// The product plug-ins that run under Wine, as a user's HookOrder.ini lists them: one of each
// alternative in use, the others loaded but switched off. (Shuffla and ShufflaXP need a taskbar of
// the old kinds.)
const char kHookOrder[] =
    "A=Everything\r\n"
    "B=Windows only\r\n"
    "11AB Transparent.dll\r\n"
    "00A Fadeon.dll\r\n"
    "10AB Topmost.dll\r\n"
    "10AB Minimize.dll\r\n"
    "10A Arrowin.dll\r\n"
    "10A Chromal.dll\r\n"
    "10A Pushup.dll\r\n"
    "00 PushupB.dll\r\n"
    "10A Crevo.dll\r\n"
    "10A Colfit.dll\r\n"
    "00 ColfitXP.dll\r\n"
    "00 Widex.dll\r\n"
    "00 WidexXP.dll\r\n"
    "10A Pushdown.dll\r\n";

const wchar_t* const kLibraries[] = {
    L"Transparent.dll", L"Fadeon.dll", L"Topmost.dll", L"Minimize.dll", L"Arrowin.dll",
    L"Chromal.dll",     L"Pushup.dll", L"PushupB.dll", L"Crevo.dll",    L"Colfit.dll",
    L"ColfitXP.dll",    L"Widex.dll",  L"WidexXP.dll", L"Pushdown.dll"};

// The colour rules the guide shows: the desktop, two folders and everything else.
const char kRules[] =
    "the desktop:\r\n"
    "1 FFFFFF 1 3A6EA5 1 3A6EA5 C:\\Users\\*\\Desktop\r\n"
    "folders:\r\n"
    "1 800000 1 FFE8D0 1 FFF4E8 C:\\Windows*\r\n"
    "1 006400 2 000000 1 E8FFE8 C:\\Users\\*\r\n"
    "everywhere else:\r\n"
    "1 0000FF 2 000000 0 FFFFFF *\r\n";

class Pictures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  }

  void SetUp() override {
    dpi = sessionDpi();
    ASSERT_EQ(static_cast<int>(GetDpiForSystem()), dpi);
  }

  // TOV with the product plug-ins, its window where the pictures want it.
  void startProduct(const std::wstring& arguments) {
    for (const wchar_t* library : kLibraries) {
      ASSERT_TRUE(copyFile(joinPath(productDir(), library), host.file(library)));
    }
    host.writeHookOrder(kHookOrder);
    writeFile(host.file(L"Chromal.conf"), kRules);
    // Transparent's state image in a colour of its own, so that the tray can be found on screen.
    writeFile(host.file(L"Transparent_use.ico"),
              solidIcon(kTrayMarker[0], kTrayMarker[1], kTrayMarker[2]));
    const int scale = dpi / 96;
    writeFile(host.file(L"TOV.ini"),
              "[main]\r\nleft=" + std::to_string(40 * scale) + "\r\ntop=" +
                  std::to_string(40 * scale) + "\r\nwidth=" + std::to_string(430 * scale) +
                  "\r\nheight=" + std::to_string(350 * scale) + "\r\nfirstStartShown=1\r\n");
    host.start(arguments);
    ASSERT_TRUE(host.waitUntilReady());
    ASSERT_EQ(listRowCount(host.listWindow()), 14);
  }

  int dpi = 96;
  HostRun host;
};

TEST_F(Pictures, ListWindow) {
  startProduct(L"/w");
  ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(host.mainWindow()) != FALSE; }));
  SetForegroundWindow(host.mainWindow());
  const std::string name =
      dpi == 96 ? "list-window.png" : "list-window-" + std::to_string(dpi) + ".png";
  EXPECT_TRUE(capture(name, windowRect(host.mainWindow())));
  EXPECT_TRUE(host.quit());
}

TEST_F(Pictures, TrayMenu) {
  if (dpi != 96) GTEST_SKIP() << "taken at 100 % only";
  startProduct(L"");
  // The host's icon sits beside Transparent's in the notification area.
  std::optional<RECT> marker;
  ASSERT_TRUE(waitUntil([&] {
    marker = boundsOnScreen(kTrayMarker[0], kTrayMarker[1], kTrayMarker[2]);
    return marker.has_value();
  }));
  // A right click on the host's icon: its identifier is 0, Transparent's 1, and the notification
  // area lists them in that order from the right.
  POINT icon{marker->right + (marker->right - marker->left) / 2 + 4,
             (marker->top + marker->bottom) / 2};
  click(icon.x, icon.y, 3);
  HWND menu = nullptr;
  if (!waitUntil([&] {
        menu = FindWindowW(L"#32768", nullptr);
        return menu != nullptr && IsWindowVisible(menu);
      })) {
    // Wine may have placed the host's icon on the other side.
    icon.x = marker->left - (marker->right - marker->left) / 2 - 4;
    click(icon.x, icon.y, 3);
    ASSERT_TRUE(waitUntil([&] {
      menu = FindWindowW(L"#32768", nullptr);
      return menu != nullptr && IsWindowVisible(menu);
    }));
  }
  // Transparent's own menu opened from it, as the keyboard reaches it (down to its item, right).
  key("Down Down Down Right");
  std::vector<HWND> menus;
  ASSERT_TRUE(waitUntil([&] {
    menus.clear();
    for (const WindowInfo& info : topLevelWindows()) {
      if (info.className == L"#32768" && info.visible) menus.push_back(info.window);
    }
    return menus.size() == 2;
  }));
  RECT menuRect = windowRect(menus[0]);
  for (HWND each : menus) menuRect = unite(menuRect, windowRect(each));
  RECT area = grown(menuRect, 8);
  area.right = std::min<LONG>(area.right, GetSystemMetrics(SM_CXSCREEN));
  area.bottom = std::min<LONG>(area.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(capture("tray-menu.png", area));
  key("Escape Escape");
  EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(menu); }));
  EXPECT_TRUE(host.quit());
}

TEST_F(Pictures, TransparencyAdjustment) {
  if (dpi != 96) GTEST_SKIP() << "taken at 100 % only";
  startProduct(L"");
  Fixture notes(L"notes", {L"300,200,460,300:title=Notes"});
  ASSERT_TRUE(notes.ready());
  HWND window = notes.window(0);
  std::optional<POINT> maximise = hitTestPoint(window, HTMAXBUTTON);
  ASSERT_TRUE(maximise);
  clickAt(*maximise, 3);
  ASSERT_TRUE(waitUntil([&] { return caption(window) == L"94%"; }));
  std::optional<POINT> inside = hitTestPoint(window, HTCLIENT);
  ASSERT_TRUE(inside);
  wheelAt(*inside, -3);
  ASSERT_TRUE(waitUntil([&] { return caption(window) == L"75%"; }));
  EXPECT_TRUE(capture("transparency-adjustment.png", grown(windowRect(window), 12)));
  // Any press ends the adjustment and gives the window its caption back.
  clickAt(*inside, 1);
  EXPECT_TRUE(waitUntil([&] { return caption(window) == L"Notes"; }));
  EXPECT_TRUE(host.quit());
}

// Chromal in TOV with the recorder ("Plug", first) registering the fake collection of shell
// windows, which tells Chromal the folder each fixture window shows.
class ChromalPictures : public Pictures {
 protected:
  static constexpr int kReload = 4, kPaintSample = 5;  // Chromal's own offsets; it is id 1

  void SetUp() override {
    Pictures::SetUp();
    if (dpi != 96) GTEST_SKIP() << "taken at 100 % only";
    host.addPlugin(L"Plug");
    ASSERT_TRUE(copyFile(joinPath(productDir(), L"Chromal.dll"), host.file(L"Chromal.dll")));
    ASSERT_TRUE(copyFile(joinPath(testBinDir(), L"FakeShellWindows.dll"),
                         host.file(L"FakeShellWindows.dll")));
    host.writeHookOrder("10 Plug.dll\r\n10 Chromal.dll\r\n");
    writeFile(host.file(L"Chromal.conf"), kRules);
  }

  void startHost(const Fixture& folders, const std::vector<const char*>& urls) {
    std::string entries;
    for (std::size_t i = 0; i < urls.size(); ++i) {
      if (urls[i] == nullptr) continue;
      entries +=
          std::to_string(reinterpret_cast<UINT_PTR>(folders.window(i))) + " " + urls[i] + "\n";
    }
    writeFile(host.file(L"shell_windows.txt"), entries);
    host.start();
    ASSERT_TRUE(host.waitUntilReady());
    host.markLog();
    host.pluginCommand(0, kRegisterFakeShellWindows);
    host.pluginCommand(1, kReload);
  }
};

TEST_F(ChromalPictures, FolderColoursAndPaintSample) {
  Fixture folders(L"folders",
                  {L"20,150,400,300:class=Progman:title=Desktop:list=icon:items=6",
                   L"440,150,400,300:class=CabinetWClass:title=Me:tree:list=report:items=9",
                   L"860,150,400,300:class=CabinetWClass:title=system32:tree:list=report:items=9",
                   L"440,470,400,300:class=ExploreWClass:title=Data:tree:list=list:items=14"});
  ASSERT_TRUE(folders.ready());
  startHost(folders,
            {nullptr, "file:///C:/Users/Me", "file:///C:/Windows/system32", "file:///D:/Data"});
  // The reload has coloured each folder by its own rule: the first folder's list is green.
  HWND firstList = FindWindowExW(folders.window(1), nullptr, L"SysListView32", nullptr);
  ASSERT_TRUE(
      waitUntil([&] { return SendMessageW(firstList, LVM_GETTEXTCOLOR, 0, 0) == 0x006400; }));
  RECT all = windowRect(folders.window(0));
  for (std::size_t i = 1; i < 4; ++i) all = unite(all, windowRect(folders.window(i)));
  EXPECT_TRUE(capture("chromal-folders.png", grown(all, 8)));

  // "Paint sample" draws the rules at the top left of the screen, above the windows.
  host.pluginCommand(1, kPaintSample);
  EXPECT_TRUE(capture("chromal-paint-sample.png", {90, 0, 560, 90}));
  EXPECT_TRUE(host.quit());
}

}  // namespace
}  // namespace tov::test
