// Topmost under Wine: real right presses on caption buttons of a fixture program's windows.
#include <gtest/gtest.h>

#include <cstdio>

#include "plugin_support.h"

namespace tov::test {
namespace {

bool isTopmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

class TopmostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plugin_.ok());
    ASSERT_TRUE(fixture_.ready());
    main_ = fixture_.window(0);
    dialog_ = fixture_.window(1);
    other_ = fixture_.window(2);
  }
  POINT at(HWND window, int code) {
    auto point = hitTestPoint(window, code);
    EXPECT_TRUE(point.has_value()) << code;
    return point.value_or(POINT{0, 0});
  }

  LoadedPlugin plugin_{productLibrary(L"Topmost.dll")};
  Fixture fixture_{L"topmost",
                   {L"60,60,420,300:title=Main", L"200,420,300,160:popup:owned:title=Dialog",
                    L"700,60,360,240:title=Other"}};
  HWND main_ = nullptr;
  HWND dialog_ = nullptr;
  HWND other_ = nullptr;
};

TEST_F(TopmostTest, NoOwnMenuAndOffsetFourFlipsUse) {
  EXPECT_TRUE(plugin_.menuItems().empty());
  EXPECT_TRUE(plugin_->onCommand(4, 0));
  EXPECT_FALSE(plugin_->isUse());
  EXPECT_TRUE(plugin_->onCommand(4, 0));
  EXPECT_TRUE(plugin_->isUse());
  for (int offset : {0, 1, 2, 3, 5}) EXPECT_FALSE(plugin_->onCommand(offset, 0)) << offset;
}

TEST_F(TopmostTest, RightPressOnCloseTogglesAndIsSwallowed) {
  ASSERT_FALSE(isTopmost(other_));
  POINT close = at(other_, HTCLOSE);
  fixture_.mark();
  clickAt(close, 3);
  ASSERT_TRUE(waitUntil([&] { return isTopmost(other_); }));
  EXPECT_TRUE(waitUntil([&] { return GetForegroundWindow() == other_; })) << "and activated";
  fixture_.settle();
  EXPECT_FALSE(fixture_.sawSinceMark("2 NCRBUTTONDOWN")) << "the press must not arrive";
  EXPECT_TRUE(IsWindow(other_));

  waitPastDoubleClick();
  clickAt(close, 3);
  EXPECT_TRUE(waitUntil([&] { return !isTopmost(other_); })) << "a second press unpins";
  EXPECT_FALSE(isTopmost(main_));
}

// Wine hands the topmost state of a window with owned windows to those windows (the owner's
// own style stays clear), so what is checked is which window was asked.
TEST_F(TopmostTest, OwnedDialogAsksItsRootOwner) {
  fixture_.mark();
  clickAt(at(dialog_, HTCLOSE), 3);
  EXPECT_TRUE(fixture_.waitForLine("0 POSCHANGING after -1"));
  EXPECT_TRUE(IsWindow(dialog_)) << "the dialog is not closed";
  fixture_.settle();
  EXPECT_FALSE(fixture_.sawSinceMark("1 POSCHANGING after -1")) << "the dialog is not asked";
  EXPECT_FALSE(fixture_.sawSinceMark("NCRBUTTONDOWN"));
}

// A dialog of another program whose root owner is Main, and Main's program does not answer: the
// press is taken without waiting for it (the dialog's next click arrives while Main still
// sleeps), and Main is pinned once awake.
TEST_F(TopmostTest, ARootOwnerOfAnotherProgramIsNotWaitedFor) {
  char owner[32];
  std::snprintf(owner, sizeof owner, "%llX",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(main_)));
  Fixture foreign(L"foreign", {L"560,420,300,160:popup:title=Foreign:ownedby=" + widen(owner)});
  ASSERT_TRUE(foreign.ready());
  HWND dialog = foreign.window(0);
  ASSERT_EQ(GetWindow(dialog, GW_OWNER), main_);
  POINT close = at(dialog, HTCLOSE);
  POINT inside = at(dialog, HTCLIENT);
  fixture_.mark();
  constexpr unsigned kHangMs = 15000;
  PostMessageW(main_, kFixtureHang, kHangMs, 0);
  ASSERT_TRUE(fixture_.waitForLine("0 HANG"));
  foreign.mark();
  clickAt(close, 3);
  clickAt(inside, 1);
  EXPECT_TRUE(foreign.waitForLine("0 LBUTTONDOWN"));
  EXPECT_EQ(countLines(fixture_.lines(), "AWAKE"), 0u) << "the press waited for Main";
  EXPECT_FALSE(foreign.sawSinceMark("NCRBUTTONDOWN"));
  ASSERT_TRUE(fixture_.waitForLine("0 AWAKE", std::chrono::milliseconds(kHangMs) + 20s));
  EXPECT_TRUE(fixture_.waitForLine("0 POSCHANGING after -1"));
}

TEST_F(TopmostTest, OtherPlacesOfTheCaptionPassUnchanged) {
  for (int code : {HTMAXBUTTON, HTMINBUTTON, HTCAPTION}) {
    fixture_.mark();
    clickAt(at(main_, code), 3);
    EXPECT_TRUE(fixture_.waitForLine("0 NCRBUTTONDOWN " + hitCode(code))) << code;
    EXPECT_FALSE(isTopmost(main_)) << code;
  }
}

TEST_F(TopmostTest, LeftClickOnCloseStillCloses) {
  clickAt(at(other_, HTCLOSE), 1);
  EXPECT_TRUE(fixture_.waitForLine("2 DESTROY"));
  EXPECT_FALSE(IsWindow(other_));
}

TEST_F(TopmostTest, NotInUsePassesThePress) {
  plugin_->setUse(false);
  fixture_.mark();
  clickAt(at(main_, HTCLOSE), 3);
  EXPECT_TRUE(fixture_.waitForLine("0 NCRBUTTONDOWN " + hitCode(HTCLOSE)));
  EXPECT_FALSE(isTopmost(main_));
  plugin_->setUse(true);
}

}  // namespace
}  // namespace tov::test
