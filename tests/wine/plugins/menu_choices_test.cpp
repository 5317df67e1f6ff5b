// Arrowin's and Minimize's own menu items, chosen in TOV.exe as the user chooses them: the hooks in
// a fixture program follow the choice, and TOV.ini keeps it.
#include <gtest/gtest.h>

#include "host_support.h"
#include "plugin_support.h"

namespace tov::test {
namespace {

class MenuChoiceTest : public ::testing::Test {
 protected:
  // TOV with one product library in use, the plug-in's first own item chosen from its menu.
  void startWith(const std::wstring& name) {
    ASSERT_TRUE(copyFile(productLibrary((name + L".dll").c_str()), host_.file(name + L".dll")));
    ASSERT_NE(host_.startWith("10 " + narrow(name) + ".dll\r\n"), nullptr);
    host_.pluginCommand(0, kFirstPluginOffset + 1);
    ASSERT_TRUE(editor_.ready());
  }
  // After "&Quit": the plug-in's section of TOV.ini holds the choice.
  void expectKept(const std::string& section, const std::string& setting) {
    ASSERT_TRUE(host_.quit());
    std::string ini = readFile(host_.file(L"TOV.ini"));
    EXPECT_NE(ini.find("[" + section + "]\r\n" + setting + "\r\n"), std::string::npos) << ini;
  }

  HostRun host_;
  Fixture editor_{L"editor", {L"100,100,400,300"}};
};

TEST_F(MenuChoiceTest, CapsLockHeldTypesArrowsAndKeepsItsStateTappedAloneItToggles) {
  startWith(L"Arrowin");  // "Hold Caps Lock"
  clickAt(*hitTestPoint(editor_.window(0), HTCLIENT), 1);
  ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == editor_.window(0); }));
  // Caps Lock's state as the editor saw it at each release of Caps Lock ("1": on).
  auto type = [&](const std::string& sequence) {
    editor_.mark();
    xdotool(sequence);
    std::string states;
    EXPECT_TRUE(waitUntil([&] {
      states.clear();
      for (const std::string& line : editor_.linesSinceMark())
        if (line.find("KEYUP 14") != std::string::npos) states += line.back();
      return states.size() == 2;
    })) << sequence;
    return states;
  };
  EXPECT_EQ(type("key Caps_Lock key Caps_Lock"), "10");
  // The system turns Caps Lock on with the press; Arrowin's tap after the release turns it off.
  EXPECT_EQ(type("keydown Caps_Lock keydown j keyup j keyup Caps_Lock"), "10");
  editor_.settle();
  std::vector<std::string> lines = editor_.linesSinceMark();
  EXPECT_EQ(countLines(lines, "KEYDOWN 28") + countLines(lines, "KEYUP 28"), 2u);
  EXPECT_EQ(countLines(lines, " 4A ") + countLines(lines, "CHAR"), 0u);
  // Wine follows the X server's Caps Lock, still on there, at the next key from X: one more tap
  // there and a Shift leave both off for the tests after this one.
  xdotool("key Caps_Lock key Shift_L");
  EXPECT_TRUE(editor_.waitForLine("KEYUP 10"));
  expectKept("Arrowin", "layerKey=20");
}

TEST_F(MenuChoiceTest, TitleBarsOnlyMinimisesOnTheCaptionAndLeavesTheClientItsMiddleClick) {
  startWith(L"Minimize");  // "Title bars only"
  clickAt(*hitTestPoint(editor_.window(0), HTCLIENT), 2);
  EXPECT_TRUE(editor_.waitForLine("0 MBUTTONDOWN"));
  EXPECT_TRUE(editor_.waitForLine("0 MBUTTONUP"));
  EXPECT_FALSE(IsIconic(editor_.window(0)));
  waitPastDoubleClick();
  editor_.mark();
  clickAt(*hitTestPoint(editor_.window(0), HTCAPTION), 2);
  EXPECT_TRUE(waitUntil([&] { return IsIconic(editor_.window(0)) != FALSE; }));
  EXPECT_FALSE(editor_.sawSinceMark("MBUTTON"));
  expectKept("Minimize", "titleBarsOnly=1");
}

}  // namespace
}  // namespace tov::test
