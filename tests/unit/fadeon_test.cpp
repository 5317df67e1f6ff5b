#include "plugins/fadeon/core/fade.h"

#include <gtest/gtest.h>

#include <vector>

namespace tov::fadeon {
namespace {

std::vector<int> pass(const std::vector<bool>& covered) {
  FadeSequence sequence(kInitialStartAlpha, kInitialAlphaStep, kInitialMinAlpha);
  std::vector<int> alphas;
  for (bool c : covered) alphas.push_back(sequence.next(c));
  return alphas;
}

TEST(FadeonSequence, CascadeLowersBySixteenDownToTheFloor) {
  // The first window is never covered; each one below overlaps what is above it.
  std::vector<bool> tenOverlapping(10, true);
  tenOverlapping[0] = false;
  EXPECT_EQ(pass(tenOverlapping),
            (std::vector<int>{240, 224, 208, 192, 176, 160, 144, 144, 144, 144}));
}

TEST(FadeonSequence, UncoveredWindowsKeepTheCurrentValue) {
  EXPECT_EQ(pass({false, false}), (std::vector<int>{240, 240}));
  // Once lowered, the alpha never rises again within a pass.
  EXPECT_EQ(pass({false, true, false, true, false}), (std::vector<int>{240, 224, 224, 208, 208}));
}

TEST(FadeonSequence, StepWrapsModulo256AndTheFloorCatchesIt) {
  // A step that would raise the alpha past 255 wraps to a small value, which the floor lifts.
  EXPECT_EQ(alphaWhenCovered(240, 0x20, 144), 144);  // 260 mod 256 = 4
  EXPECT_EQ(alphaWhenCovered(100, 0x20, 0), 132);
  EXPECT_EQ(alphaWhenCovered(150, kInitialAlphaStep, kInitialMinAlpha), 144);  // 134 floored
  EXPECT_EQ(alphaWhenCovered(0, kInitialAlphaStep, 0), 240);                   // wraps downwards
}

TEST(FadeonPass, OnlyShownNormalWindowsTakePart) {
  EXPECT_TRUE(takesPartInPass(true, false));
  EXPECT_FALSE(takesPartInPass(true, true)) << "cloaked: on another virtual desktop";
  EXPECT_FALSE(takesPartInPass(false, false));
}

}  // namespace
}  // namespace tov::fadeon
