// Crevo under Wine: real Ctrl+K through the X server into fixture folder windows whose lists have
// items selected.
#include <windows.h>
//
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "plugin_support.h"

namespace tov::test {
namespace {

// The keys that reached the fixture's windows, as "DOWN 5D" or "UP 4B" (the virtual key in
// hexadecimal), with a "*" for a repeat.
std::vector<std::string> keys(const std::vector<std::string>& lines) {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    char where[16] = {};
    char kind[16] = {};
    unsigned key = 0;
    unsigned flags = 0;
    if (std::sscanf(line.c_str(), "%15s %15s %x %x", where, kind, &key, &flags) != 4) continue;
    std::string name = kind;
    if (name != "KEYDOWN" && name != "KEYUP") continue;
    char event[16];
    std::snprintf(event, sizeof event, "%s %02X%s", name == "KEYDOWN" ? "DOWN" : "UP", key,
                  name == "KEYDOWN" && (flags & 0x40000000u) ? "*" : "");
    found.push_back(event);
  }
  return found;
}

std::size_t count(const std::vector<std::string>& events, const std::string& event) {
  return static_cast<std::size_t>(std::count(events.begin(), events.end(), event));
}

HWND listOf(HWND window) {
  if (HWND view = FindWindowExW(window, nullptr, L"SHELLDLL_DefView", nullptr)) window = view;
  return FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
}

class CrevoTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plugin_.ok()); }
  void TearDown() override { xdotool("keyup ctrl shift k"); }

  // A folder window of that class with two of its three items selected (or the `list` given),
  // made active by a click on its caption, as the user would.
  void open(const std::wstring& className,
            const std::wstring& list = L"list=report:items=3:selected=2") {
    fixture_.emplace(
        L"folder", std::vector<std::wstring>{L"200,150,500,360:class=" + className + L":" + list});
    ASSERT_TRUE(fixture_->ready());
    clickAt(*hitTestPoint(fixture_->window(0), HTCAPTION), 1);
    ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == fixture_->window(0); }));
    // The keyboard reaches the window before the test types.
    xdotool("key shift");
    ASSERT_TRUE(fixture_->waitForLine("KEYUP 10"));
  }

  // Types an xdotool key sequence and returns the keys the window's thread received, once the
  // last key up of the sequence (`last`) has arrived.
  std::vector<std::string> type(const std::string& sequence, const std::string& last) {
    fixture_->mark();
    xdotool(sequence);
    EXPECT_TRUE(fixture_->waitForLine("KEYUP " + last)) << sequence;
    fixture_->settle();
    return keys(fixture_->linesSinceMark());
  }

  int selected() const {
    return static_cast<int>(SendMessageW(listOf(fixture_->window(0)), LVM_GETSELECTEDCOUNT, 0, 0));
  }

  LoadedPlugin plugin_{productLibrary(L"Crevo.dll")};
  std::optional<Fixture> fixture_;
};

// The keys typed after the Ctrl release, in order; the user's own releases of K and Ctrl may come
// before or among them.
const std::vector<std::string> kNewFolder = {"DOWN 5D", "UP 5D",   "DOWN 57",
                                             "UP 57",   "DOWN 46", "UP 46"};

std::vector<std::string> typedKeys(const std::vector<std::string>& events) {
  std::vector<std::string> typed;
  for (const std::string& event : events)
    if (event.find("4B") == std::string::npos && event.find("11") == std::string::npos)
      typed.push_back(event);
  return typed;
}

class CrevoWindows : public CrevoTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(CrevoWindows, CtrlKClearsTheSelectionAndTypesTheNewFolderKeys) {
  open(GetParam());
  ASSERT_EQ(selected(), 2);
  std::vector<std::string> events = type("keydown ctrl keydown k keyup k keyup ctrl", "46");
  EXPECT_EQ(typedKeys(events), kNewFolder) << ::testing::PrintToString(events);
  auto at = [&](const char* event) { return std::find(events.begin(), events.end(), event); };
  EXPECT_LT(at("UP 11"), at("DOWN 5D")) << "Ctrl released first";
  EXPECT_EQ(count(events, "DOWN 4B"), 0u) << "the K never arrives";
  EXPECT_EQ(selected(), 0);
  EXPECT_EQ(countLines(fixture_->linesSinceMark(), "0.list MSG 102B"), 1u);
  EXPECT_TRUE(fixture_->sawSinceMark("0.list MSG 102B FFFFFFFFFFFFFFFF"))
      << "every item's selection cleared at once";
}

INSTANTIATE_TEST_SUITE_P(FolderWindows, CrevoWindows,
                         ::testing::Values(L"CabinetWClass", L"ExploreWClass", L"Progman",
                                           L"WorkerW:shellview"));

TEST_F(CrevoTest, CtrlShiftKTriggersToo) {
  open(L"CabinetWClass");
  std::vector<std::string> events =
      type("keydown ctrl keydown shift keydown k keyup k keyup shift keyup ctrl", "46");
  EXPECT_EQ(count(events, "DOWN 5D"), 1u) << ::testing::PrintToString(events);
  EXPECT_EQ(count(events, "DOWN 4B"), 0u);
}

TEST_F(CrevoTest, HeldKeysMakeOneSequence) {
  open(L"CabinetWClass");
  std::vector<std::string> events =
      type("keydown ctrl keydown k sleep 1.5 keyup k keyup ctrl", "11");
  EXPECT_EQ(count(events, "DOWN 5D"), 1u) << ::testing::PrintToString(events);
  EXPECT_GE(count(events, "DOWN 4B*"), 1u) << "the repeats pass";
}

// A list that takes 300 ms over each item is left after about a second, not after all twenty.
TEST_F(CrevoTest, ClearingASlowListEndsInAboutASecond) {
  open(L"CabinetWClass", L"list=report:items=20:selected=20:slowlist=300");
  std::vector<std::string> events = type("keydown ctrl keydown k keyup k keyup ctrl", "46");
  EXPECT_EQ(typedKeys(events), kNewFolder) << ::testing::PrintToString(events);
  std::size_t cleared = countLines(fixture_->linesSinceMark(), "0.list MSG 102B");
  EXPECT_GE(cleared, 1u);
  EXPECT_LE(cleared, 6u);
}

TEST_F(CrevoTest, KAloneOtherWindowsAndNotInUsePass) {
  open(L"CabinetWClass");
  EXPECT_EQ(count(type("key k", "4B"), "DOWN 4B"), 1u);
  plugin_->setUse(false);
  std::vector<std::string> events = type("keydown ctrl keydown k keyup k keyup ctrl", "11");
  plugin_->setUse(true);
  EXPECT_EQ(count(events, "DOWN 4B"), 1u);
  EXPECT_EQ(count(events, "DOWN 5D"), 0u);
  EXPECT_EQ(selected(), 2);

  open(L"TovFixture");
  events = type("keydown ctrl keydown k keyup k keyup ctrl", "11");
  EXPECT_EQ(count(events, "DOWN 4B"), 1u);
  EXPECT_EQ(count(events, "DOWN 5D"), 0u);
  EXPECT_EQ(selected(), 2);
}

TEST_F(CrevoTest, CtrlKInAnItemsViewTypesCtrlShiftN) {
  fixture_.emplace(L"folder",
                   std::vector<std::wstring>{L"200,150,500,360:class=CabinetWClass:items:tabs=2"});
  ASSERT_TRUE(fixture_->ready());
  clickAt(itemsViewPoint(itemsViewOf(fixture_->window(0)), ItemsSpot::kBackground), 1);
  xdotool("key shift");
  ASSERT_TRUE(fixture_->waitForLine("0.items KEYUP 10"));
  fixture_->mark();
  // Ctrl stays down until the keys have arrived, as the user's hand holds it.
  xdotool("keydown ctrl keydown k keyup k");
  ASSERT_TRUE(fixture_->waitForLine("0.items KEYUP 4E"));
  xdotool("keyup ctrl");
  std::vector<std::string> events = keys(fixture_->linesSinceMark());
  EXPECT_EQ(typedKeys(events), (std::vector<std::string>{"DOWN 10", "DOWN 4E", "UP 4E", "UP 10"}))
      << ::testing::PrintToString(events);
  EXPECT_EQ(count(events, "DOWN 4B"), 0u);
  for (const std::string& line : fixture_->linesSinceMark()) {
    if (line.find("0.items KEYDOWN 4E") != std::string::npos) {
      EXPECT_NE(line.find(" C1 S1 "), std::string::npos) << "Ctrl and Shift held: " << line;
    }
  }
}

}  // namespace
}  // namespace tov::test
