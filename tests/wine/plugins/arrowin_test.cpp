// Arrowin under Wine: real key presses through the X server into a focused fixture window. The
// modifier is the X key Muhenkan, which Wine reports as VK_NONCONVERT.
#include <gtest/gtest.h>

#include <algorithm>

#include "plugin_support.h"
#include "session_block.h"

namespace tov::test {
namespace {

// The key events of a log as "DOWN 28 L1 R0" (virtual key in hexadecimal, then the Shift keys
// as the program saw them), the scan code added for Shift ("DOWN 10/36 L1 R1"), the modifier's
// own events left out.
std::vector<std::string> keyEvents(const std::vector<std::string>& lines) {
  std::vector<std::string> events;
  for (const std::string& line : lines) {
    char kind[16] = {};
    unsigned key = 0;
    unsigned flags = 0;
    int left = 0;
    int right = 0;
    if (std::sscanf(line.c_str(), "%*d %15s %x %x L%d R%d", kind, &key, &flags, &left, &right) != 5)
      continue;
    std::string name = kind;
    if (name != "KEYDOWN" && name != "KEYUP") continue;
    if (key == VK_NONCONVERT) continue;
    char event[48];
    if (key == VK_SHIFT) {
      std::snprintf(event, sizeof event, "%s 10/%02X L%d R%d", name == "KEYDOWN" ? "DOWN" : "UP",
                    (flags >> 16) & 0xFF, left, right);
    } else {
      std::snprintf(event, sizeof event, "%s %02X L%d R%d", name == "KEYDOWN" ? "DOWN" : "UP", key,
                    left, right);
    }
    events.push_back(event);
  }
  return events;
}

class ArrowinTest : public ::testing::Test {
 protected:
  explicit ArrowinTest(bool peek = false) : editor_(L"editor", {L"100,100,400,300"}, peek) {}
  void SetUp() override {
    ASSERT_TRUE(plugin_.ok());
    ASSERT_TRUE(editor_.ready());
    // The keyboard goes to the window the user clicked.
    clickAt(*hitTestPoint(editor_.window(0), HTCLIENT), 1);
    ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == editor_.window(0); }));
  }
  void TearDown() override { xdotool("keyup Muhenkan Shift_L Shift_R j l s"); }

  // Types an xdotool key sequence and waits until the editor has seen the modifier's release,
  // the last event of every sequence here.
  std::vector<std::string> type(const std::string& sequence) {
    editor_.mark();
    xdotool(sequence);
    EXPECT_TRUE(editor_.waitForLine("KEYUP 1D")) << sequence;
    editor_.settle();
    return editor_.linesSinceMark();
  }

  // TOV's block, as TOV makes it before it loads a plug-in: the hook reads the layer key there.
  struct Block : tov::SessionBlock {
    Block() { create(nullptr); }
  } block_;
  LoadedPlugin plugin_{productLibrary(L"Arrowin.dll")};
  Fixture editor_;
};

TEST_F(ArrowinTest, MenuOffersTheLayerKeysWithTheNoConversionKeyChosen) {
  auto items = plugin_.menuItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_TRUE(!items[0].checked && !items[1].checked && items[2].checked);
  EXPECT_EQ(items[2].text, L"Hold No-conversion key");
}

TEST_F(ArrowinTest, ModifierAndJGiveDownAndNoJ) {
  auto lines = type("keydown Muhenkan keydown j keyup j keyup Muhenkan");
  EXPECT_EQ(keyEvents(lines), (std::vector<std::string>{"DOWN 28 L0 R0", "UP 28 L0 R0"}));
  EXPECT_EQ(countLines(lines, "CHAR"), 0u);
}

TEST_F(ArrowinTest, BothHandsGiveTheFourArrows) {
  auto lines = type("keydown Muhenkan key e d a f k j h l keyup Muhenkan");
  std::vector<std::string> downs;
  for (const std::string& event : keyEvents(lines)) {
    if (event.rfind("DOWN", 0) == 0) downs.push_back(event.substr(5, 2));
  }
  EXPECT_EQ(downs, (std::vector<std::string>{"26", "28", "25", "27", "26", "28", "25", "27"}));
  EXPECT_EQ(countLines(lines, "CHAR"), 0u);
}

TEST_F(ArrowinTest, WithoutTheModifierLettersAreTyped) {
  editor_.mark();
  xdotool("key j");
  EXPECT_TRUE(editor_.waitForLine("0 CHAR 006A"));
  EXPECT_EQ(keyEvents(editor_.linesSinceMark()),
            (std::vector<std::string>{"DOWN 4A L0 R0", "UP 4A L0 R0"}));
}

TEST_F(ArrowinTest, LeftShiftHeldWrapsTheArrowInRightShift) {
  auto lines =
      type("keydown Muhenkan keydown Shift_L keydown l keyup l keyup Shift_L keyup Muhenkan");
  EXPECT_EQ(keyEvents(lines), (std::vector<std::string>{"DOWN 10/2A L1 R0",  // the user's
                                                        "DOWN 10/36 L1 R1", "DOWN 27 L1 R1",
                                                        "UP 10/36 L1 R0",  // the press
                                                        "DOWN 10/36 L1 R1", "UP 27 L1 R1",
                                                        "UP 10/36 L1 R0",  // the release
                                                        "UP 10/2A L0 R0"}));
}

TEST_F(ArrowinTest, BothShiftKeysHeldInjectOnlyTheArrow) {
  // xdotool presses Shift_L along with Shift_R.
  auto lines =
      type("keydown Muhenkan keydown Shift_R keydown l keyup l keyup Shift_R keyup Muhenkan");
  EXPECT_EQ(keyEvents(lines),
            (std::vector<std::string>{"DOWN 10/2A L1 R0", "DOWN 10/36 L1 R1", "DOWN 27 L1 R1",
                                      "UP 27 L1 R1", "UP 10/2A L0 R1", "UP 10/36 L0 R0"}));
}

TEST_F(ArrowinTest, RightShiftHeldWrapsTheArrowInLeftShift) {
  auto lines = type(
      "keydown Muhenkan keydown Shift_R keyup Shift_L keydown j keyup j keyup Shift_R "
      "keyup Muhenkan");
  EXPECT_EQ(keyEvents(lines),
            (std::vector<std::string>{"DOWN 10/2A L1 R0", "DOWN 10/36 L1 R1",
                                      "UP 10/2A L0 R1",  // only right held
                                      "DOWN 10/2A L1 R1", "DOWN 28 L1 R1", "UP 10/2A L0 R1",
                                      "DOWN 10/2A L1 R1", "UP 28 L1 R1", "UP 10/2A L0 R1",
                                      "UP 10/36 L0 R0"}));
}

TEST_F(ArrowinTest, ModifierReleasedFirstLetsTheLettersReleasePass) {
  editor_.mark();
  xdotool("keydown Muhenkan keydown j keyup Muhenkan keyup j");
  EXPECT_TRUE(editor_.waitForLine("KEYUP 4A"));
  editor_.settle();
  // The arrow is injected while the real releases are already on their way, so on a busy machine
  // it may arrive after the J's release: what matters is that each arrives, once.
  std::vector<std::string> events = keyEvents(editor_.linesSinceMark());
  std::sort(events.begin(), events.end());
  EXPECT_EQ(events, (std::vector<std::string>{"DOWN 28 L0 R0", "UP 4A L0 R0"}));
}

TEST_F(ArrowinTest, LettersOutsideTheTablePass) {
  auto lines = type("keydown Muhenkan key s keyup Muhenkan");
  EXPECT_EQ(keyEvents(lines), (std::vector<std::string>{"DOWN 53 L0 R0", "UP 53 L0 R0"}));
  EXPECT_EQ(countLines(lines, "CHAR 0073"), 1u);
}

TEST_F(ArrowinTest, NotInUseEverythingPasses) {
  plugin_->setUse(false);
  auto lines = type("keydown Muhenkan key j keyup Muhenkan");
  EXPECT_EQ(keyEvents(lines), (std::vector<std::string>{"DOWN 4A L0 R0", "UP 4A L0 R0"}));
  plugin_->setUse(true);
}

// A program that looks at each message before taking it.
class ArrowinPeekTest : public ArrowinTest {
 protected:
  ArrowinPeekTest() : ArrowinTest(true) {}
};

TEST_F(ArrowinPeekTest, PeekedLettersPassAndAreTranslatedOnceWhenTaken) {
  auto lines = type("keydown Muhenkan key j keyup Muhenkan");
  EXPECT_EQ(countLines(lines, "PEEK KEYDOWN 4A"), 1u) << "the look without removal sees the J";
  EXPECT_EQ(keyEvents(lines), (std::vector<std::string>{"DOWN 28 L0 R0", "UP 28 L0 R0"}));
}

}  // namespace
}  // namespace tov::test
