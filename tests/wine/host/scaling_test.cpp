// TOV.exe on a display scaled to the session's dots per inch (TOV_LOG_PIXELS: 96, 144 or 192),
// seen from outside: where a first start opens, a stored placement kept as written, and the list
// window showing every column. Then the host's own main window inside this program, where a move
// to a monitor of another scaling can be played to it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "host_support.h"
#include "main_window.h"

namespace tov::test {
namespace {

// Whether the list shows every column whole, without a horizontal scroll bar.
::testing::AssertionResult showsEveryColumn(HWND list) {
  int columns = 0;
  for (int column = 0; column < 5; ++column) {
    columns += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
  }
  RECT client{};
  GetClientRect(list, &client);
  if (columns > client.right) {
    return ::testing::AssertionFailure() << "columns " << columns << ", list " << client.right;
  }
  if (GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) {
    return ::testing::AssertionFailure() << "horizontal scroll bar";
  }
  return ::testing::AssertionSuccess();
}

class Scaling : public ::testing::Test {
 protected:
  // Pixels as the screen has them, not as a program unaware of scaling would be told.
  static void SetUpTestSuite() {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  }

  void SetUp() override {
    const char* pixels = std::getenv("TOV_LOG_PIXELS");
    dpi = pixels != nullptr ? std::atoi(pixels) : 96;
    // A session that silently stayed at 100 % would prove nothing.
    ASSERT_EQ(static_cast<int>(GetDpiForSystem()), dpi);
    host.addPlugin(L"First");
    host.addPlugin(L"Second");
    host.writeHookOrder("10 First.dll\r\n00 Second.dll\r\n");
  }

  void start() {
    host.start(L"/w");
    ASSERT_TRUE(host.waitUntilReady());
    ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(host.mainWindow()) != FALSE; }));
  }

  RECT windowRect() const {
    RECT rect{};
    GetWindowRect(host.mainWindow(), &rect);
    return rect;
  }

  int dpi = 96;
  HostRun host;
};

TEST_F(Scaling, FirstStartOpensAtTheDefaultScaledAndShowsEveryColumn) {
  const std::map<int, RECT> expected = {
      {96, {100, 100, 500, 400}}, {144, {150, 150, 750, 600}}, {192, {200, 200, 1000, 800}}};
  ASSERT_EQ(expected.count(dpi), 1u) << dpi;
  start();
  RECT rect = windowRect();
  const RECT& want = expected.at(dpi);
  EXPECT_EQ(rect.left, want.left);
  EXPECT_EQ(rect.top, want.top);
  EXPECT_EQ(rect.right - rect.left, want.right - want.left);
  EXPECT_EQ(rect.bottom - rect.top, want.bottom - want.top);

  HWND list = host.listWindow();
  ASSERT_EQ(listColumnHeaders(list).size(), 5u);
  EXPECT_TRUE(showsEveryColumn(list));

  // For the pictures: the list window as this scaling shows it.
  SetForegroundWindow(host.mainWindow());
  pumpMessages(300ms);
  screenshot(joinPath(workDir(), L"list-window-" + std::to_wstring(dpi) + L".png"));
  EXPECT_TRUE(host.quit());
}

TEST_F(Scaling, StoredPlacementIsKeptInPixelsAsWritten) {
  writeFile(host.file(L"TOV.ini"), "[main]\r\nleft=60\r\ntop=70\r\nwidth=520\r\nheight=410\r\n");
  start();
  RECT rect = windowRect();
  EXPECT_EQ(rect.left, 60);
  EXPECT_EQ(rect.top, 70);
  EXPECT_EQ(rect.right - rect.left, 520);
  EXPECT_EQ(rect.bottom - rect.top, 410);
  // Closed and opened again, the window comes back where it was.
  ASSERT_TRUE(host.quit());
  std::string stored = readFile(host.file(L"TOV.ini"));
  for (const char* line : {"left=60", "top=70", "width=520", "height=410"}) {
    EXPECT_NE(stored.find(line), std::string::npos) << line << " in\n" << stored;
  }
}

int fontHeight(HWND window) {
  LOGFONTW font{};
  auto handle = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  if (handle == nullptr || GetObjectW(handle, sizeof(font), &font) == 0) return 0;
  return font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
}

int iconWidth(HICON icon) {
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

TEST_F(Scaling, MovingToAnotherScalingTakesTheSuggestedRectangleAndRefitsTheList) {
  // The tray icons at the small icon size of the taskbar's scaling.
  const std::map<int, int> iconSize = {{96, 16}, {144, 24}, {192, 32}};
  // Played as a move between a 100 % and a 200 % monitor, whichever this session is not.
  const int other = dpi == 192 ? 96 : 192;
  RECT suggested = other == 192 ? RECT{300, 200, 1100, 800} : RECT{300, 200, 700, 500};
  const int margin = other == 192 ? 6 : 3;

  const std::wstring started = workDir();
  std::wstring folder = freshFolder(L"inside");
  SetCurrentDirectoryW(folder.c_str());
  copyFile(joinPath(testBinDir(), L"Recorder.dll"), joinPath(folder, L"First.dll"));
  writeFile(joinPath(folder, L"HookOrder.ini"), "10 First.dll\r\n");
  auto* window = new MainWindow;
  ASSERT_TRUE(window->create(true));
  HWND main = window->handle();
  HWND list = GetDlgItem(main, 110);
  EXPECT_EQ(iconWidth(window->hostTrayIcon().icon()), iconSize.at(dpi));
  const int fontBefore = fontHeight(list);

  SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
  RECT rect{};
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.left, suggested.left);
  EXPECT_EQ(rect.top, suggested.top);
  EXPECT_EQ(rect.right, suggested.right);
  EXPECT_EQ(rect.bottom, suggested.bottom);
  if (other > dpi) {
    EXPECT_GT(fontHeight(list), fontBefore);
  } else {
    EXPECT_LT(fontHeight(list), fontBefore);
  }
  EXPECT_TRUE(showsEveryColumn(list));
  auto caption = reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_SMALL, 0));
  EXPECT_EQ(iconWidth(caption), other == 192 ? 32 : 16);
  RECT bounds{};
  GetWindowRect(list, &bounds);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&bounds), 2);
  EXPECT_EQ(bounds.left, margin);
  EXPECT_EQ(bounds.top, margin);

  window->destroyHost();
  SetCurrentDirectoryW(started.c_str());
}

}  // namespace
}  // namespace tov::test
