// Arrowin's and Minimize's own menu items, chosen in TOV.exe as the user chooses them: the hooks in
// a fixture program follow the choice, and TOV.ini keeps it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

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

// The key events of a log as "KEYDOWN 28 C1": the key, then Caps Lock's state as the program saw
// it, sorted: keys a hook injects may come before or after real ones already on their way.
std::vector<std::string> keysAndCapsLock(const std::vector<std::string>& lines) {
  std::vector<std::string> events;
  for (const std::string& line : lines) {
    char kind[16] = {};
    unsigned key = 0;
    int capsLock = 0;
    char event[32];
    if (std::sscanf(line.c_str(), "%*d %15s %x %*x L%*d R%*d C%d", kind, &key, &capsLock) == 3) {
      std::snprintf(event, sizeof event, "%s %02X C%d", kind, key, capsLock);
      events.push_back(event);
    }
  }
  std::sort(events.begin(), events.end());
  return events;
}

TEST_F(MenuChoiceTest, CapsLockHeldTypesArrowsAndKeepsItsStateTappedAloneItToggles) {
  startWith(L"Arrowin");  // "Hold Caps Lock"
  clickAt(*hitTestPoint(editor_.window(0), HTCLIENT), 1);
  ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == editor_.window(0); }));
  auto type = [&](const std::string& sequence) {
    editor_.mark();
    xdotool(sequence);
    EXPECT_TRUE(waitUntil([&] {
      std::vector<std::string> lines = editor_.linesSinceMark();
      return countLines(lines, "KEYUP 14") == 2;
    })) << sequence;
    editor_.settle();
    return editor_.linesSinceMark();
  };
  EXPECT_EQ(
      keysAndCapsLock(type("key Caps_Lock key Caps_Lock")),
      (std::vector<std::string>{"KEYDOWN 14 C0", "KEYDOWN 14 C1", "KEYUP 14 C0", "KEYUP 14 C1"}));
  // The system turns Caps Lock on with the press; Arrowin's tap after the release turns it off.
  std::vector<std::string> lines = type("keydown Caps_Lock keydown j keyup j keyup Caps_Lock");
  EXPECT_EQ(keysAndCapsLock(lines),
            (std::vector<std::string>{"KEYDOWN 14 C0", "KEYDOWN 14 C1", "KEYDOWN 28 C1",
                                      "KEYUP 14 C0", "KEYUP 14 C1", "KEYUP 28 C1"}));
  EXPECT_NE(lines.back().find("KEYUP 14"), std::string::npos) << "the tap comes last";
  EXPECT_NE(lines.back().find(" C0"), std::string::npos) << lines.back();
  EXPECT_EQ(countLines(lines, "CHAR"), 0u);
  // Wine follows the X server's Caps Lock, still on there, at the next key from X: one more tap
  // there and a Shift leave both off for the tests after this one.
  xdotool("key Caps_Lock key Shift_L");
  EXPECT_TRUE(editor_.waitForLine("KEYUP 10"));
  expectKept("Arrowin", "layerKey=20");
}

TEST_F(MenuChoiceTest, TitleBarsOnlyMinimisesOnTheCaptionAndLeavesTheClientItsMiddleClick) {
  startWith(L"Minimize");  // "Title bars only"
  editor_.mark();
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
