#include "core/scaling.h"

#include <gtest/gtest.h>

namespace tov {
namespace {

struct DefaultCase {
  int dpi;
  Placement expected;
};

class DefaultPlacement : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultPlacement, IsTheHundredPercentPlacementScaled) {
  Placement placement = defaultPlacement(GetParam().dpi);
  EXPECT_EQ(placement.left, GetParam().expected.left);
  EXPECT_EQ(placement.top, GetParam().expected.top);
  EXPECT_EQ(placement.width, GetParam().expected.width);
  EXPECT_EQ(placement.height, GetParam().expected.height);
}

INSTANTIATE_TEST_SUITE_P(Scalings, DefaultPlacement,
                         ::testing::Values(DefaultCase{96, {100, 100, 400, 300}},
                                           DefaultCase{144, {150, 150, 600, 450}},
                                           DefaultCase{192, {200, 200, 800, 600}},
                                           // An unanswered query: the 100 % placement.
                                           DefaultCase{0, {100, 100, 400, 300}}));

TEST(ScaleForDpi, RoundsHalvesAwayFromZeroLikeMulDiv) {
  EXPECT_EQ(scaleForDpi(3, 120), 4);    // 3.75
  EXPECT_EQ(scaleForDpi(15, 120), 19);  // 18.75
  EXPECT_EQ(scaleForDpi(1, 144), 2);    // 1.5
  EXPECT_EQ(scaleForDpi(-1, 144), -2);
  EXPECT_EQ(scaleForDpi(-3, 120), -4);
  EXPECT_EQ(scaleForDpi(7, -96), 7);
}

}  // namespace
}  // namespace tov
