#include "plugins/pushup/core/go_up.h"
#include "plugins/pushup/core/items_view_click.h"
#include "plugin_common/core/items_view.h"

#include <gtest/gtest.h>

namespace tov::pushup {
namespace {

struct TargetCase {
  const wchar_t* rootOwner;
  const wchar_t* root;
  GoUp expected;
};

class PushupTarget : public ::testing::TestWithParam<TargetCase> {};

TEST_P(PushupTarget, RootOwnerDecidesExplorerThenRootDecidesDialog) {
  EXPECT_EQ(goUpTarget(GetParam().rootOwner, GetParam().root), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, PushupTarget,
    ::testing::Values(TargetCase{L"CabinetWClass", L"CabinetWClass", GoUp::kExplorer},
                      TargetCase{L"ExploreWClass", L"ExploreWClass", GoUp::kExplorer},
                      // A dialog owned by a folder window counts as that folder window.
                      TargetCase{L"CabinetWClass", L"#32770", GoUp::kExplorer},
                      TargetCase{L"#32770", L"#32770", GoUp::kDialog},
                      // An owned dialog: the root owner is some program, the root the dialog.
                      TargetCase{L"Notepad", L"#32770", GoUp::kDialog},
                      TargetCase{L"OpusApp", L"bosa_sdm_Microsoft Office Word", GoUp::kDialog},
                      TargetCase{L"OpusApp", L"bosa_sdm_", GoUp::kDialog},
                      // Names are compared exactly, case and all; only the Office one is a prefix.
                      TargetCase{L"ExplorerWClass", L"bosa_sdm", GoUp::kNone},
                      TargetCase{L"cabinetwclass", L"#327700", GoUp::kNone},
                      TargetCase{L"CabinetWClass ", L"Bosa_sdm_XL9", GoUp::kNone},
                      // An Explorer window that is only the root (owned by another program).
                      TargetCase{L"Notepad", L"CabinetWClass", GoUp::kNone},
                      TargetCase{L"Progman", L"Progman", GoUp::kNone},
                      TargetCase{L"TovFixture", L"TovFixture", GoUp::kNone}));

TEST(PushupCommand, OnlyAnExistingFileListOfAnExplorerWindow) {
  EXPECT_TRUE(isGoUpCommandTarget(true, L"SysListView32", L"CabinetWClass"));
  EXPECT_TRUE(isGoUpCommandTarget(true, L"OpenListView", L"ExploreWClass"));
  EXPECT_FALSE(isGoUpCommandTarget(true, L"SysListView", L"CabinetWClass"));
  EXPECT_FALSE(isGoUpCommandTarget(false, L"SysListView32", L"CabinetWClass"));
  EXPECT_FALSE(isGoUpCommandTarget(true, L"SysTreeView32", L"CabinetWClass"));
  EXPECT_FALSE(isGoUpCommandTarget(true, L"SysListView32", L"#32770"));
  EXPECT_FALSE(isGoUpCommandTarget(true, L"SysListView32", L"Progman"));
}

TEST(PushupParent, OpenedOnlyWhenTheSecondLookupReportsTheSameFolder) {
  EXPECT_TRUE(shouldOpenParent(L"C:\\a\\b", true, L"C:\\a\\b"));
  EXPECT_FALSE(shouldOpenParent(L"C:\\a\\b", true, L"C:\\a"));
  EXPECT_FALSE(shouldOpenParent(L"C:\\a\\b", true, L"c:\\a\\b")) << "compared case-sensitively";
  EXPECT_FALSE(shouldOpenParent(L"C:\\a\\b", false, L"C:\\a\\b"));
  // A failed first lookup is an empty path, which no found folder equals.
  EXPECT_FALSE(shouldOpenParent(L"", true, L"C:\\a"));
  EXPECT_FALSE(shouldOpenParent(L"", false, L""));
}

TEST(PushupItemsView, TwoPressesOnOneViewWithinTheTimeAndRectangle) {
  const DoubleClickLimits limits{500, 4, 4};
  const Press first{7, 1000, 100, 100};
  auto second = [](std::uintptr_t view, std::uint32_t time, int x, int y) {
    return Press{view, time, x, y};
  };
  EXPECT_TRUE(isDoubleClick(first, second(7, 1500, 102, 98), limits)) << "at both limits";
  EXPECT_FALSE(isDoubleClick(first, second(7, 1501, 100, 100), limits)) << "too late";
  EXPECT_FALSE(isDoubleClick(first, second(7, 1100, 103, 100), limits)) << "too far";
  EXPECT_FALSE(isDoubleClick(first, second(7, 1100, 100, 97), limits));
  EXPECT_FALSE(isDoubleClick(first, second(8, 1100, 100, 100), limits)) << "another view";
  EXPECT_FALSE(isDoubleClick({0, 1000, 100, 100}, second(0, 1100, 100, 100), limits))
      << "no first press";
  // The tick count wraps after 49.7 days.
  EXPECT_TRUE(isDoubleClick({7, 0xFFFFFF00u, 5, 5}, second(7, 0x40, 5, 5), limits));
  EXPECT_FALSE(isDoubleClick({7, 0x40, 5, 5}, second(7, 0xFFFFFF00u, 5, 5), limits));
}

TEST(PushupItemsView, TheViewAndItsGroupsAreBackground) {
  EXPECT_TRUE(isBackgroundRole(ROLE_SYSTEM_LIST)) << "the view itself";
  EXPECT_TRUE(isBackgroundRole(ROLE_SYSTEM_GROUPING)) << "inside a group";
  for (long other : {ROLE_SYSTEM_LISTITEM, ROLE_SYSTEM_CLIENT, ROLE_SYSTEM_COLUMNHEADER, 0, -1})
    EXPECT_FALSE(isBackgroundRole(other)) << other;
  EXPECT_TRUE(isItemsViewClasses(L"DirectUIHWND", L"SHELLDLL_DefView"));
  EXPECT_FALSE(isItemsViewClasses(L"DirectUIHWND", L"DUIViewWndClassName"));
  EXPECT_FALSE(isItemsViewClasses(L"SysListView32", L"SHELLDLL_DefView"));
}

}  // namespace
}  // namespace tov::pushup
