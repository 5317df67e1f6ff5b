// TOV.exe on a display scaled to the session's dots per inch (TOV_LOG_PIXELS: 96, 144 or 192),
// seen from outside: where a first start opens, a stored placement kept as written, and the list
// window showing every column.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "host_support.h"

namespace tov::test {
namespace {

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
  int columns = 0;
  for (int column = 0; column < 5; ++column) {
    columns += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
  }
  RECT client{};
  GetClientRect(list, &client);
  EXPECT_LE(columns, client.right) << "columns " << columns << ", list " << client.right;
  EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL, 0);

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

}  // namespace
}  // namespace tov::test
