#include "plugins/crevo/core/new_folder.h"

#include <gtest/gtest.h>

#include <span>
#include <vector>

namespace tov::crevo {
namespace {

constexpr std::intptr_t kPressK = 0x00250001;  // first press, scan code 0x25

bool trigger(int code, std::uintptr_t key, std::intptr_t flags, bool inUse = true) {
  return isTriggerPress(kInitialTriggerKey, inUse, code, key, flags);
}

TEST(CrevoTrigger, OnlyTheFirstPressOfKBeingRemoved) {
  EXPECT_TRUE(trigger(HC_ACTION, 'K', kPressK));
  EXPECT_FALSE(trigger(HC_ACTION, 'K', 0x40250001)) << "auto-repeat";
  EXPECT_FALSE(trigger(HC_ACTION, 'K', 0xC0250001u)) << "release";
  EXPECT_FALSE(trigger(HC_ACTION, 'K', std::intptr_t{-1})) << "sign-extended flags";
  EXPECT_FALSE(trigger(HC_NOREMOVE, 'K', kPressK)) << "only a look";
  EXPECT_FALSE(trigger(-1, 'K', kPressK));
  EXPECT_FALSE(trigger(HC_ACTION, 'K', kPressK, false)) << "not in use";
  for (std::uintptr_t other : {std::uintptr_t{'k'}, std::uintptr_t{'J'}, std::uintptr_t{VK_CONTROL},
                               std::uintptr_t{0x10000 + 'K'}})
    EXPECT_FALSE(trigger(HC_ACTION, other, kPressK)) << other;
}

TEST(CrevoTrigger, TheTriggerKeyIsTheSharedOne) {
  EXPECT_TRUE(isTriggerPress('N', true, 0, 'N', kPressK));
  EXPECT_FALSE(isTriggerPress('N', true, 0, 'K', kPressK));
}

TEST(CrevoWindows, DesktopAndExplorerWindowsByExactName) {
  for (const wchar_t* name : {L"Progman", L"CabinetWClass", L"ExploreWClass"})
    EXPECT_TRUE(isNewFolderWindowClass(name)) << name;
  for (const wchar_t* other :
       {L"progman", L"WorkerW", L"ExplorerWClass", L"CabinetWClassX", L"#32770", L""})
    EXPECT_FALSE(isNewFolderWindowClass(other)) << other;
}

TEST(CrevoItemsView, CtrlShiftNWithShiftPressedOnlyWhenNotHeld) {
  KeySequence typed = itemsViewNewFolderKeys(false);
  EXPECT_EQ(
      std::vector<KeyEvent>(typed.keys.begin(), typed.keys.begin() + typed.count),
      (std::vector<KeyEvent>{{VK_SHIFT, false}, {'N', false}, {'N', true}, {VK_SHIFT, true}}));
  typed = itemsViewNewFolderKeys(true);
  EXPECT_EQ(std::vector<KeyEvent>(typed.keys.begin(), typed.keys.begin() + typed.count),
            (std::vector<KeyEvent>{{'N', false}, {'N', true}}));
  EXPECT_TRUE(isFolderWindowClass(L"CabinetWClass"));
  EXPECT_FALSE(isFolderWindowClass(L"Progman")) << "the desktop keeps its list";
}

TEST(CrevoMenuKeys, EveryKeyTypedGoesDownThenUpAndNoneStaysDown) {
  // Only the Ctrl the user holds is released without being pressed, and first.
  EXPECT_EQ(kNewFolderKeys.front(), (KeyEvent{VK_CONTROL, true}));
  std::vector<std::uint16_t> down;
  for (const KeyEvent& key : std::span(kNewFolderKeys).subspan(1)) {
    if (!key.up) {
      down.push_back(key.virtualKey);
      continue;
    }
    ASSERT_FALSE(down.empty()) << key.virtualKey;
    EXPECT_EQ(down.back(), key.virtualKey);
    down.pop_back();
  }
  EXPECT_TRUE(down.empty());
}

}  // namespace
}  // namespace tov::crevo
