// Transparent under Wine: real right presses, wheel turns and clicks through the X server on a
// fixture program's window, with the library loaded and started the way the host does it.
#include <gtest/gtest.h>

#include "plugin_support.h"

namespace tov::test {
namespace {

constexpr wchar_t kTitle[] = L"Transparent target";

class TransparentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plugin_->ok());
    ASSERT_TRUE(fixture_.ready());
    target_ = fixture_.window(0);
    auto max = hitTestPoint(target_, HTMAXBUTTON);
    ASSERT_TRUE(max.has_value()) << "no maximise button found";
    maxButton_ = *max;
  }
  void TearDown() override {
    // Whatever a test left running, a click ends it before the next one starts.
    if (HWND w = fixture_.window(1)) {
      auto point = hitTestPoint(w, HTCLIENT);
      if (point) clickAt(*point, 1);
    }
  }

  void startAdjustment() {
    clickAt(maxButton_, 3);
    ASSERT_TRUE(waitUntil([&] { return caption(target_) == L"94%"; })) << narrow(caption(target_));
  }
  // SendInput carries deltas that a wheel of the X server never produces.
  static void sendWheel(int delta) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    input.mi.mouseData = static_cast<DWORD>(delta);
    SendInput(1, &input, sizeof input);
  }
  bool captionBecomes(const std::wstring& text) {
    return waitUntil([&] { return caption(target_) == text; });
  }

  std::optional<LoadedPlugin> plugin_{std::in_place, productLibrary(L"Transparent.dll")};
  Fixture fixture_{
      L"transparent",
      {std::wstring(L"80,80,420,300:title=") + kTitle, L"600,80,300,200:title=Bystander"}};
  HWND target_ = nullptr;
  POINT maxButton_{};
};

TEST_F(TransparentTest, OwnMenuAndCommands) {
  auto menu = plugin_->menuItems();
  ASSERT_EQ(menu.size(), 1u);
  EXPECT_EQ(menu[0].text, L"UnTrans All");
  EXPECT_EQ(menu[0].id, 1004u);
  EXPECT_FALSE(menu[0].checked);
  for (int offset : {0, 1, 2, 3, 5}) EXPECT_FALSE((*plugin_)->onCommand(offset, 0)) << offset;
}

TEST_F(TransparentTest, RightPressOnMaximiseStartsAtNinetyFourPercentAndIsSwallowed) {
  fixture_.mark();
  startAdjustment();
  EXPECT_EQ(layeredAlpha(target_), std::optional<BYTE>(240));
  fixture_.settle();
  EXPECT_FALSE(fixture_.sawSinceMark("NCRBUTTONDOWN")) << "the starting press must not arrive";
  EXPECT_FALSE(IsZoomed(target_));
}

TEST_F(TransparentTest, WheelForwardReachesOpaqueAndBackwardStopsAtTheFloor) {
  startAdjustment();
  fixture_.mark();
  wheelAt(maxButton_, 1);
  ASSERT_TRUE(captionBecomes(L"100%")) << narrow(caption(target_));
  EXPECT_FALSE(GetWindowLongW(target_, GWL_EXSTYLE) & WS_EX_LAYERED);

  wheelAt(maxButton_, -1);
  ASSERT_TRUE(captionBecomes(L"93%")) << narrow(caption(target_));
  EXPECT_EQ(layeredAlpha(target_), std::optional<BYTE>(239));

  wheelAt(maxButton_, -12);
  ASSERT_TRUE(captionBecomes(L"18%(min)")) << narrow(caption(target_));
  EXPECT_EQ(layeredAlpha(target_), std::optional<BYTE>(48));
  wheelAt(maxButton_, -2);
  fixture_.settle();
  EXPECT_EQ(caption(target_), L"18%(min)");
  EXPECT_EQ(layeredAlpha(target_), std::optional<BYTE>(48));
  EXPECT_FALSE(fixture_.sawSinceMark("MOUSEWHEEL")) << "no window sees the wheel meanwhile";
}

TEST_F(TransparentTest, DirectionFollowsTheSignOfAnyDelta) {
  startAdjustment();
  POINT cursor = maxButton_;
  SetCursorPos(cursor.x, cursor.y);
  sendWheel(-240);  // two notches coalesced backwards: one step
  ASSERT_TRUE(captionBecomes(L"87%")) << narrow(caption(target_));
  EXPECT_EQ(layeredAlpha(target_), std::optional<BYTE>(224));
  sendWheel(240);  // two notches coalesced forwards: one step up, not down
  ASSERT_TRUE(captionBecomes(L"94%")) << narrow(caption(target_));
  EXPECT_EQ(layeredAlpha(target_), std::optional<BYTE>(240));
  sendWheel(-30);  // a high-resolution wheel's small deltas
  ASSERT_TRUE(captionBecomes(L"87%")) << narrow(caption(target_));
  sendWheel(30);
  ASSERT_TRUE(captionBecomes(L"94%")) << narrow(caption(target_));
}

TEST_F(TransparentTest, AClickAnywhereEndsItRestoresTheCaptionAndStillArrives) {
  startAdjustment();
  wheelAt(maxButton_, -2);
  ASSERT_TRUE(captionBecomes(L"81%")) << narrow(caption(target_));
  fixture_.mark();
  auto elsewhere = hitTestPoint(fixture_.window(1), HTCLIENT);
  ASSERT_TRUE(elsewhere);
  clickAt(*elsewhere, 1);
  ASSERT_TRUE(captionBecomes(kTitle)) << narrow(caption(target_));
  EXPECT_TRUE(fixture_.waitForLine("1 LBUTTONDOWN")) << "the ending click reaches its window";
  EXPECT_EQ(layeredAlpha(target_), std::optional<BYTE>(208)) << "the alpha stays";
  // The wheel is the windows' own again.
  fixture_.mark();
  wheelAt(maxButton_, 1);
  EXPECT_TRUE(fixture_.waitForLine("0 MOUSEWHEEL 120"));
  EXPECT_EQ(caption(target_), kTitle);
}

TEST_F(TransparentTest, UnTransAllMakesNormalWindowsOpaque) {
  startAdjustment();
  clickAt(*hitTestPoint(target_, HTCLIENT), 1);  // ends it
  ASSERT_TRUE(captionBecomes(kTitle));
  ASSERT_EQ(layeredAlpha(target_), std::optional<BYTE>(240));
  EXPECT_TRUE((*plugin_)->onCommand(4, 0));
  EXPECT_FALSE(GetWindowLongW(target_, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(caption(target_), kTitle);
}

TEST_F(TransparentTest, OtherCaptionButtonsStartNothing) {
  for (int code : {HTCLOSE, HTMINBUTTON, HTCAPTION}) {
    auto point = hitTestPoint(target_, code);
    ASSERT_TRUE(point) << code;
    fixture_.mark();
    clickAt(*point, 3);
    EXPECT_TRUE(fixture_.waitForLine("NCRBUTTONDOWN " + hitCode(code))) << code;
    EXPECT_EQ(caption(target_), kTitle) << code;
    EXPECT_FALSE(GetWindowLongW(target_, GWL_EXSTYLE) & WS_EX_LAYERED) << code;
    ASSERT_TRUE(IsWindow(target_));
  }
}

TEST_F(TransparentTest, NotInUsePassesEverything) {
  (*plugin_)->setUse(false);
  ASSERT_FALSE((*plugin_)->isUse());
  fixture_.mark();
  clickAt(maxButton_, 3);
  EXPECT_TRUE(fixture_.waitForLine("NCRBUTTONDOWN 9"));
  wheelAt(maxButton_, -1);
  EXPECT_TRUE(fixture_.waitForLine("MOUSEWHEEL -120"));
  EXPECT_EQ(caption(target_), kTitle);
  EXPECT_FALSE(GetWindowLongW(target_, GWL_EXSTYLE) & WS_EX_LAYERED);
  (*plugin_)->setUse(true);
}

// Switched off, or stopped as TOV quits, in the middle of an adjustment: it ends there, the target
// has its own caption back and keeps its alpha, and the wheel is the windows' own. A TOV started
// afterwards finds the section idle, even when the one before ended without stopping.
TEST_F(TransparentTest, SwitchedOffOrStoppedMidwayEndsTheAdjustmentWithTheCaptionBack) {
  for (bool quit : {false, true}) {
    SCOPED_TRACE(quit ? "stopped" : "switched off");
    waitPastDoubleClick();  // the last right press was on the same spot
    startAdjustment();
    wheelAt(maxButton_, -1);
    ASSERT_TRUE(captionBecomes(L"87%")) << narrow(caption(target_));
    quit ? plugin_.reset() : (void)(*plugin_)->setUse(false);
    EXPECT_TRUE(captionBecomes(kTitle)) << narrow(caption(target_));
    EXPECT_EQ(layeredAlpha(target_), std::optional<BYTE>(224));
    quit ? (void)plugin_.emplace(productLibrary(L"Transparent.dll"))
         : (void)(*plugin_)->setUse(true);
    fixture_.mark();
    wheelAt(maxButton_, 1);
    EXPECT_TRUE(fixture_.waitForLine("0 MOUSEWHEEL 120"));
  }
  // What a TOV killed mid-adjustment leaves in the section, which outlives it in the programs
  // that map the library (the fixture; and this test, which keeps it for the writing).
  HMODULE kept = LoadLibraryW(productLibrary(L"Transparent.dll").c_str());
  struct Head {
    HHOOK hooks[2];
    bool inUse, adjusting;
  };
  plugin_.reset();
  static_cast<Head*>(sharedSectionOf(kept))->adjusting = true;
  plugin_.emplace(productLibrary(L"Transparent.dll"));
  FreeLibrary(kept);
  fixture_.mark();
  wheelAt(maxButton_, -1);
  EXPECT_TRUE(fixture_.waitForLine("0 MOUSEWHEEL -120"));
  waitPastDoubleClick();
  startAdjustment();  // the first press starts one
}

// The target's program stops answering in the middle of an adjustment. Nothing waits for it:
// every wheel turn is taken by the hook in time (none falls through to the target), the click
// that ends the adjustment reaches another program while the target still sleeps, the target
// gets its caption back once awake, and the low-level hook still works for another window.
TEST_F(TransparentTest, AHungTargetHoldsUpNeitherTheWheelNorTheEndingClick) {
  Fixture other(L"other", {L"560,420,360,220:title=Elsewhere"});
  ASSERT_TRUE(other.ready());
  HWND elsewhere = other.window(0);
  auto elsewhereMax = hitTestPoint(elsewhere, HTMAXBUTTON);
  ASSERT_TRUE(elsewhereMax);
  startAdjustment();
  fixture_.mark();
  // Long enough that anything that waited for the target could not pass for prompt.
  constexpr unsigned kHangMs = 15000;
  PostMessageW(target_, kFixtureHang, kHangMs, 0);
  ASSERT_TRUE(fixture_.waitForLine("0 HANG"));

  // Under Wine the X server's events over a window are read by that window's program, so the
  // wheel over a hung one is injected here, where the low-level hook runs.
  SetCursorPos(maxButton_.x, maxButton_.y);
  for (BYTE alpha : {224, 208}) {
    auto sent = std::chrono::steady_clock::now();
    sendWheel(-WHEEL_DELTA);
    EXPECT_TRUE(waitUntil([&] { return layeredAlpha(target_) == std::optional<BYTE>(alpha); }));
    auto taken = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - sent);
    RecordProperty("wheel_to_alpha_" + std::to_string(alpha) + "_ms",
                   static_cast<int>(taken.count()));
  }
  other.mark();
  clickAt(*hitTestPoint(elsewhere, HTCLIENT), 1);
  EXPECT_TRUE(other.waitForLine("0 LBUTTONDOWN"));
  EXPECT_FALSE(fixture_.sawSinceMark("AWAKE")) << "the click waited for the hung program";

  ASSERT_TRUE(fixture_.waitForLine("0 AWAKE", std::chrono::milliseconds(kHangMs) + 20s));
  moveMouse(maxButton_.x, maxButton_.y + 60);
  EXPECT_TRUE(captionBecomes(kTitle)) << narrow(caption(target_));
  EXPECT_EQ(layeredAlpha(target_), std::optional<BYTE>(208));
  fixture_.settle();
  EXPECT_FALSE(fixture_.sawSinceMark("MOUSEWHEEL")) << "a wheel turn outlasted the hook's time";

  clickAt(*elsewhereMax, 3);
  EXPECT_TRUE(waitUntil([&] { return caption(elsewhere) == L"94%"; }))
      << narrow(caption(elsewhere));
  wheelAt(*elsewhereMax, 1);
  EXPECT_TRUE(waitUntil([&] { return caption(elsewhere) == L"100%"; }))
      << narrow(caption(elsewhere));
}

// A target closed during its adjustment is not touched again, whatever its handle names by then:
// the wheel stays the adjustment's until the next press, which ends it and arrives as usual.
TEST_F(TransparentTest, ATargetClosedDuringTheAdjustmentIsLeftAlone) {
  Fixture closing(L"closing", {L"560,420,360,220:title=Closing"});
  ASSERT_TRUE(closing.ready());
  HWND closed = closing.window(0);
  auto closedMax = hitTestPoint(closed, HTMAXBUTTON);
  ASSERT_TRUE(closedMax);
  clickAt(*closedMax, 3);
  ASSERT_TRUE(waitUntil([&] { return caption(closed) == L"94%"; })) << narrow(caption(closed));
  PostMessageW(closed, WM_CLOSE, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(closed); }));

  HWND bystander = fixture_.window(1);
  POINT inside = *hitTestPoint(bystander, HTCLIENT);
  fixture_.mark();
  wheelAt(inside, -1);
  clickAt(inside, 1);
  EXPECT_TRUE(fixture_.waitForLine("1 LBUTTONDOWN"));
  wheelAt(inside, -1);
  EXPECT_TRUE(fixture_.waitForLine("1 MOUSEWHEEL -120"));
  EXPECT_EQ(countLines(fixture_.linesSinceMark(), "MOUSEWHEEL"), 1u);
  for (HWND window : {target_, bystander}) {
    EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(caption(window).find(L'%'), std::wstring::npos) << narrow(caption(window));
  }
}

}  // namespace
}  // namespace tov::test
