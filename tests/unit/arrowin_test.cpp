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

TEST(ArrowinTable, BothHandsMapToTheFourArrows) {
  EXPECT_EQ(target('E'), VK_UP);
  EXPECT_EQ(target('D'), VK_DOWN);
  EXPECT_EQ(target('A'), VK_LEFT);
  EXPECT_EQ(target('F'), VK_RIGHT);
  EXPECT_EQ(target('K'), VK_UP);
  EXPECT_EQ(target('J'), VK_DOWN);
  EXPECT_EQ(target('H'), VK_LEFT);
  EXPECT_EQ(target('L'), VK_RIGHT);
}

TEST(ArrowinTable, OtherKeysAndTheArrowsThemselvesPass) {
  for (std::uintptr_t other :
       {std::uintptr_t{'S'}, std::uintptr_t{'j'}, std::uintptr_t{VK_NONCONVERT},
        std::uintptr_t{VK_UP}, std::uintptr_t{VK_DOWN}, std::uintptr_t{VK_LEFT},
        std::uintptr_t{VK_RIGHT}, std::uintptr_t{VK_LSHIFT}, std::uintptr_t{0},
        std::uintptr_t{0x10000 + 'J'}})
    EXPECT_EQ(target(other), -1) << other;
}

TEST(ArrowinTable, CountLimitsTheSearchAndNeverReadsPastTheTables) {
  EXPECT_EQ(target('K', 4), -1);
  EXPECT_EQ(target('F', 4), VK_RIGHT);
  EXPECT_EQ(target('E', 0), -1);
  EXPECT_EQ(target('E', -3), -1);
  EXPECT_EQ(target('L', 1000), VK_RIGHT);
  // A negative entry matches nothing, not even the key it would be cast to; 0 is a key code.
  const KeyTable odd{-1, 0};
  EXPECT_EQ(targetKeyFor(odd, kInitialTargetKeys, 2, ~std::uintptr_t{0}), -1);
  EXPECT_EQ(targetKeyFor(odd, kInitialTargetKeys, 2, 0), VK_DOWN);
}

// Up held for E and for K, Left held alone (its letters are up), D held alone.
bool heldKey(std::int32_t key) {
  return key == 'E' || key == 'K' || key == VK_UP || key == VK_LEFT || key == 'D';
}

TEST(ArrowinTable, AStopLetsGoOnlyTheArrowsHeldForLettersEachOnce) {
  KeyTable arrows{};
  ASSERT_EQ(arrowsHeldByLetters(kInitialSourceKeys, kInitialTargetKeys, heldKey, arrows), 1u);
  EXPECT_EQ(arrows[0], VK_UP);
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
  EXPECT_EQ(events(arrowEvents(VK_DOWN, false, ShiftWrap::kNone, 0x2A)),
            (std::vector<KeyEvent>{{VK_DOWN, 0, 0}}));
  EXPECT_EQ(events(arrowEvents(VK_DOWN, true, ShiftWrap::kNone, 0x2A)),
            (std::vector<KeyEvent>{{VK_DOWN, 0, KEYEVENTF_KEYUP}}));
}

TEST(ArrowinEvents, LeftShiftHeldGivesRightShiftAroundTheArrow) {
  EXPECT_EQ(events(arrowEvents(VK_RIGHT, false, ShiftWrap::kRightShift, 0x36)),
            (std::vector<KeyEvent>{{VK_RSHIFT, 0x36, KEYEVENTF_EXTENDEDKEY},
                                   {VK_RIGHT, 0, 0},
                                   {VK_RSHIFT, 0x36, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP}}));
}

TEST(ArrowinEvents, RightShiftHeldGivesLeftShiftAroundTheArrow) {
  EXPECT_EQ(
      events(arrowEvents(VK_UP, true, ShiftWrap::kLeftShift, 0x2A)),
      (std::vector<KeyEvent>{
          {VK_LSHIFT, 0x2A, 0}, {VK_UP, 0, KEYEVENTF_KEYUP}, {VK_LSHIFT, 0x2A, KEYEVENTF_KEYUP}}));
}

TEST(ArrowinLayerKey, OnlyTheThreeChoicesCountElseTheNoConversionKey) {
  for (std::int32_t key : {VK_CAPITAL, VK_RMENU, VK_NONCONVERT}) EXPECT_EQ(layerKeyFrom(key), key);
  EXPECT_EQ(layerKeyFrom(std::nullopt), VK_NONCONVERT);
  for (std::int32_t other : std::vector<std::int32_t>{0, VK_MENU, 'J', VK_CAPITAL + 0x10000, -1})
    EXPECT_EQ(layerKeyFrom(other), VK_NONCONVERT) << other;
}

TEST(ArrowinLayerKey, RightAltWithCtrlIsAltGrAndLeavesTheLettersAlone) {
  EXPECT_TRUE(layerHeld(VK_RMENU, true, false));
  EXPECT_FALSE(layerHeld(VK_RMENU, true, true));
  EXPECT_TRUE(layerHeld(VK_CAPITAL, true, true)) << "Ctrl matters with the right Alt key only";
  EXPECT_FALSE(layerHeld(VK_CAPITAL, false, false));
}

TEST(ArrowinEvents, RightAltIsLiftedAroundTheArrowBehindTheMaskKey) {
  constexpr std::uint32_t kAltUp = KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP;
  EXPECT_EQ(events(arrowEvents(VK_UP, false, ShiftWrap::kLeftShift, 0x2A, {true, 0x38})),
            (std::vector<KeyEvent>{{kMaskKey, 0, 0},
                                   {kMaskKey, 0, KEYEVENTF_KEYUP},
                                   {VK_RMENU, 0x38, kAltUp},
                                   {VK_LSHIFT, 0x2A, 0},
                                   {VK_UP, 0, 0},
                                   {VK_LSHIFT, 0x2A, KEYEVENTF_KEYUP},
                                   {VK_RMENU, 0x38, KEYEVENTF_EXTENDEDKEY},
                                   {kMaskKey, 0, 0},
                                   {kMaskKey, 0, KEYEVENTF_KEYUP}}));
}

TEST(ArrowinCapsLock, AHoldThatTypedArrowsTogglesBackOnRelease) {
  EXPECT_EQ(capsLockStep(0x003A0001, false), CapsLockStep::kHoldBegins);
  EXPECT_EQ(capsLockStep(0x003A0001, true), CapsLockStep::kHoldBegins) << "a new hold";
  EXPECT_EQ(capsLockStep(0x403A0001, true), CapsLockStep::kNone) << "auto-repeat";
  EXPECT_EQ(capsLockStep(0xC03A0001u, true), CapsLockStep::kToggleBack);
  EXPECT_EQ(capsLockStep(0xC03A0001u, false), CapsLockStep::kNone) << "a tap keeps its toggle";
  EXPECT_EQ(events(capsLockTap(0x3A)),
            (std::vector<KeyEvent>{{VK_CAPITAL, 0x3A, 0}, {VK_CAPITAL, 0x3A, KEYEVENTF_KEYUP}}));
}

}  // namespace
}  // namespace tov::arrowin
