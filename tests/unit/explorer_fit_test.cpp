#include "plugins/explorer_fit/core/fit.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace tov::explorer_fit {
namespace {

// A folder window whose list fills it but for a 2-pixel border and a band of `bandHeight` at the
// top (toolbar, address bar). The list answers LVM_APPROXIMATEVIEWRECT as a details view does:
// the columns' width and the items' height, whatever size is asked for. Every question about
// sizes and every move is logged.
class FakeWindows final : public FitWindows {
 public:
  std::uint32_t style = LVS_REPORT;
  int count = 3;
  Rect item{0, 0, 300, 17};
  Rect icon{0, 0, 16, 16};
  Rect work{0, 0, 1280, 1004};
  Rect frame{100, 100, 500, 400};
  int bandHeight = 60;
  bool header = true;
  std::function<std::uint32_t(int n, int w, int h)> approximate = [this](int n, int, int) {
    return static_cast<std::uint32_t>(item.width()) |
           (static_cast<std::uint32_t>(item.height() * n) << 16);
  };
  std::function<void(FakeWindows&)> afterMove;
  std::vector<std::string> log;

  std::uint32_t listStyle() override { return style; }
  int itemCount() override { return count; }
  bool firstItemRect(ItemPart part, Rect& rect) override {
    if (count == 0) return false;
    rect = part == ItemPart::kBounds ? item : icon;
    return true;
  }
  Rect workArea() override { return work; }
  Rect listRect() override {
    return {frame.left + 2, frame.top + bandHeight, frame.right - 2, frame.bottom - 2};
  }
  Rect windowRect() override { return frame; }
  std::uint32_t approximateViewRect(int n, std::uint32_t size) override {
    int w = static_cast<std::int16_t>(size & 0xFFFF);
    int h = static_cast<std::int16_t>(size >> 16);
    log.push_back("approx " + std::to_string(n) + " " + std::to_string(w) + "x" +
                  std::to_string(h));
    return approximate(n, w, h);
  }
  bool headerVisible() override { return header; }
  int scrollBarWidth() override { return 16; }
  void move(int left, int top, int width, int height) override {
    log.push_back("move " + std::to_string(left) + "," + std::to_string(top) + " " +
                  std::to_string(width) + "x" + std::to_string(height));
    frame = {left, top, left + width, top + height};
    if (afterMove) afterMove(*this);
  }
  void unlock() override { log.push_back("unlock"); }

  std::vector<std::string> run(Variant variant, const FitParameters& parameters) {
    log.clear();
    fit(*this, variant, parameters);
    return log;
  }
};

using Log = std::vector<std::string>;

// Details view, 3 items of 300 x 17, window 400 x 300 at (100, 100), list 396 x 238.
TEST(ExplorerFit, ThreeItemsAreSizedForFifteenOnTheCorner) {
  FakeWindows windows;
  // 15 items: 300 x 255, square side sqrt(76500) = 276, again 300 x 255. dW = 300 - 396 + 4 =
  // -92; dH = 255 - 238 + 4 = 21; one column, so no empty rows; plus a row and a pixel: 39.
  EXPECT_EQ(windows.run(Variant::kA, kCornerFit),
            (Log{"approx 15 -1x-1", "approx 15 276x276", "move 100,100 308x339", "unlock"}));
  // Widex sizes a non-empty list for its own items: 51 high, dH = 51 - 277 + 4 + 18 = -204.
  EXPECT_EQ(windows.run(Variant::kA, kWidexFit),
            (Log{"approx 3 -1x-1", "approx 3 123x123", "move 100,100 308x135", "unlock"}));
  // A new folder window is sized for 40: 680 high, dH = 680 - 73 + 4 + 18 = 629.
  EXPECT_EQ(windows.run(Variant::kB, kCreationFit),
            (Log{"approx 40 -1x-1", "approx 40 451x451", "move 100,100 308x764", "unlock"}));
}

TEST(ExplorerFit, AWindowThatFitsGrowsByTheStepAndTheNextFitTakesItBack) {
  FakeWindows windows;
  windows.run(Variant::kA, kCornerFit);
  // Now exact for 15: the step makes it 20, five rows of 17 more.
  EXPECT_EQ(windows.run(Variant::kA, kCornerFit),
            (Log{"approx 15 -1x-1", "approx 15 276x276", "approx 20 -1x-1", "approx 20 319x319",
                 "move 100,100 308x424", "unlock"}));
  EXPECT_EQ(windows.run(Variant::kA, kCornerFit),
            (Log{"approx 15 -1x-1", "approx 15 276x276", "move 100,100 308x339", "unlock"}));
  // Without a step a fitting window is left as it is.
  EXPECT_EQ(windows.run(Variant::kA, {10, 15, 0}), (Log{"approx 15 -1x-1", "approx 15 276x276"}));
}

TEST(ExplorerFit, EmptyListsAreSizedForTheEmptyCountWithoutRowCorrection) {
  FakeWindows windows;
  windows.count = 0;
  windows.approximate = [](int, int, int) { return 200u | (100u << 16); };
  // 200 x 100: side 141; no item size, so dH = 100 - 238 + 4 = -134 and dW = -192.
  EXPECT_EQ(windows.run(Variant::kA, kCornerFit),
            (Log{"approx 10 -1x-1", "approx 10 141x141", "move 100,100 208x166", "unlock"}));
  EXPECT_EQ(windows.run(Variant::kB, kCreationFit)[0], "approx 40 -1x-1");
  EXPECT_EQ(windows.run(Variant::kA, {-3, 0, 5})[0], "approx 1 -1x-1");
  EXPECT_EQ(windows.run(Variant::kA, {0, 0, 5})[0], "approx 1 -1x-1");
  // Nor a list whose items have no height.
  windows.count = 3;
  windows.item = {0, 0, 300, 0};
  windows.approximate = [](int, int, int) { return 300u; };
  windows.frame = {100, 100, 500, 400};
  EXPECT_EQ(windows.run(Variant::kA, kCornerFit)[2], "move 100,100 308x66");
}

// List view: items 100 x 20 flow down columns. The square estimate 300 x 260 has 2 columns
// ((300 - 2) / 100) of 12 rows ((260 - 2) / 20): 24 places for 15 items leave (24 - 15) / 2 = 4
// rows empty, 80 pixels; then a row and a pixel more. dH = 260 - 238 + 4 - 80 + 21 = -33.
// 300 x 200 has 9 rows, one of them empty: dH = 200 - 238 + 4 - 20 + 21, the same.
TEST(ExplorerFit, EmptyRowsOfTheSquareEstimateAreTakenOff) {
  for (std::uint32_t height : {260u, 200u}) {
    FakeWindows windows;
    windows.style = LVS_LIST;
    windows.item = {0, 0, 100, 20};
    windows.approximate = [height](int, int w, int) {
      return w < 0 ? (400u | (220u << 16)) : 300u | (height << 16);
    };
    EXPECT_EQ(windows.run(Variant::kA, kCornerFit),
              (Log{"approx 15 -1x-1", "approx 15 296x296", "move 100,100 308x267", "unlock"}))
        << height;
  }
}

TEST(ExplorerFit, ViewsTheVariantDoesNotHandleAreLeftAlone) {
  FakeWindows windows;
  auto acts = [&](Variant variant) { return !windows.run(variant, kCornerFit).empty(); };
  constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  for (std::uint32_t style :
       {std::uint32_t{LVS_ICON}, std::uint32_t{LVS_SMALLICON}, kChild | LVS_ICON}) {
    windows.style = style;
    EXPECT_FALSE(acts(Variant::kA)) << style;
    EXPECT_TRUE(acts(Variant::kB)) << "16-pixel icons, whatever the style";
  }
  windows.style = kChild | LVS_LIST;
  EXPECT_TRUE(acts(Variant::kA));
  windows.icon = {10, 10, 40, 42};  // 30 wide: large icons
  EXPECT_FALSE(acts(Variant::kB));
  windows.count = 0;  // no icon to measure
  EXPECT_TRUE(acts(Variant::kB));
}

// Toolbars wrap onto a second row below 350 pixels: the list moves down 30 pixels and the
// second pass makes up for it, once.
TEST(ExplorerFit, AListPushedDownByTheNewWidthGetsASecondPass) {
  FakeWindows windows;
  windows.afterMove = [](FakeWindows& w) { w.bandHeight = w.frame.width() < 350 ? 90 : 60; };
  EXPECT_EQ(windows.run(Variant::kA, kCornerFit),
            (Log{"approx 15 -1x-1", "approx 15 276x276", "move 100,100 308x339",
                 // list now 304 x 247: dH = 255 - 247 + 4 + 18 = 30
                 "approx 15 -1x-1", "approx 15 276x276", "move 100,100 308x369", "unlock"}));
  windows.frame = {100, 100, 500, 400};
  windows.bandHeight = 60;
  windows.afterMove = [](FakeWindows& w) { w.bandHeight += 30; };  // would never settle
  EXPECT_EQ(windows.run(Variant::kA, kCornerFit).size(), 7u);
}

// Sized for n items of w x 17 (Widex's fit), a window becomes w + 8 wide and 17 n + 84 high.
struct PlaceCase {
  const char* name;
  Rect work;
  Rect frame;
  int count;
  int itemWidth;
  Variant variant;
  bool header;
  const char* move;
};

using P = PlaceCase;

void PrintTo(const PlaceCase& place, std::ostream* out) { *out << place.name; }

class ExplorerFitPlace : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(ExplorerFitPlace, TheWindowStaysOnItsWorkArea) {
  const PlaceCase& place = GetParam();
  FakeWindows windows;
  windows.work = place.work;
  windows.frame = place.frame;
  windows.count = place.count;
  windows.item = {0, 0, place.itemWidth, 17};
  windows.header = place.header;
  Log log = windows.run(place.variant, kWidexFit);
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[2], place.move);
}

constexpr Rect kScreen{0, 0, 1280, 1004};
constexpr Rect kSecond{1280, 0, 2560, 1024};
constexpr Rect kTopBar{0, 30, 1280, 1024};
constexpr Rect kLeftBar{60, 0, 1280, 1024};
constexpr Variant kA = Variant::kA;
constexpr Variant kB = Variant::kB;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Places, ExplorerFitPlace, ::testing::Values(
  P{"room",     kScreen,  {100, 100, 500, 400},    20, 300,  kA, true,  "move 100,100 308x424"},
  // 300 + 764 passes 1004: cut there, with room for a scroll bar (B: while details show)
  P{"cut",      kScreen,  {100, 300, 500, 600},    40, 300,  kA, false, "move 100,300 324x704"},
  P{"cutB",     kScreen,  {100, 300, 500, 600},    40, 300,  kB, false, "move 100,300 308x704"},
  P{"cutBHead", kScreen,  {100, 300, 500, 600},    40, 300,  kB, true,  "move 100,300 324x704"},
  // exactly down to the bottom: nothing cut, no scroll bar
  P{"toBottom", kScreen,  {100, 104, 500, 404},    48, 300,  kA, true,  "move 100,104 308x900"},
  // on the bottom edge: grows upwards, at most to the whole height
  P{"up",       kScreen,  {100, 704, 500, 1004},   40, 300,  kA, true,  "move 100,240 308x764"},
  P{"full",     kScreen,  {100, 404, 500, 1004},   60, 300,  kA, true,  "move 100,0 324x1004"},
  P{"upExact",  {0, 0, 1280, 1002}, {100, 702, 500, 1002}, 54, 300, kA, true, "move 100,0 308x1002"},
  // past the right edge: cut there, or moved left when already on it
  P{"right",    kScreen,  {1100, 100, 1500, 400},  20, 300,  kA, true,  "move 1100,100 180x424"},
  P{"onRight",  kScreen,  {880, 100, 1280, 400},   20, 600,  kA, true,  "move 672,100 608x424"},
  // only a window that passes the right edge is moved: one over the left edge stays
  P{"overLeft", kLeftBar, {40, 100, 1280, 400},    20, 1232, kA, true,  "move 40,100 1240x424"},
  // a second monitor, and taskbars at the top or left: that work area's own limits
  P{"m2Right",  kSecond,  {2400, 100, 2800, 400},  20, 300,  kA, true,  "move 2400,100 160x424"},
  P{"m2Up",     kSecond,  {1400, 424, 1800, 1024}, 60, 300,  kA, true,  "move 1400,0 324x1024"},
  P{"topBar",   kTopBar,  {100, 424, 500, 1024},   60, 300,  kA, true,  "move 100,30 324x994"},
  P{"leftBar",  kLeftBar, {300, 100, 1280, 400},   20, 1300, kA, true,  "move 60,100 1220x424"}),
  [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(ExplorerFit, MeasurementsBeyondAnyScreenDoNotOverflow) {
  // A window far outside an inverted work area, an item as wide as an int, a count near its
  // limit and the largest estimate: every sum stays inside an int.
  FakeWindows windows;
  windows.work = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  windows.frame = {INT_MIN + 10, INT_MIN + 100, INT_MAX - 10, INT_MAX - 100};
  windows.item = {INT_MIN, 0, INT_MAX, INT_MAX};
  windows.count = INT_MAX;
  windows.approximate = [](int, int, int) { return 0xFFFFFFFFu; };
  Log log = windows.run(Variant::kA, kCornerFit);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "unlock");
}

TEST(ExplorerFit, TheSquareSideOfLargeViewsDoesNotOverflow) {
  EXPECT_EQ(squareSide(300, 255), 276);
  EXPECT_EQ(squareSide(0, 500), 0);
  // 32-bit signed products of these overflow.
  EXPECT_EQ(squareSide(46341, 46341), 46341);
  EXPECT_EQ(squareSide(65535, 65535), 65535);
  EXPECT_EQ(squareSide(50000, 60000), 54772);
}

}  // namespace
}  // namespace tov::explorer_fit
