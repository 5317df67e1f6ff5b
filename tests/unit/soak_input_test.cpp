// The soak's planned input: replayable from its seed, never leaving a button or key down, with
// the events it was asked for; and the rule that tells growth from noise in its measurements.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "tests/wine/soak/core/soak_input.h"

namespace tov::soak {
namespace {

Scene scene() {
  Scene s;
  WindowTargets plain{{200, 150}, Point{330, 50}, Point{370, 50}, Point{395, 275}, {}};
  WindowTargets folder{
      {600, 150}, Point{730, 50}, Point{770, 50}, Point{795, 275}, Point{780, 260}};
  WindowTargets desktop{{640, 880}, {}, {}, {}, Point{1200, 880}};
  s.windows = {plain, folder, desktop};
  s.taskbarButtons = {{75, 920}, {225, 920}, {375, 920}};
  return s;
}

TEST(SoakInput, TheSameSeedGivesTheSameScript) {
  Random first(7), second(7), other(8);
  Batch a = makeBatch(scene(), first, 3000);
  Batch b = makeBatch(scene(), second, 3000);
  Batch c = makeBatch(scene(), other, 3000);
  EXPECT_EQ(a.script, b.script);
  EXPECT_EQ(a.events, b.events);
  EXPECT_NE(a.script, c.script);
}

// Read as xdotool would: whatever a line presses, it lets go of before the next line, and the
// batch holds the events asked for.
TEST(SoakInput, EveryPressIsReleasedWithinItsAction) {
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    Random random(seed);
    Batch batch = makeBatch(scene(), random, 5000);
    EXPECT_GE(batch.events, 5000u);
    std::istringstream lines(batch.script);
    for (std::string line; std::getline(lines, line);) {
      std::map<std::string, int> down;
      std::istringstream words(line);
      for (std::string word, what; words >> word;) {
        if (word == "mousedown" || word == "keydown") {
          words >> what;
          ++down[what];
        } else if (word == "mouseup" || word == "keyup") {
          words >> what;
          --down[what];
        }
      }
      for (const auto& [what, count] : down) EXPECT_EQ(count, 0) << what << " in: " << line;
    }
  }
}

TEST(SoakInput, FlatMeansNoLastingRiseAfterTheWarmUp) {
  // Growth while warming up, then noise within the tolerance: flat.
  EXPECT_TRUE(staysFlat({10, 40, 52, 50, 53, 51, 54}, 2, 2));
  // One step that then stays, within twice the tolerance: flat.
  EXPECT_TRUE(staysFlat({0, 20, 20, 20, 23, 23, 23, 23, 23}, 1, 2));
  // A climb through the second half, or a rise beyond twice the tolerance: growth.
  EXPECT_FALSE(staysFlat({50, 51, 52, 53, 54, 55, 56, 57}, 1, 2));
  EXPECT_FALSE(staysFlat({10, 40, 52, 52, 52, 52, 52, 60}, 2, 2));
  EXPECT_FALSE(staysFlat({0, 20, 25, 25, 25, 25, 25, 25}, 1, 2));
  // Falling back is no growth.
  EXPECT_TRUE(staysFlat({50, 60, 40, 41}, 1, 0));
}

}  // namespace
}  // namespace tov::soak
