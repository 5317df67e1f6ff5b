#include "plugins/topmost/core/pin.h"

#include <gtest/gtest.h>

namespace tov::topmost {
namespace {

TEST(TopmostPress, OnlyARightPressOnTheCloseButton) {
  EXPECT_TRUE(isPinPress(0xA4, 20));
  EXPECT_FALSE(isPinPress(0xA4, 9));   // maximise button
  EXPECT_FALSE(isPinPress(0xA4, 2));   // caption
  EXPECT_FALSE(isPinPress(0xA1, 20));  // left press on the close button: it closes
  EXPECT_FALSE(isPinPress(0xA5, 20));  // right release
}

TEST(TopmostPress, FlipsTheTopmostBitOnly) {
  EXPECT_TRUE(shouldPin(0));
  EXPECT_FALSE(shouldPin(0x8));
  EXPECT_TRUE(shouldPin(0x80000 | 0x100));  // layered, window edge
  EXPECT_FALSE(shouldPin(0xFFFFFFFFu));
}

}  // namespace
}  // namespace tov::topmost
