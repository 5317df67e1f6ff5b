#include "core/shell_tabs.h"

#include <gtest/gtest.h>

#include <utility>

namespace tov {
namespace {

// The entry taken among those that name one window, in the shell's order, and how many were
// looked at before the choice settled.
std::pair<int, int> choose(std::initializer_list<TabPlace> places) {
  TabChoice choice;
  int chosen = -1, asked = 0;
  for (auto place = places.begin(); place != places.end() && !choice.settled(); ++place, ++asked)
    if (choice.offer(*place)) chosen = asked;
  return {chosen, asked};
}

TEST(ShellTabs, TheShownTabAmongTheEntriesOfOneWindow) {
  using enum TabPlace;
  EXPECT_EQ(choose({kHidden, kHidden, kShown, kHidden}), std::pair(2, 3));
  EXPECT_EQ(choose({kUnknown, kShown}), std::pair(1, 2));
  // Nothing tells them apart: the first, as before tabs; a view not known to be hidden first.
  EXPECT_EQ(choose({kUnknown, kUnknown}), std::pair(0, 2));
  EXPECT_EQ(choose({kHidden, kHidden}), std::pair(0, 2));
  EXPECT_EQ(choose({kHidden, kUnknown, kHidden}), std::pair(1, 3));
}

}  // namespace
}  // namespace tov
