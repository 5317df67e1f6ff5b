#include "core/plugin_rules.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/code_page.h"
#include "core/command_line.h"
#include "core/command_id.h"

namespace tov {
namespace {

TEST(DefaultAction, ReservedOffsets) {
  EXPECT_EQ(defaultAction(kOffsetTaskbarCreated, 0), DefaultAction::kNone);
  EXPECT_EQ(defaultAction(kOffsetTrayEvent, WM_LBUTTONDOWN), DefaultAction::kToggleUse);
  EXPECT_EQ(defaultAction(kOffsetTrayEvent, WM_LBUTTONDBLCLK), DefaultAction::kToggleUse);
  EXPECT_EQ(defaultAction(kOffsetTrayEvent, WM_RBUTTONUP), DefaultAction::kShowMenu);
  for (int other : {WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MOUSEMOVE})
    EXPECT_EQ(defaultAction(kOffsetTrayEvent, other), DefaultAction::kNone) << other;
  EXPECT_EQ(defaultAction(kOffsetToggleTrayIcon, 0), DefaultAction::kToggleTrayIcon);
  EXPECT_EQ(defaultAction(kOffsetToggleUse, 0), DefaultAction::kToggleUse);
  EXPECT_EQ(defaultAction(kFirstPluginOffset, 0), DefaultAction::kNone);
  EXPECT_EQ(defaultAction(999, WM_LBUTTONDOWN), DefaultAction::kNone);
}

TEST(PluginRules, StateImages) {
  EXPECT_EQ(stateIconFile(L"Transparent", true), L"Transparent_use.ico");
  EXPECT_EQ(stateIconFile(L"Transparent", false), L"Transparent_not_use.ico");
}

TEST(PluginRules, SixtyFourPluginsFit) {
  EXPECT_TRUE(canLoadAnotherPlugin(0));
  EXPECT_TRUE(canLoadAnotherPlugin(63));
  EXPECT_FALSE(canLoadAnotherPlugin(64));
  EXPECT_FALSE(canLoadAnotherPlugin(1000));
  std::wstring text = tooManyPluginsMessage(L"11 Extra.dll");
  EXPECT_NE(text.find(L"11 Extra.dll"), std::wstring::npos);
  EXPECT_NE(text.find(L"64"), std::wstring::npos);
}

TEST(PluginRules, CommandLineOptionsAnywhereAndCaseSensitive) {
  EXPECT_TRUE(hasOption(L"TOV.exe /hide /w", kOptionWindow));
  EXPECT_TRUE(hasOption(L"\"C:\\TOV\\TOV.exe\"/hide", kOptionHide));
  EXPECT_FALSE(hasOption(L"TOV.exe /HIDE", kOptionHide));
}

TEST(PluginRules, EndOfSessionCancelledEndingOrClosedByTheRestartManager) {
  auto steps = [](bool ending, std::uint32_t reasons) {
    SessionEndSteps steps = sessionEndSteps(ending, reasons);
    return std::tuple(steps.save, steps.unload, steps.quit);
  };
  EXPECT_EQ(steps(false, ENDSESSION_CLOSEAPP), std::tuple(false, false, false));
  EXPECT_EQ(steps(true, 0), std::tuple(true, true, false));
  EXPECT_EQ(steps(true, ENDSESSION_LOGOFF), std::tuple(true, true, false));
  EXPECT_EQ(steps(true, ENDSESSION_CLOSEAPP | ENDSESSION_LOGOFF), std::tuple(true, false, true));
}

TEST(PluginRules, TwoDigits) {
  EXPECT_EQ(twoDigits(0), L"00");
  EXPECT_EQ(twoDigits(7), L"07");
  EXPECT_EQ(twoDigits(63), L"63");
  EXPECT_EQ(twoDigits(123), L"123");
  EXPECT_EQ(twoDigits(-1), L"-1");
}

TEST(PluginRules, FolderOfPath) {
  EXPECT_EQ(folderOfPath(L"C:\\Program Files\\TOV\\TOV.exe"), L"C:\\Program Files\\TOV");
  EXPECT_EQ(folderOfPath(L"C:\\TOV.exe"), L"C:");
  EXPECT_EQ(folderOfPath(L"\\\\server\\share\\TOV.exe"), L"\\\\server\\share");
  EXPECT_EQ(folderOfPath(L"C:TOV.exe"), L"C:");
  EXPECT_EQ(folderOfPath(L"TOV.exe"), L"");
}

TEST(CodePage, CharacterLengths) {
  const CharLayout utf8 = CharLayout::utf8();
  const std::string_view written = "a\xc3\xa9\xe3\x81\x82\xf0\x9f\x98\x80";
  const std::vector<char> bytes(written.begin(), written.end());  // nothing may be read past it
  const std::string_view text(bytes.data(), bytes.size());
  EXPECT_EQ(utf8.charLength(text, 0), 1u);
  EXPECT_EQ(utf8.charLength(text, 1), 2u);
  EXPECT_EQ(utf8.charLength(text, 3), 3u);
  EXPECT_EQ(utf8.charLength(text, 6), 4u);
  EXPECT_EQ(utf8.wideUnits(text, 6), 2u);
  EXPECT_EQ(utf8.charOffset(text, 3), 6u);
  EXPECT_EQ(utf8.charOffset(text, 9), text.size());
  // The last lead byte of each length: U+07FF, U+FFFF, U+10FFFF.
  EXPECT_EQ(utf8.charOffset("\xdf\xbf\xef\xbf\xbf\xf4\x8f\xbf\xbf", 3), 9u);
  // A sequence cut off by the end never reaches past it.
  EXPECT_EQ(utf8.charLength("\xe3\x81", 0), 2u);
  const CharLayout western = CharLayout::singleByte();
  EXPECT_EQ(western.charLength("\xe3\x81", 0), 1u);
}

}  // namespace
}  // namespace tov
