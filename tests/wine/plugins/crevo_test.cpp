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
    EXPECT_TRUE(waitUntil([&] { return fixture_->sawSinceMark("KEYUP " + last); })) << sequence;
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

const std::vector<std::string> kShortcut = {"DOWN 10", "DOWN 4E", "UP 4E", "UP 10"};

class CrevoWindows : public CrevoTest, public ::testing::WithParamInterface<const wchar_t*> {};

// Wine reports Windows 10: the desktop takes the shortcut, a folder window's classic list the menu.
TEST_P(CrevoWindows, CtrlKClearsAClassicListsSelectionAndTypesTheMenuKeysOrTheShortcut) {
  open(GetParam());
  ASSERT_EQ(selected(), 2);
  bool desktop = std::wstring(GetParam()).find(L"WClass") == std::wstring::npos;
  std::vector<std::string> events =
      type("keydown ctrl keydown k keyup k keyup ctrl", desktop ? "10" : "46");
  EXPECT_EQ(typedKeys(events), desktop ? kShortcut : kNewFolder)
      << ::testing::PrintToString(events);
  EXPECT_EQ(count(events, "DOWN 4B"), 0u) << "the K never arrives";
  EXPECT_EQ(selected(), desktop ? 2 : 0) << "a classic list's selection cleared for the menu";
  if (desktop) return;
  auto at = [&](const char* event) { return std::find(events.begin(), events.end(), event); };
  EXPECT_LT(at("UP 11"), at("DOWN 5D")) << "Ctrl released first";
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

// Wherever the keyboard is in a folder window with an items view, the shortcut goes into the view.
class CrevoItemsView : public CrevoTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CrevoItemsView, CtrlKTypesCtrlShiftNIntoTheItemsView) {
  fixture_.emplace(L"folder", std::vector<std::wstring>{
                                  L"200,150,500,360:class=CabinetWClass:items:tree:tabs=2"});
  ASSERT_TRUE(fixture_->ready());
  bool inTree = GetParam();
  POINT point = inTree ? POINT{10, 100}
                       : itemsViewPoint(itemsViewOf(fixture_->window(0)), ItemsSpot::kBackground);
  if (inTree) ClientToScreen(fixture_->window(0), &point);
  clickAt(point, 1);
  xdotool("key shift");
  ASSERT_TRUE(fixture_->waitForLine(inTree ? "0.tree KEYUP 10" : "0.items KEYUP 10"));
  std::vector<std::string> events = type("keydown ctrl keydown k keyup k keyup ctrl", "10");
  EXPECT_EQ(typedKeys(events), kShortcut) << ::testing::PrintToString(events);
  EXPECT_EQ(count(events, "DOWN 4B"), 0u);
  EXPECT_TRUE(fixture_->sawSinceMark("0.items KEYDOWN 4E")) << "into the view";
  for (const std::string& line : fixture_->linesSinceMark()) {
    if (line.find("0.items KEYDOWN 4E") != std::string::npos) {
      EXPECT_NE(line.find(" C1 S1 "), std::string::npos) << "Ctrl and Shift held: " << line;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(FocusInViewOrTree, CrevoItemsView, ::testing::Bool());

}  // namespace
}  // namespace tov::test
