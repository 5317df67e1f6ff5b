// The plug-in list window of TOV.exe as another program and the user see it: its columns and
// cells, the alternating row colours on screen, a double click toggling a plug-in, and the
// context menu.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "host_support.h"

namespace tov::test {
namespace {

class ListWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    host.addPlugin(L"First");
    host.addPlugin(L"Second", L"NullMenu.dll");  // no version resource
    host.addPlugin(L"Third");
    ASSERT_TRUE(host.startWith("10 First.dll\r\n10 Second.dll\r\n00 Third.dll\r\n", L"/w"));
    list = host.listWindow();
    ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(host.mainWindow()) != FALSE; }));
  }

  POINT screenPointOfRow(int row) {
    POINT point = listRowPoint(list, row);
    ClientToScreen(list, &point);
    return point;
  }
  int selectedRow(int after = -1) {
    return static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
  }

  HostRun host;
  HWND list = nullptr;
};

// The colour of one pixel of a screenshot, as "r,g,b".
std::string pixel(const std::wstring& shot, int x, int y) {
  std::wstring out = joinPath(workDir(), L"pixel.txt");
  char command[512];
  std::snprintf(command, sizeof command,
                "convert '%s' -format '%%[fx:int(255*p{%d,%d}.r)],%%[fx:int(255*p{%d,%d}.g)],"
                "%%[fx:int(255*p{%d,%d}.b)]' info: > '%s'",
                unixPath(shot).c_str(), x, y, x, y, x, y, unixPath(out).c_str());
  runUnix(command, 30s);
  return readFile(out);
}

// The "FileVersion" of a library's Japanese Unicode string table, read as any program would.
std::wstring fileVersionOf(const std::wstring& library) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(library.c_str(), &ignored);
  std::vector<BYTE> block(size);
  void* value = nullptr;
  UINT length = 0;
  if (size == 0 || !GetFileVersionInfoW(library.c_str(), 0, size, block.data()) ||
      !VerQueryValueW(block.data(), L"\\StringFileInfo\\041104B0\\FileVersion", &value, &length)) {
    return L"<none>";
  }
  return static_cast<const wchar_t*>(value);
}

TEST_F(ListWindow, ColumnsAndCells) {
  EXPECT_EQ(GetDlgCtrlID(list), 110);
  EXPECT_EQ(listColumnHeaders(list),
            (std::vector<std::wstring>{L"Order", L"ID", L"Name", L"Use", L"Version"}));
  ASSERT_EQ(listRowCount(list), 3);
  const std::wstring version = fileVersionOf(host.file(L"First.dll"));
  EXPECT_EQ(std::count(version.begin(), version.end(), L','), 3) << narrow(version);
  const std::vector<std::vector<std::wstring>> rows = {
      {L"00", L"00", L"First", L"Use", version},
      {L"01", L"01", L"Second", L"Use", L""},
      {L"02", L"02", L"Third", L"Not Use", version},
  };
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 5; ++column) {
      EXPECT_EQ(listCell(list, row, column), rows[row][column]) << row << "/" << column;
    }
  }
  // The list fills the client area but for a margin of 3 pixels.
  RECT client{};
  GetClientRect(host.mainWindow(), &client);
  RECT bounds{};
  GetWindowRect(list, &bounds);
  MapWindowPoints(nullptr, host.mainWindow(), reinterpret_cast<POINT*>(&bounds), 2);
  EXPECT_EQ(bounds.left, 3);
  EXPECT_EQ(bounds.top, 3);
  EXPECT_EQ(bounds.right, client.right - 3);
  EXPECT_EQ(bounds.bottom, client.bottom - 3);
}

TEST_F(ListWindow, EvenRowsAreBlueGreyOddRowsWhite) {
  SetForegroundWindow(host.mainWindow());
  std::wstring shot = joinPath(workDir(), L"list.png");
  // A spot inside each row's first cell, right of its two digits.
  POINT rows[3];
  for (int row = 0; row < 3; ++row) {
    rows[row] = screenPointOfRow(row);
    rows[row].x += 8;
  }
  pumpMessages(300ms);
  ASSERT_TRUE(screenshot(shot));
  EXPECT_EQ(pixel(shot, rows[0].x, rows[0].y), "221,221,255");
  EXPECT_EQ(pixel(shot, rows[1].x, rows[1].y), "255,255,255");
  EXPECT_EQ(pixel(shot, rows[2].x, rows[2].y), "221,221,255");
}

TEST_F(ListWindow, DoubleClickTogglesThePluginAndItsCell) {
  SetForegroundWindow(host.mainWindow());
  POINT row = screenPointOfRow(0);
  host.markLog();
  xdotool("mousemove --sync " + std::to_string(row.x) + " " + std::to_string(row.y) +
          " click --repeat 2 --delay 60 1");
  EXPECT_TRUE(waitUntil([&] { return listCell(list, 0, 3) == L"Not Use"; }));
  EXPECT_EQ(actions(host.logOfSinceMark("First")), (std::vector<std::string>{"setUse 0"}));
  row = screenPointOfRow(2);
  xdotool("mousemove --sync " + std::to_string(row.x) + " " + std::to_string(row.y) +
          " click --repeat 2 --delay 60 1");
  EXPECT_TRUE(waitUntil([&] { return listCell(list, 2, 3) == L"Use"; }));
  EXPECT_EQ(listCell(list, 1, 3), L"Use");
}

TEST_F(ListWindow, ContextMenus) {
  // The menu key with no row selected shows nothing.
  SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
  EXPECT_EQ(host.popupMenu(300ms), nullptr);

  // A right click on a row selects it alone and opens its plug-in's menu.
  SetForegroundWindow(host.mainWindow());
  POINT first = screenPointOfRow(0);
  click(first.x, first.y, 1);
  ASSERT_TRUE(waitUntil([&] { return selectedRow() == 0; }));
  host.markLog();
  POINT third = screenPointOfRow(2);
  click(third.x, third.y, 3);
  HWND menu = host.popupMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(selectedRow(), 2);
  EXPECT_EQ(selectedRow(2), -1);
  EXPECT_NE(SendMessageW(list, LVM_GETITEMSTATE, 2, LVIS_FOCUSED), 0);
  std::vector<std::string> asked = host.logOfSinceMark("Third");
  EXPECT_NE(std::find(asked.begin(), asked.end(), "createMenu"), asked.end());
  host.escapeMenu(menu);

  // The menu key opens the first selected row's menu.
  host.markLog();
  PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
  menu = host.popupMenu();
  ASSERT_NE(menu, nullptr);
  asked = host.logOfSinceMark("Third");
  EXPECT_NE(std::find(asked.begin(), asked.end(), "createMenu"), asked.end());
  host.escapeMenu(menu);
}

// TOV.exe takes libraries only from its own and the system folder, yet plug-ins still load where
// users put them: a bare name beside TOV.exe (first) or in the working folder, a path relative to
// the working folder, a full path. Each shows in the list with its version read.
TEST(PluginPaths, BareRelativeAndFullPathsLoadWithTheirVersions) {
  HostRun host;
  const std::wstring programFolder = host.file(L"bin");
  const std::wstring elsewhere = freshFolder(L"PluginPaths.elsewhere");
  ASSERT_TRUE(CreateDirectoryW(programFolder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(host.file(L"sub").c_str(), nullptr));
  ASSERT_TRUE(copyFile(host.file(L"TOV.exe"), joinPath(programFolder, L"TOV.exe")));
  const std::wstring recorder = joinPath(testBinDir(), L"Recorder.dll");
  ASSERT_TRUE(copyFile(recorder, joinPath(programFolder, L"Beside.dll")));
  ASSERT_TRUE(copyFile(recorder, joinPath(programFolder, L"Both.dll")));
  host.addPlugin(L"Both", L"NullMenu.dll");  // no version: must not be the one loaded
  host.addPlugin(L"Working");
  ASSERT_TRUE(copyFile(recorder, host.file(L"sub\\Relative.dll")));
  ASSERT_TRUE(copyFile(recorder, joinPath(elsewhere, L"Up.dll")));
  ASSERT_TRUE(copyFile(recorder, joinPath(elsewhere, L"Full.dll")));
  host.writeHookOrder(
      "10 Beside.dll\r\n10 Both.dll\r\n10 Working\r\n10 sub\\Relative.dll\r\n"
      "10 ..\\PluginPaths.elsewhere\\Up.dll\r\n10 " +
      narrow(joinPath(elsewhere, L"Full.dll")) + "\r\n");
  host.start(L"", L"bin\\TOV.exe");
  ASSERT_TRUE(host.waitUntilReady());
  EXPECT_TRUE(host.noMessageBox());

  HWND list = host.listWindow();
  const std::wstring version = fileVersionOf(recorder);
  const std::vector<std::wstring> names = {L"Beside",   L"Both", L"Working",
                                           L"Relative", L"Up",   L"Full"};
  ASSERT_EQ(listRowCount(list), static_cast<int>(names.size()));
  for (int row = 0; row < static_cast<int>(names.size()); ++row) {
    EXPECT_EQ(listCell(list, row, 2), names[row]) << row;
    EXPECT_EQ(listCell(list, row, 4), version) << narrow(names[row]);
  }
}

}  // namespace
}  // namespace tov::test
