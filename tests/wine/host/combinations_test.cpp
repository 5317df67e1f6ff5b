// The host's combinations, tray menu and tray images, looked at inside the process: the host's
// own MainWindow runs in this test program (with the host's resources), so its menus, which
// Wine keeps inside their process, and the images and tooltips it hands to the notification area
// can be read directly. Commands still arrive as messages to its window.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "host_support.h"
#include "main_window.h"
#include "resource.h"

namespace tov::test {
namespace {

// The colour in the middle of an icon, as 0xRRGGBB.
unsigned iconColour(HICON icon) {
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return 0xFFFFFFFF;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = 16;
  format.bmiHeader.biHeight = 16;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  DWORD pixels[16 * 16] = {};
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, info.hbmColor, 0, 16, pixels, &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return pixels[8 * 16 + 8] & 0xFFFFFF;
}

struct Item {
  std::wstring text;
  UINT id;
  UINT state;
  bool popup;
  friend bool operator==(const Item&, const Item&) = default;
};

std::vector<Item> items(HMENU menu) {
  std::vector<Item> result;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE;
    info.dwTypeData = text;
    info.cch = 255;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
      result.push_back({L"-", 0, 0, false});
    } else {
      result.push_back({text, info.hSubMenu != nullptr ? 0u : info.wID,
                        info.fState & (MFS_CHECKED | MFS_GRAYED), info.hSubMenu != nullptr});
    }
  }
  return result;
}

class Combination : public ::testing::Test {
 protected:
  // The folder the test program was started in; each test works in a sub-folder of it.
  static const std::wstring& baseFolder() {
    static const std::wstring base = workDir();
    return base;
  }

  void SetUp() override {
    SetCurrentDirectoryW(baseFolder().c_str());
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = freshFolder(widen(test->name()));
    SetCurrentDirectoryW(folder_.c_str());
    copyFile(joinPath(testBinDir(), L"Recorder.dll"), file(L"P0.dll"));
    copyFile(joinPath(testBinDir(), L"NullMenu.dll"), file(L"P1.dll"));
    copyFile(joinPath(testBinDir(), L"Recorder.dll"), file(L"P2.dll"));
    writeFile(file(L"comb_A.ico"), solidIcon(255, 0, 0));
    writeFile(file(L"comb_custom.ico"), solidIcon(0, 255, 0));
  }
  void TearDown() override {
    if (host_ != nullptr) host_->destroyHost();
    host_ = nullptr;
    // Every plug-in object the host created was released with it.
    const std::string log = readFile(file(L"calls.log"));
    auto lines = [&](const std::string& call) {
      std::size_t count = 0;
      for (std::size_t at = log.find(call); at != std::string::npos; at = log.find(call, at + 1)) {
        ++count;
      }
      return count;
    };
    EXPECT_EQ(lines(" createInstance "), lines(" release\r\n"));
    SetCurrentDirectoryW(baseFolder().c_str());
  }

  std::wstring file(const wchar_t* name) const { return joinPath(folder_, name); }
  void start(const std::string& hookOrder) {
    writeFile(file(L"HookOrder.ini"), hookOrder);
    host_ = new MainWindow;
    ASSERT_TRUE(host_->create(false));
  }
  void send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    SendMessageW(host_->handle(), message, wParam, lParam);
  }
  void command(int identifier, LPARAM lParam = 0) { send(WM_COMMAND, identifier, lParam); }
  std::vector<bool> inUse() const {
    std::vector<bool> flags;
    for (const auto& module : host_->plugins()) flags.push_back(module->isUse());
    return flags;
  }
  std::wstring tooltip() const { return host_->hostTrayIcon().tooltip(); }
  unsigned hostColour() const { return iconColour(host_->hostTrayIcon().icon()); }
  HICON defaultHostIcon() const {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TOV),
                                         IMAGE_ICON, 16, 16, LR_SHARED));
  }
  std::size_t logLines() const {
    std::string log = readFile(file(L"calls.log"));
    return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
  }
  std::string logSince(std::size_t lines) const {
    std::string log = readFile(file(L"calls.log"));
    std::size_t pos = 0;
    for (std::size_t i = 0; i < lines && pos != std::string::npos; ++i) {
      pos = log.find('\n', pos);
      if (pos != std::string::npos) ++pos;
    }
    return pos == std::string::npos ? std::string() : log.substr(pos);
  }
  bool customSelectable() {
    HMENU menu = host_->createTrayMenu();
    HMENU select = GetSubMenu(menu, 1);
    UINT state = GetMenuState(select, kCommandSelectCustom, MF_BYCOMMAND);
    DestroyMenu(menu);
    return (state & MF_GRAYED) == 0;
  }

  std::wstring folder_;
  MainWindow* host_ = nullptr;
};

const char kThreePlugins[] =
    "A=Work\r\nB=Rock & Roll\r\n11A P0.dll\r\n10A P1.dll\r\n00B P2.dll\r\n";
constexpr unsigned kRed = 0xFF0000;
constexpr unsigned kGreen = 0x00FF00;

TEST_F(Combination, ShiftingGoesThroughEveryCombinationThenCustomAndBack) {
  start(kThreePlugins);
  // The flags read match A: A is active at once, and no Custom set is recorded.
  EXPECT_EQ(host_->combinations().current(), 0);
  EXPECT_EQ(tooltip(), L"TOV:[A]Work");
  EXPECT_EQ(hostColour(), kRed);
  EXPECT_FALSE(customSelectable());

  // A plug-in switched off through its menu: the flags match nothing and become Custom.
  command(commandId(0, kOffsetToggleUse));
  EXPECT_EQ(inUse(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(host_->combinations().current(), -1);
  EXPECT_EQ(tooltip(), L"TOV:Custom");
  EXPECT_EQ(hostColour(), kGreen);
  EXPECT_TRUE(customSelectable());

  command(kCommandShiftCombination);
  EXPECT_EQ(inUse(), (std::vector<bool>{true, true, false}));
  EXPECT_EQ(tooltip(), L"TOV:[A]Work");
  EXPECT_EQ(hostColour(), kRed);
  command(kCommandShiftCombination);
  EXPECT_EQ(inUse(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(tooltip(), L"TOV:[B]Rock & Roll");
  EXPECT_EQ(host_->hostTrayIcon().icon(), defaultHostIcon());  // there is no comb_B.ico
  command(kCommandShiftCombination);
  EXPECT_EQ(inUse(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(tooltip(), L"TOV:Custom");
  EXPECT_EQ(hostColour(), kGreen);
  command(kCommandShiftCombination);
  EXPECT_EQ(inUse(), (std::vector<bool>{true, true, false}));

  // A left press or double click on the host icon shifts too; other mouse messages do not.
  send(kTrayIconMessage, 0, WM_LBUTTONDOWN);
  EXPECT_EQ(host_->combinations().current(), 1);
  send(kTrayIconMessage, 0, WM_LBUTTONUP);
  send(kTrayIconMessage, 0, WM_MOUSEMOVE);
  EXPECT_EQ(host_->combinations().current(), 1);
  send(kTrayIconMessage, 0, WM_LBUTTONDBLCLK);
  EXPECT_EQ(host_->combinations().current(), -1);
  // The list window follows.
  HWND list = FindWindowExW(host_->handle(), nullptr, L"PluginListView", nullptr);
  EXPECT_EQ(listCell(list, 0, 3), L"Not Use");
  EXPECT_EQ(listCell(list, 1, 3), L"Use");
}

TEST_F(Combination, SelectingFromTheMenu) {
  start(kThreePlugins);
  // Custom was never recorded: selecting it falls back to the first combination, A, which is
  // active already.
  command(kCommandSelectCustom);
  EXPECT_EQ(host_->combinations().current(), 0);
  EXPECT_EQ(inUse(), (std::vector<bool>{true, true, false}));
  std::size_t mark = logLines();
  command(kCommandSelectFirst);  // the active one, A: nothing happens, not even applying it again
  EXPECT_EQ(logSince(mark).find("setUse"), std::string::npos) << logSince(mark);

  command(kCommandSelectFirst + 1);  // B
  EXPECT_EQ(inUse(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(tooltip(), L"TOV:[B]Rock & Roll");
  mark = logLines();
  command(kCommandSelectFirst + 1);
  command(kCommandSelectFirst + 2);  // names no combination
  command(kCommandSelectFirst + 25);
  EXPECT_EQ(logSince(mark).find("setUse"), std::string::npos) << logSince(mark);
  EXPECT_EQ(host_->combinations().current(), 1);
}

TEST_F(Combination, TrayMenu) {
  start(kThreePlugins);
  HMENU menu = host_->createTrayMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(items(menu),
            (std::vector<Item>{{L"&Shift Combination", kCommandShiftCombination, 0, false},
                               {L"Select &Combination", 0, 0, true},
                               {L"-", 0, 0, false},
                               {L"P0", 0, 0, true},
                               {L"P1", 0, 0, true},
                               {L"P2", 0, 0, true},
                               {L"-", 0, 0, false},
                               {L"&Version Info", kCommandVersionInfo, 0, false},
                               {L"-", 0, 0, false},
                               {L"Show &Window", kCommandShowWindow, 0, false},
                               {L"Hide &TrayIcon", kCommandHideTrayIcon, 0, false},
                               {L"-", 0, 0, false},
                               {L"&Quit", kCommandQuit, 0, false}}));
  // The ampersand of a name shows once; Custom is greyed while nothing is recorded.
  EXPECT_EQ(items(GetSubMenu(menu, 1)),
            (std::vector<Item>{{L"&0. Custom", kCommandSelectCustom, MF_GRAYED, false},
                               {L"&A. Work", kCommandSelectFirst, 0, false},
                               {L"&B. Rock && Roll", kCommandSelectFirst + 1, 0, false}}));
  // Each plug-in's own items, a separator when it has any, then the host's two.
  EXPECT_EQ(items(GetSubMenu(menu, 3)),
            (std::vector<Item>{
                {L"Recorder item", commandId(0, kRecorderItem), 0, false},
                {L"-", 0, 0, false},
                {L"Is Use", commandId(0, kOffsetToggleUse), MFS_CHECKED, false},
                {L"Is Use TrayIcon", commandId(0, kOffsetToggleTrayIcon), MFS_CHECKED, false}}));
  EXPECT_EQ(
      items(GetSubMenu(menu, 4)),
      (std::vector<Item>{{L"Is Use", commandId(1, kOffsetToggleUse), MFS_CHECKED, false},
                         {L"Is Use TrayIcon", commandId(1, kOffsetToggleTrayIcon), 0, false}}));
  EXPECT_EQ(
      items(GetSubMenu(menu, 5)),
      (std::vector<Item>{{L"Recorder item", commandId(2, kRecorderItem), 0, false},
                         {L"-", 0, 0, false},
                         {L"Is Use", commandId(2, kOffsetToggleUse), 0, false},
                         {L"Is Use TrayIcon", commandId(2, kOffsetToggleTrayIcon), 0, false}}));
  DestroyMenu(menu);
}

TEST_F(Combination, MoreThanTwentySixCombinationsAreReachedByShifting) {
  std::string file;
  for (int k = 0; k < 28; ++k) file += std::string(1, static_cast<char>('A' + k % 26)) + "=c\r\n";
  file += "11 P0.dll\r\n";
  start(file);
  HMENU menu = host_->createTrayMenu();
  std::vector<Item> select = items(GetSubMenu(menu, 1));
  DestroyMenu(menu);
  ASSERT_EQ(select.size(), 29u);
  EXPECT_EQ(select[26].id, static_cast<UINT>(kCommandSelectFirst + 25));
  // The 27th and 28th are shown, but only shifting reaches them.
  EXPECT_EQ(select[27].state, static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(select[28].state, static_cast<UINT>(MF_GRAYED));
  for (int k = 0; k < 28; ++k) command(kCommandShiftCombination);
  EXPECT_EQ(host_->combinations().current(), 27);
}

TEST_F(Combination, NothingToShiftWithoutPluginsAndCombinations) {
  start("");
  command(kCommandShiftCombination);
  EXPECT_EQ(host_->combinations().current(), -1);
  EXPECT_EQ(tooltip(), L"TOV");
  EXPECT_EQ(host_->hostTrayIcon().icon(), defaultHostIcon());
}

TEST_F(Combination, LongNamesAreCutInTheTooltip) {
  start("A=" + std::string(70, 'n') + "\r\n11A P0.dll\r\n");
  EXPECT_EQ(tooltip(), L"TOV:[A]" + std::wstring(62 - 7, L'n'));
}

TEST_F(Combination, PluginTrayImagesFollowTheStateUnlessThePluginSetItsOwn) {
  writeFile(file(L"P0_use.ico"), solidIcon(0, 0, 255));
  start(kThreePlugins);
  const TrayIcon* icon = host_->plugins()[0]->notificationIcon();
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(icon->isShown());
  EXPECT_EQ(icon->identifier(), 1u);
  EXPECT_EQ(std::wstring(icon->tooltip()), L"P0");
  EXPECT_EQ(icon->owner(), host_->handle());
  EXPECT_EQ(iconColour(icon->icon()), 0x0000FFu);
  // No "P0_not_use.ico": the host's own image for a plug-in not in use.
  HICON notInUse =
      static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PLUGIN_NOT_USE),
                                    IMAGE_ICON, 16, 16, LR_SHARED));
  command(commandId(0, kOffsetToggleUse));
  EXPECT_EQ(iconColour(icon->icon()), iconColour(notInUse));

  // An image of the plug-in's own stays through changes of the flag, until it hands back null.
  command(commandId(0, kSetTrayIcon), 1);  // its own image
  HICON own = icon->icon();
  EXPECT_EQ(own, LoadIconW(nullptr, IDI_QUESTION));
  command(commandId(0, kOffsetToggleUse));
  EXPECT_EQ(icon->icon(), own);
  command(commandId(0, kSetTrayIcon), 0);
  EXPECT_EQ(iconColour(icon->icon()), 0x0000FFu);

  // Plug-ins without a tray icon have none until they ask for it.
  EXPECT_EQ(host_->plugins()[1]->notificationIcon(), nullptr);
}

}  // namespace
}  // namespace tov::test
