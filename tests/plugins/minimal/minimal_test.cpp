// The smallest library (minimal.cpp) as a user has it: TOV.exe loads and starts it from
// HookOrder.ini, routes its first own offset to it, which switches it off, and writes that back.
#include <gtest/gtest.h>

#include "core/command_id.h"
#include "host_support.h"

namespace tov::test {
namespace {

TEST(MinimalPlugin, TovLoadsItAndItsFirstOwnOffsetSwitchesIt) {
  HostRun host;
  host.addPlugin(L"Minimal", L"Minimal.dll");
  host.writeHookOrder("10 Minimal.dll\r\n");
  host.start();
  ASSERT_TRUE(host.waitUntilReady());
  host.command(commandId(0, kFirstPluginOffset));
  ASSERT_TRUE(host.quit());
  // A library that failed to load would keep its line as written.
  EXPECT_EQ(host.hookOrder(), "00 Minimal.dll\r\n");
}

}  // namespace
}  // namespace tov::test
