#include "plugins/topmost/core/pin.h"

#include <gtest/gtest.h>

namespace tov::topmost {
namespace {

TEST(TopmostPress, OnlyARightPressOnTheCloseButton) {
  EXPECT_TRUE(isPinPress(WM_NCRBUTTONDOWN, HTCLOSE));
  EXPECT_FALSE(isPinPress(WM_NCRBUTTONDOWN, HTMAXBUTTON));
  EXPECT_FALSE(isPinPress(WM_NCRBUTTONDOWN, HTCAPTION));
  EXPECT_FALSE(isPinPress(WM_NCLBUTTONDOWN, HTCLOSE));  // a left press on it closes
  EXPECT_FALSE(isPinPress(WM_NCRBUTTONUP, HTCLOSE));
}

TEST(TopmostPress, FlipsTheTopmostBitOnly) {
  EXPECT_TRUE(shouldPin(0));
  EXPECT_FALSE(shouldPin(WS_EX_TOPMOST));
  EXPECT_TRUE(shouldPin(WS_EX_LAYERED | WS_EX_WINDOWEDGE));
  EXPECT_FALSE(shouldPin(0xFFFFFFFFu));
}

}  // namespace
}  // namespace tov::topmost
