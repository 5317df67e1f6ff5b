#include "plugins/shuffla/core/reorder.h"

#include <gtest/gtest.h>

#include <climits>

#include <ostream>
#include <string>
#include <vector>

namespace tov::shuffla {
namespace {

TEST(ShufflaThreshold, EightPixelsAwayIsStillAClick) {
  EXPECT_FALSE(beyondDragThreshold(0, 0));
  EXPECT_FALSE(beyondDragThreshold(8, 0));
  EXPECT_FALSE(beyondDragThreshold(0, -8));
  EXPECT_FALSE(beyondDragThreshold(-5, 6));  // 61
  EXPECT_TRUE(beyondDragThreshold(9, 0));
  EXPECT_TRUE(beyondDragThreshold(-6, 6));  // 72
  EXPECT_TRUE(beyondDragThreshold(-32768, 32767));
  // Whatever the coordinates, the squares' sum does not overflow.
  EXPECT_TRUE(beyondDragThreshold(INT_MIN, INT_MIN));
  EXPECT_TRUE(beyondDragThreshold(INT_MAX, INT_MIN));
}

// Six buttons whose windows are told apart by their address.
struct Windows {
  int storage[6] = {};
  Handle operator[](int i) const { return &storage[i]; }
  std::vector<Handle> all() const {
    return {(*this)[0], (*this)[1], (*this)[2], (*this)[3], (*this)[4], (*this)[5]};
  }
  // The entries of an order as button numbers, -1 for the empty slot.
  std::vector<int> numbers(const std::vector<Handle>& order) const {
    std::vector<int> result;
    for (Handle h : order) {
      int n = -1;
      for (int i = 0; i < 6; ++i)
        if (h == (*this)[i]) n = i;
      result.push_back(n);
    }
    return result;
  }
};

std::vector<Handle> plan(const std::vector<Handle>& buttons, const Drop& drop) {
  std::vector<Handle> order(buttons.size() + 1, reinterpret_cast<Handle>(1));
  std::size_t written = planMove(buttons.data(), buttons.size(), drop, order.data());
  order.resize(written);
  return order;
}

struct MoveCase {
  int source;
  int target;
  std::vector<int> expected;  // button numbers, -1 where the dragged one was
};

// The case as its test name says it, so that CTest's list names no bytes.
void PrintTo(const MoveCase& move, std::ostream* out) {
  *out << move.source << " onto " << move.target;
}

class ShufflaMove : public ::testing::TestWithParam<MoveCase> {};

TEST_P(ShufflaMove, LandsAfterTheTargetGoingRightAndBeforeItGoingLeft) {
  Windows w;
  const MoveCase& c = GetParam();
  std::vector<Handle> order = plan(w.all(), {c.source, c.target, w[c.source], w[c.target]});
  EXPECT_EQ(w.numbers(order), c.expected);
}

INSTANTIATE_TEST_SUITE_P(SixButtons, ShufflaMove,
                         ::testing::Values(MoveCase{1, 4, {0, -1, 2, 3, 4, 1, 5}},
                                           MoveCase{4, 1, {0, 4, 1, 2, 3, -1, 5}},
                                           MoveCase{0, 5, {-1, 1, 2, 3, 4, 5, 0}},
                                           MoveCase{5, 0, {5, 0, 1, 2, 3, 4, -1}},
                                           MoveCase{2, 3, {0, 1, -1, 3, 2, 4, 5}},
                                           MoveCase{3, 2, {0, 1, 3, 2, -1, 4, 5}}),
                         [](const ::testing::TestParamInfo<MoveCase>& info) {
                           return "Button" + std::to_string(info.param.source) + "Onto" +
                                  std::to_string(info.param.target);
                         });

TEST(ShufflaMove, NothingWithoutTwoDifferentButtons) {
  Windows w;
  for (Drop drop : {Drop{-1, 2, nullptr, w[2]}, Drop{1, -1, w[1], nullptr}, Drop{3, 3, w[3], w[3]}})
    EXPECT_TRUE(plan(w.all(), drop).empty()) << drop.source << " " << drop.target;
}

// Buttons that went away while the pointer was held: the drop knows indices of a longer list.
TEST(ShufflaMove, NothingWhenButtonsWentAwayDuringTheDrag) {
  Windows w;
  std::vector<Handle> all = w.all();
  // The last two windows closed: source and target lie beyond the list at the drop.
  std::vector<Handle> firstFour(all.begin(), all.begin() + 4);
  EXPECT_TRUE(plan(firstFour, {1, 4, w[1], w[4]}).empty());
  EXPECT_TRUE(plan(firstFour, {4, 1, w[4], w[1]}).empty());
  // The first window closed: both indices still fit, but stand for other windows now.
  std::vector<Handle> withoutFirst(all.begin() + 1, all.end());
  EXPECT_TRUE(plan(withoutFirst, {4, 5, w[4], w[5]}).empty());
  EXPECT_TRUE(plan(withoutFirst, {1, 3, w[1], w[3]}).empty());
  // A window between them closed: the source is still where it was, the target is not.
  const std::vector<Handle> withoutThird{all[0], all[1], all[3], all[4], all[5]};
  EXPECT_TRUE(plan(withoutThird, {1, 4, w[1], w[4]}).empty());
  // Nothing at all left.
  EXPECT_TRUE(plan({}, {0, 1, w[0], w[1]}).empty());
}

TEST(ShufflaMove, ButtonsBehindBothStillMove) {
  Windows w;
  std::vector<Handle> all = w.all();
  std::vector<Handle> withoutLast(all.begin(), all.end() - 1);
  EXPECT_EQ(w.numbers(plan(withoutLast, {1, 4, w[1], w[4]})),
            (std::vector<int>{0, -1, 2, 3, 4, 1}));
}

}  // namespace
}  // namespace tov::shuffla
