#include "core/command_id.h"

#include <gtest/gtest.h>

namespace tov {
namespace {

TEST(CommandId, FirstPluginOwnsTheFirstThousandAboveTheHost) {
  EXPECT_EQ(commandBase(0), 1000);
  EXPECT_EQ(commandId(0, kOffsetToggleUse), 1003);
  EXPECT_EQ(commandId(0, kFirstPluginOffset), 1004);
  EXPECT_EQ(commandBase(1), 2000);
}

TEST(CommandId, DecodesPositionAndOffset) {
  EXPECT_EQ(decodeCommand(1003), (PluginCommand{0, 3}));
  EXPECT_EQ(decodeCommand(1999), (PluginCommand{0, 999}));
  EXPECT_EQ(decodeCommand(2000), (PluginCommand{1, 0}));
  EXPECT_EQ(decodeCommand(64999), (PluginCommand{63, 999}));
}

TEST(CommandId, HostIdentifiersBelongToNoPlugin) {
  EXPECT_EQ(decodeCommand(0), std::nullopt);
  EXPECT_EQ(decodeCommand(104), std::nullopt);
  EXPECT_EQ(decodeCommand(999), std::nullopt);
}

TEST(CommandId, EveryIdentifierOfAFittingPluginSurvivesTheLowWord) {
  for (int id = 0; id < kMaxPlugins; ++id) {
    ASSERT_TRUE(commandBlockFits(id)) << id;
    for (int offset : {0, 3, 4, 999}) {
      std::uint32_t low = commandFromWParam(static_cast<std::uint64_t>(commandId(id, offset)));
      EXPECT_EQ(decodeCommand(low), (PluginCommand{id, offset})) << id << "/" << offset;
    }
  }
}

TEST(CommandId, Id64WouldReceiveAnotherPluginsCommands) {
  EXPECT_FALSE(commandBlockFits(kMaxPlugins));
  EXPECT_FALSE(commandBlockFits(-1));
  // Plug-in 64's last identifiers pass 65535 and wrap into the host's own range.
  std::uint32_t low = commandFromWParam(static_cast<std::uint64_t>(commandId(64, 999)));
  EXPECT_NE(decodeCommand(low), (PluginCommand{64, 999}));
  EXPECT_LT(low, 1000u);
  // High bits of wParam (the notification code) never reach the identifier.
  EXPECT_EQ(commandFromWParam((std::uint64_t{1} << 16) | 1004u), 1004u);
}

}  // namespace
}  // namespace tov
