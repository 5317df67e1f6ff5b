// Fadeon under Wine: the passes of start and of switching on for real, on fixture windows in
// another process; the pass of an activation through the library's own hook procedure.
#include <gtest/gtest.h>

#include "plugin_support.h"

namespace tov::test {
namespace {

using Alphas = std::vector<std::optional<BYTE>>;
constexpr std::optional<BYTE> kOpaque = std::nullopt;  // not layered

Alphas alphasOf(const Fixture& fixture, std::size_t count) {
  Alphas alphas;
  for (std::size_t i = 0; i < count; ++i) alphas.push_back(layeredAlpha(fixture.window(i)));
  return alphas;
}

// Windows made bottom first: each one made later is in front and overlaps the one before.
std::vector<std::wstring> cascade(int count, int step = 30) {
  std::vector<std::wstring> layouts;
  for (int i = 0; i < count; ++i) {
    int at = 40 + i * step;
    layouts.push_back(std::to_wstring(at) + L"," + std::to_wstring(at) + L",300,200");
  }
  return layouts;
}

class FadeonTest : public ::testing::Test {
 protected:
  // The shared section outlives a test while any program of the session has the library loaded:
  // start every test from the initial settings.
  static void resetSettings(const LoadedPlugin& plugin) {
    auto menu = plugin.menuItems();
    if (!menu.empty() && menu[0].checked) plugin->onCommand(4, 0);
    if (!plugin->isUse()) plugin->setUse(true);
  }
  std::unique_ptr<LoadedPlugin> startFadeon() {
    auto plugin = std::make_unique<LoadedPlugin>(productLibrary(L"Fadeon.dll"));
    EXPECT_TRUE(plugin->ok());
    resetSettings(*plugin);
    return plugin;
  }
};

TEST_F(FadeonTest, MenuFlipsRemainTrans) {
  auto fadeon = startFadeon();
  auto menu = fadeon->menuItems();
  ASSERT_EQ(menu.size(), 1u);
  EXPECT_EQ(menu[0].text, L"Is remain trans");
  EXPECT_EQ(menu[0].id, 1004u);
  EXPECT_FALSE(menu[0].checked);
  EXPECT_TRUE((*fadeon)->onCommand(4, 0));
  EXPECT_TRUE(fadeon->menuItems()[0].checked);
  EXPECT_TRUE((*fadeon)->onCommand(4, 0));
  EXPECT_FALSE(fadeon->menuItems()[0].checked);
  for (int offset : {0, 1, 2, 3, 5}) EXPECT_FALSE((*fadeon)->onCommand(offset, 0)) << offset;
}

TEST_F(FadeonTest, StartFadesACascadeStepByStep) {
  Fixture windows(L"cascade", cascade(3));
  ASSERT_TRUE(windows.ready());
  auto fadeon = startFadeon();
  EXPECT_EQ(alphasOf(windows, 3), (Alphas{208, 224, 240}));
}

TEST_F(FadeonTest, WindowsSideBySideBothKeepTheStartAlpha) {
  Fixture windows(L"side", {L"40,40,300,200", L"400,40,300,200"});
  ASSERT_TRUE(windows.ready());
  auto fadeon = startFadeon();
  EXPECT_EQ(alphasOf(windows, 2), (Alphas{240, 240}));
}

TEST_F(FadeonTest, TenOverlappingReachTheFloorAtTheSeventh) {
  Fixture windows(L"ten", cascade(10, 20));
  ASSERT_TRUE(windows.ready());
  auto fadeon = startFadeon();
  // Front to back: the last one made is the first of the pass.
  EXPECT_EQ(alphasOf(windows, 10), (Alphas{144, 144, 144, 144, 160, 176, 192, 208, 224, 240}));
}

TEST_F(FadeonTest, ToolOwnedAndHiddenWindowsAreNeitherFadedNorCovering) {
  Fixture windows(L"mixed", {L"600,100,300,200",         // normal, at the back
                             L"620,120,300,200:owned",   // owned by it, in front of it
                             L"640,140,300,200:tool",    // a tool window over it
                             L"660,160,300,200:hidden",  // an invisible one
                             L"40,40,300,200"});         // normal, in front, apart
  ASSERT_TRUE(windows.ready());
  auto fadeon = startFadeon();
  EXPECT_EQ(alphasOf(windows, 5), (Alphas{240, kOpaque, kOpaque, kOpaque, 240}));
}

TEST_F(FadeonTest, SwitchingOffMakesOpaqueAndOnFadesAgain) {
  Fixture windows(L"cascade", cascade(3));
  ASSERT_TRUE(windows.ready());
  auto fadeon = startFadeon();
  ASSERT_EQ(alphasOf(windows, 3), (Alphas{208, 224, 240}));
  EXPECT_FALSE((*fadeon)->setUse(false));
  EXPECT_EQ(alphasOf(windows, 3), (Alphas{kOpaque, kOpaque, kOpaque}));
  EXPECT_TRUE((*fadeon)->setUse(true));
  EXPECT_EQ(alphasOf(windows, 3), (Alphas{208, 224, 240}));
  EXPECT_TRUE((*fadeon)->stop());
  EXPECT_EQ(alphasOf(windows, 3), (Alphas{kOpaque, kOpaque, kOpaque})) << "stopping too";
}

TEST_F(FadeonTest, RemainTransKeepsTheFadeWhenSwitchedOffOrStopped) {
  Fixture windows(L"cascade", cascade(3));
  ASSERT_TRUE(windows.ready());
  auto fadeon = startFadeon();
  ASSERT_TRUE((*fadeon)->onCommand(4, 0));
  EXPECT_FALSE((*fadeon)->setUse(false));
  EXPECT_EQ(alphasOf(windows, 3), (Alphas{208, 224, 240}));
  EXPECT_TRUE((*fadeon)->stop());
  EXPECT_EQ(alphasOf(windows, 3), (Alphas{208, 224, 240}));
  EXPECT_FALSE((*fadeon)->stop());
  // Back to the initial settings for whoever loads the library next.
  (*fadeon)->onCommand(4, 0);
  (*fadeon)->setUse(true);
}

// A program that does not answer holds up neither pass: switched off, its layered window is made
// opaque by its alpha alone, and on again it is faded with the others, while it still sleeps.
TEST_F(FadeonTest, AHungProgramHoldsUpNeitherPass) {
  Fixture hung(L"hung", {L"40,40,300,200"});
  Fixture other(L"other", {L"400,40,300,200"});
  ASSERT_TRUE(hung.ready());
  ASSERT_TRUE(other.ready());
  auto fadeon = startFadeon();
  HWND sleeper = hung.window(0);
  ASSERT_EQ(layeredAlpha(sleeper), std::optional<BYTE>(240));
  constexpr unsigned kHangMs = 15000;
  PostMessageW(sleeper, kFixtureHang, kHangMs, 0);
  ASSERT_TRUE(hung.waitForLine("0 HANG"));

  (*fadeon)->setUse(false);
  EXPECT_EQ(layeredAlpha(other.window(0)), kOpaque);
  EXPECT_EQ(layeredAlpha(sleeper), std::optional<BYTE>(255));
  (*fadeon)->setUse(true);
  EXPECT_EQ(layeredAlpha(other.window(0)), std::optional<BYTE>(240));
  EXPECT_EQ(layeredAlpha(sleeper), std::optional<BYTE>(240));
  EXPECT_EQ(countLines(hung.lines(), "AWAKE"), 0u) << "a pass waited for the hung program";
  EXPECT_TRUE(hung.waitForLine("0 AWAKE", std::chrono::milliseconds(kHangMs) + 20s));
}

TEST_F(FadeonTest, UnTransAllOfTransparentMakesFadedWindowsOpaque) {
  Fixture windows(L"cascade", cascade(3));
  ASSERT_TRUE(windows.ready());
  auto fadeon = startFadeon();
  ASSERT_EQ(alphasOf(windows, 3), (Alphas{208, 224, 240}));
  LoadedPlugin transparent(productLibrary(L"Transparent.dll"));
  ASSERT_TRUE(transparent.ok());
  EXPECT_TRUE(transparent->onCommand(4, 0));
  EXPECT_EQ(alphasOf(windows, 3), (Alphas{kOpaque, kOpaque, kOpaque}));
}

// Window regions are in window coordinates; the windows' rectangles are on the screen. A region
// counts where the window is, not where its numbers would put it at the screen's corner.
TEST_F(FadeonTest, WindowRegionsCountWhereTheWindowIs) {
  {
    // A region window far from the corner, under a window at the corner: not covered.
    Fixture windows(L"region_below", {L"700,500,300,200:region", L"40,40,300,200"});
    ASSERT_TRUE(windows.ready());
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int kind = GetWindowRgn(windows.window(0), region);
    DeleteObject(region);
    ASSERT_TRUE(kind == SIMPLEREGION || kind == COMPLEXREGION) << "the fixture has its region";
    auto fadeon = startFadeon();
    EXPECT_EQ(alphasOf(windows, 2), (Alphas{240, 240}));
  }
  {
    // The same region window in front: the window at the corner is not covered by it.
    Fixture windows(L"region_above", {L"40,40,300,200", L"700,500,300,200:region"});
    ASSERT_TRUE(windows.ready());
    auto fadeon = startFadeon();
    EXPECT_EQ(alphasOf(windows, 2), (Alphas{240, 240}));
  }
  {
    // And where it really overlaps the window below, it covers it.
    Fixture windows(L"region_over", {L"500,400,300,200", L"400,300,300,200:region"});
    ASSERT_TRUE(windows.ready());
    auto fadeon = startFadeon();
    EXPECT_EQ(alphasOf(windows, 2), (Alphas{224, 240}));
  }
}

// What an activation does, through the library's own shell hook procedure.
class FadeonActivationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(probe_.get(), nullptr);
    procedure_ = probe_.exported<HOOKPROC>("fadeonShellProcedure");
    ASSERT_NE(procedure_, nullptr);
    ASSERT_TRUE(windows_.ready());
  }
  void activate(HWND window, int code = HSHELL_WINDOWACTIVATED) {
    procedure_(code, reinterpret_cast<WPARAM>(window), 0);
  }

  // Not started: only the hook procedure fades.
  LoadedPlugin probe_{joinPath(testBinDir(), L"FadeonProbe.dll"), false};
  HOOKPROC procedure_ = nullptr;
  Fixture windows_{L"activation", cascade(4)};
};

// The procedure is called on the thread that created the plug-in, which is TOV's own in TOV: there
// the pass is handed to the library's worker, so its result is waited for.
TEST_F(FadeonActivationTest, PassStartsAtTheActivatedWindow) {
  activate(windows_.window(1));
  // Windows in front of the activated one stay as they were.
  const Alphas front{224, 240, kOpaque, kOpaque};
  EXPECT_TRUE(waitUntil([&] { return alphasOf(windows_, 4) == front; }));
  activate(windows_.window(3));
  const Alphas all{192, 208, 224, 240};
  EXPECT_TRUE(waitUntil([&] { return alphasOf(windows_, 4) == all; }));
}

TEST_F(FadeonActivationTest, OtherNotificationsAndSwitchedOffDoNothing) {
  activate(windows_.window(3), HSHELL_WINDOWCREATED);
  activate(windows_.window(3), HSHELL_REDRAW);
  EXPECT_EQ(alphasOf(windows_, 4), (Alphas{kOpaque, kOpaque, kOpaque, kOpaque}));
  probe_->setUse(false);
  activate(windows_.window(3));
  EXPECT_EQ(alphasOf(windows_, 4), (Alphas{kOpaque, kOpaque, kOpaque, kOpaque}));
}

}  // namespace
}  // namespace tov::test
