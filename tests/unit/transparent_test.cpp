#include "plugins/transparent/core/adjustment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tov::transparent {
namespace {

std::wstring caption(int alpha, int minAlpha = kInitialMinAlpha) {
  wchar_t buffer[kCaptionCapacity];
  std::size_t length = formatCaption(settleAlpha(alpha, minAlpha), minAlpha, buffer);
  EXPECT_EQ(buffer[length], L'\0');
  return buffer;
}

// Runs a sequence of wheel deltas from a start value as the hook does: step, then settle.
std::vector<int> turn(int alpha, const std::vector<int>& deltas) {
  std::vector<int> seen;
  for (int delta : deltas) {
    alpha = settleAlpha(alphaAfterWheel(alpha, delta, kInitialWheelStep), kInitialMinAlpha).alpha;
    seen.push_back(alpha);
  }
  return seen;
}

TEST(TransparentPresses, OnlyARightPressOnTheMaximiseButtonStarts) {
  EXPECT_TRUE(startsAdjustment(WM_NCRBUTTONDOWN, HTMAXBUTTON));
  EXPECT_FALSE(startsAdjustment(WM_NCRBUTTONDOWN, HTCLOSE));
  EXPECT_FALSE(startsAdjustment(WM_NCRBUTTONDOWN, HTMINBUTTON));
  EXPECT_FALSE(startsAdjustment(WM_NCRBUTTONDOWN, HTCAPTION));
  EXPECT_FALSE(startsAdjustment(WM_NCLBUTTONDOWN, HTMAXBUTTON));
  EXPECT_FALSE(startsAdjustment(WM_RBUTTONDOWN, HTMAXBUTTON));  // in the client area
}

TEST(TransparentPresses, EveryButtonPressEndsAndNothingElse) {
  for (std::uintptr_t press : {WM_LBUTTONDOWN, WM_NCLBUTTONDOWN, WM_RBUTTONDOWN, WM_NCRBUTTONDOWN,
                               WM_MBUTTONDOWN, WM_NCMBUTTONDOWN, WM_XBUTTONDOWN, WM_NCXBUTTONDOWN})
    EXPECT_TRUE(isButtonPress(press)) << press;
  // Releases, double clicks, moves and the wheel do not end an adjustment.
  for (std::uintptr_t other : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP,
                               WM_MBUTTONUP, WM_MOUSEWHEEL, WM_XBUTTONUP, WM_NCMOUSEMOVE,
                               WM_NCLBUTTONUP, WM_NCRBUTTONUP, WM_NCLBUTTONDBLCLK, WM_MOUSEHWHEEL})
    EXPECT_FALSE(isButtonPress(other)) << other;
}

TEST(TransparentWheel, DeltaIsTheSignedHighWord) {
  EXPECT_EQ(wheelDelta(120u << 16), 120);
  EXPECT_EQ(wheelDelta(0xFF880000u), -120);
  EXPECT_EQ(wheelDelta(0xFF88FFFFu), -120);  // low word ignored
  EXPECT_EQ(wheelDelta(240u << 16), 240);
  EXPECT_EQ(wheelDelta(0x80000000u), -32768);
  EXPECT_EQ(wheelDelta(0x0000FFFFu), 0);
}

TEST(TransparentWheel, DirectionFollowsTheSignNotTheSize) {
  // Coalesced notches and high-resolution wheels: every forward delta makes the window more
  // opaque, every backward delta less.
  for (int forward : {1, 15, 60, 120, 240, 360, 32767})
    EXPECT_EQ(alphaAfterWheel(200, forward, kInitialWheelStep), 216) << forward;
  for (int backward : {-1, -60, -120, -240, -32768})
    EXPECT_EQ(alphaAfterWheel(200, backward, kInitialWheelStep), 184) << backward;
  EXPECT_EQ(alphaAfterWheel(200, 0, kInitialWheelStep), 200);
}

TEST(TransparentWheel, ForwardFromTheStartReachesOpaque) {
  EXPECT_EQ(turn(kStartAlpha, {120}), (std::vector<int>{255}));
  EXPECT_EQ(settleAlpha(256, kInitialMinAlpha), (AlphaLevel{255, true}));
  EXPECT_EQ(settleAlpha(255, kInitialMinAlpha), (AlphaLevel{255, true}));
  // Staying at the top: further forward events keep it opaque.
  EXPECT_EQ(turn(kStartAlpha, {120, 120, 240}), (std::vector<int>{255, 255, 255}));
}

TEST(TransparentWheel, BackwardFromOpaqueAndFromTheStart) {
  EXPECT_EQ(turn(255, {-120, -120, -120}), (std::vector<int>{239, 223, 207}));
  std::vector<int> fromStart = turn(kStartAlpha, std::vector<int>(13, -120));
  EXPECT_EQ(fromStart.front(), 224);
  EXPECT_EQ(fromStart[10], 64);
  EXPECT_EQ(fromStart[11], 48);  // twelve notches reach the floor
  EXPECT_EQ(fromStart[12], 48);  // and it holds
  // From 255 the steps miss the floor by one: 47 is raised to 48.
  std::vector<int> fromOpaque = turn(255, std::vector<int>(13, -120));
  EXPECT_EQ(fromOpaque[11], 63);
  EXPECT_EQ(fromOpaque[12], 48);
}

TEST(TransparentCaption, PercentRoundsDown) {
  EXPECT_EQ(caption(240), L"94%");
  EXPECT_EQ(caption(239), L"93%");
  EXPECT_EQ(caption(223), L"87%");
  EXPECT_EQ(caption(207), L"81%");
  EXPECT_EQ(caption(254), L"99%");
  EXPECT_EQ(caption(64), L"25%");
}

TEST(TransparentCaption, OpaqueAndFloor) {
  EXPECT_EQ(caption(255), L"100%");
  EXPECT_EQ(caption(300), L"100%");
  EXPECT_EQ(caption(48), L"18%(min)");
  EXPECT_EQ(caption(10), L"18%(min)");  // raised to the floor first
  EXPECT_EQ(caption(0, 0), L"0%(min)");
}

TEST(TransparentCaption, ExtremeValuesStayInsideTheBuffer) {
  EXPECT_EQ(caption(-2147483647 - 1, -2147483647 - 1), L"-842150450%(min)");
  EXPECT_EQ(caption(254, 254), L"99%(min)");
}

}  // namespace
}  // namespace tov::transparent
