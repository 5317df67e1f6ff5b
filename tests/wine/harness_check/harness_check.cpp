#include <gtest/gtest.h>

#include "harness.h"

namespace tov::test {
namespace {

TEST(Harness, ReadsAndDismissesAnotherProcessesMessageBox) {
  Process fixture =
      Process::start(joinPath(testBinDir(), L"message_box_fixture.exe"), L"Failed to load x.dll");
  ASSERT_TRUE(fixture.started());
  auto box = waitForMessageBox(fixture.id());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, L"Fixture");
  EXPECT_EQ(box->text, L"Failed to load x.dll");
  EXPECT_TRUE(dismissMessageBox(box->window));
  EXPECT_EQ(fixture.waitForExit(), std::optional<DWORD>(IDOK));
}

LRESULT CALLBACK recordClicks(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
    SetPropW(window, L"clicks",
             reinterpret_cast<HANDLE>(reinterpret_cast<INT_PTR>(GetPropW(window, L"clicks")) + 1));
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST(Harness, RealClicksArriveAtTheWindowUnderTheCursor) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = recordClicks;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"HarnessClickTarget";
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassW(&windowClass);
  HWND window =
      CreateWindowExW(0, L"HarnessClickTarget", L"click target", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                      300, 200, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  pumpMessages(200ms);
  RECT client{};
  GetClientRect(window, &client);
  POINT centre{client.right / 2, client.bottom / 2};
  ClientToScreen(window, &centre);
  click(centre.x, centre.y, 1);
  EXPECT_TRUE(waitUntil([&] { return GetPropW(window, L"clicks") != nullptr; }, 5s));
  // A second click where the pointer already is arrives just as soon.
  auto started = std::chrono::steady_clock::now();
  click(centre.x, centre.y, 3);
  EXPECT_TRUE(
      waitUntil([&] { return GetPropW(window, L"clicks") == reinterpret_cast<HANDLE>(2); }, 5s));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
  RemovePropW(window, L"clicks");
  DestroyWindow(window);
}

TEST(Harness, ScreenshotIsAPngOfTheScreen) {
  std::wstring path = joinPath(workDir(), L"screen.png");
  ASSERT_TRUE(screenshot(path));
  std::string bytes = readFile(path);
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace tov::test
