#include "plugins/arrowin/core/arrow_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace tov::arrowin {
namespace {

std::int32_t target(std::uintptr_t key, std::int32_t count = kKeyTableSize) {
  return targetKeyFor(kInitialSourceKeys, kInitialTargetKeys, count, key);
}

std::vector<KeyEvent> events(const KeyEvents& e) {
  return std::vector<KeyEvent>(e.events.begin(), e.events.begin() + e.count);
}

constexpr std::uint16_t kUp = 0x26, kDown = 0x28, kLeft = 0x25, kRight = 0x27;

TEST(ArrowinTable, BothHandsMapToTheFourArrows) {
  EXPECT_EQ(target('E'), kUp);
  EXPECT_EQ(target('D'), kDown);
  EXPECT_EQ(target('A'), kLeft);
  EXPECT_EQ(target('F'), kRight);
  EXPECT_EQ(target('K'), kUp);
  EXPECT_EQ(target('J'), kDown);
  EXPECT_EQ(target('H'), kLeft);
  EXPECT_EQ(target('L'), kRight);
}

TEST(ArrowinTable, OtherKeysAndTheArrowsThemselvesPass) {
  for (std::uintptr_t other :
       {std::uintptr_t{'S'}, std::uintptr_t{'j'}, std::uintptr_t{0x1D}, std::uintptr_t{kUp},
        std::uintptr_t{kDown}, std::uintptr_t{kLeft}, std::uintptr_t{kRight}, std::uintptr_t{0xA0},
        std::uintptr_t{0}, std::uintptr_t{0x10000 + 'J'}})
    EXPECT_EQ(target(other), -1) << other;
}

TEST(ArrowinTable, CountLimitsTheSearchAndNeverReadsPastTheTables) {
  EXPECT_EQ(target('K', 4), -1);
  EXPECT_EQ(target('F', 4), kRight);
  EXPECT_EQ(target('E', 0), -1);
  EXPECT_EQ(target('E', -3), -1);
  EXPECT_EQ(target('L', 1000), kRight);
}

TEST(ArrowinKeys, ReleaseIsBit31OfTheFlags) {
  EXPECT_FALSE(isKeyRelease(0x00240001));        // J pressed
  EXPECT_FALSE(isKeyRelease(0x40240001));        // auto-repeat
  EXPECT_TRUE(isKeyRelease(0xC0240001u));        // released
  EXPECT_TRUE(isKeyRelease(std::intptr_t{-1}));  // sign-extended on 64 bits
  EXPECT_FALSE(isKeyRelease(std::intptr_t(0x7FFFFFFF)));
}

TEST(ArrowinShift, TheOtherShiftWrapsTheArrow) {
  EXPECT_EQ(shiftWrap(false, false, false), ShiftWrap::kNone);
  EXPECT_EQ(shiftWrap(true, false, true), ShiftWrap::kLeftShift);   // only right held
  EXPECT_EQ(shiftWrap(true, true, false), ShiftWrap::kRightShift);  // only left held
  EXPECT_EQ(shiftWrap(true, true, true), ShiftWrap::kNone);         // both held
}

TEST(ArrowinEvents, PlainArrowPressAndRelease) {
  EXPECT_EQ(events(arrowEvents(kDown, false, ShiftWrap::kNone, 0x2A)),
            (std::vector<KeyEvent>{{kDown, 0, 0}}));
  EXPECT_EQ(events(arrowEvents(kDown, true, ShiftWrap::kNone, 0x2A)),
            (std::vector<KeyEvent>{{kDown, 0, kKeyUp}}));
}

TEST(ArrowinEvents, LeftShiftHeldGivesRightShiftAroundTheArrow) {
  EXPECT_EQ(events(arrowEvents(kRight, false, ShiftWrap::kRightShift, 0x36)),
            (std::vector<KeyEvent>{
                {0xA1, 0x36, kExtendedKey}, {kRight, 0, 0}, {0xA1, 0x36, kExtendedKey | kKeyUp}}));
}

TEST(ArrowinEvents, RightShiftHeldGivesLeftShiftAroundTheArrow) {
  EXPECT_EQ(events(arrowEvents(kUp, true, ShiftWrap::kLeftShift, 0x2A)),
            (std::vector<KeyEvent>{{0xA0, 0x2A, 0}, {kUp, 0, kKeyUp}, {0xA0, 0x2A, kKeyUp}}));
}

}  // namespace
}  // namespace tov::arrowin
