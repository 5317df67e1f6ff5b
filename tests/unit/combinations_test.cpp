#include "core/combinations.h"

#include <gtest/gtest.h>

namespace tov {
namespace {

// A: plug-ins 0 and 1, B: plug-in 2.
Combinations workAndPlay() {
  Combinations c;
  c.define('A', L"Work");
  c.define('B', L"Play");
  const Membership members[] = {1u << 0, 1u << 0, 1u << 1};
  c.setMembers(members);
  return c;
}

TEST(Combinations, MembersFollowTheLettersOfEachPlugin) {
  Combinations c;
  c.define('B', L"second");
  c.define('A', L"first");
  c.define('B', L"again");   // the same letter twice: both exist with the same plug-ins
  c.define('[', L"past Z");  // no letter: no member, whatever the bit after Z's says
  const Membership members[] = {0b11 | 1u << 26, 0b10, 0};
  c.setMembers(members);
  EXPECT_EQ(c.members(0), (PluginSet{true, true, false}));
  EXPECT_EQ(c.members(1), (PluginSet{true, false, false}));
  EXPECT_EQ(c.members(2), c.members(0));
  EXPECT_EQ(c.members(3), (PluginSet{false, false, false}));
}

TEST(Combinations, ShiftGoesThroughEveryCombinationThenCustom) {
  Combinations c = workAndPlay();
  // Start-up flags that match nothing are recorded as Custom.
  EXPECT_FALSE(c.sync({false, true, true}));
  EXPECT_EQ(c.current(), kCustomCombination);
  EXPECT_EQ(c.shift(), (PluginSet{true, true, false}));
  EXPECT_EQ(c.current(), 0);
  EXPECT_EQ(c.shift(), (PluginSet{false, false, true}));
  EXPECT_EQ(c.shift(), (PluginSet{false, true, true}));
  EXPECT_EQ(c.current(), kCustomCombination);
  EXPECT_EQ(c.shift(), (PluginSet{true, true, false}));
}

TEST(Combinations, CustomWithoutARecordedSetFallsBackToTheFirst) {
  Combinations c = workAndPlay();
  EXPECT_TRUE(c.sync({false, false, true}));  // B matches: nothing recorded
  EXPECT_EQ(c.current(), 1);
  EXPECT_FALSE(c.customSelectable());
  EXPECT_EQ(c.shift(), (PluginSet{true, true, false}));  // Custom is empty: the first again
  EXPECT_EQ(c.current(), 0);
}

TEST(Combinations, NothingDefinedAndNothingRecordedChangesNothing) {
  Combinations none;
  EXPECT_EQ(none.shift(), std::nullopt);
  EXPECT_EQ(none.current(), kCustomCombination);
  // No plug-ins: reported as a change, nothing recorded.
  EXPECT_TRUE(none.sync({}));
  EXPECT_FALSE(none.customSelectable());
  // Plug-ins without combinations: their flags become Custom, which shifting then re-applies.
  EXPECT_FALSE(none.sync({true, false}));
  EXPECT_EQ(none.shift(), (PluginSet{true, false}));
}

TEST(Combinations, SelectingTheActiveOneOrNoneDoesNothing) {
  Combinations c = workAndPlay();
  c.sync({true, true, false});
  EXPECT_EQ(c.select(0), std::nullopt);
  EXPECT_EQ(c.select(2), std::nullopt);  // no third combination
  EXPECT_EQ(c.select(-2), std::nullopt);
  EXPECT_EQ(c.current(), 0);
  EXPECT_EQ(c.select(1), (PluginSet{false, false, true}));
  // Custom never recorded: selecting it falls back to the first combination.
  EXPECT_EQ(c.select(kCustomCombination), (PluginSet{true, true, false}));
  EXPECT_EQ(c.current(), 0);
}

TEST(Combinations, SyncRecordsCustomOnlyWhenNothingMatches) {
  Combinations c = workAndPlay();
  EXPECT_TRUE(c.sync({true, true, false}));
  EXPECT_TRUE(c.sync({true, false, false}));
  EXPECT_EQ(c.current(), kCustomCombination);
  EXPECT_EQ(c.customSet(), (PluginSet{true, false, false}));
  EXPECT_TRUE(c.sync({false, false, true}));
  EXPECT_EQ(c.customSet(), (PluginSet{true, false, false}));  // kept while B matches
  EXPECT_FALSE(c.sync({false, false, true}));
  // Sets of another length never match.
  EXPECT_TRUE(c.sync({false, false, true, false}));
  EXPECT_EQ(c.current(), kCustomCombination);
}

TEST(Combinations, WhatTheHostIconShows) {
  Combinations c = workAndPlay();
  EXPECT_EQ(c.tooltip(), L"TOV:Custom");
  EXPECT_EQ(c.iconFile(), L"comb_custom.ico");
  c.sync({false, false, true});
  EXPECT_EQ(c.tooltip(), L"TOV:[B]Play");
  EXPECT_EQ(c.iconFile(), L"comb_B.ico");
}

TEST(Combinations, MenuLabelsShowAmpersandsOnce) {
  Combinations c;
  c.define('W', L"Rock & Roll");
  c.define('E', L"");
  c.define('X', L"&&");
  EXPECT_EQ(c.menuLabel(0), L"&W. Rock && Roll");
  EXPECT_EQ(c.menuLabel(1), L"&E. ");
  EXPECT_EQ(c.menuLabel(2), L"&X. &&&&");
}

TEST(Combinations, CommandsThatSelect) {
  EXPECT_EQ(combinationOfCommand(kCommandSelectCustom), kCustomCombination);
  EXPECT_EQ(combinationOfCommand(202), 0);
  EXPECT_EQ(combinationOfCommand(227), 25);
  EXPECT_EQ(combinationOfCommand(228), std::nullopt);
  EXPECT_EQ(combinationOfCommand(kCommandShiftCombination), std::nullopt);
}

}  // namespace
}  // namespace tov
