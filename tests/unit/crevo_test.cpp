#include "plugins/crevo/core/new_folder.h"

#include <gtest/gtest.h>

#include <set>

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

TEST(CrevoWay, TheShortcutFromWindows7OnWhereTheShellViewTakesIt) {
  // As GetVersion gives them (build, minor, major): XP, Vista, 7, 8, 10.
  const std::uint32_t versions[] = {0x0A280105, 0x17720006, 0x1DB10106, 0x23F00206, 0x4A65000A};
  for (std::uint32_t version : versions) {
    NewFolderWay fromWindows7 = version == versions[0] || version == versions[1]
                                    ? NewFolderWay::kMenuKeys
                                    : NewFolderWay::kShortcut;
    EXPECT_EQ(newFolderWay(version, NewFolderPlace::kDesktop), fromWindows7) << std::hex << version;
    EXPECT_EQ(newFolderWay(version, NewFolderPlace::kItemsViewFolderWindow), fromWindows7);
    EXPECT_EQ(newFolderWay(version, NewFolderPlace::kOtherFolderWindow), NewFolderWay::kMenuKeys);
  }
  EXPECT_TRUE(isFolderWindowClass(L"CabinetWClass"));
  EXPECT_FALSE(isFolderWindowClass(L"Progman")) << "the desktop is a place of its own";
}

// Each sequence releases what it presses, a key pressed on its own is pressed with exactly the
// modifiers it needs, and none is the trigger key, so the hook passes its own keys on.
TEST(CrevoKeys, ReleaseWhatTheyPressWithTheRightModifiersAndNeverTheTrigger) {
  using Keys = std::set<std::uint16_t>;
  auto check = [](const auto& sequence, Keys down, const Keys& modifiers) {
    for (const KeyEvent& key : sequence) {
      EXPECT_NE(key.virtualKey, kInitialTriggerKey);
      if (!key.up && !modifiers.contains(key.virtualKey)) {
        EXPECT_EQ(down, modifiers) << key.virtualKey;
      }
      EXPECT_TRUE(key.up ? down.erase(key.virtualKey) == 1 : down.insert(key.virtualKey).second);
    }
    EXPECT_TRUE(down.empty());
  };
  check(kNewFolderKeys, {VK_CONTROL}, {});  // the user's Ctrl released first
  check(kNewFolderShortcutKeys, {}, {VK_CONTROL, VK_SHIFT});
}

}  // namespace
}  // namespace tov::crevo
