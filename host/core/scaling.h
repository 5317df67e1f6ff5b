// Sizes in units of a 100 % display (96 dots per inch) turned into pixels of a display with
// another scaling. The host declares itself aware of each monitor's scaling, so Windows leaves
// every pixel size to it.
#pragma once

namespace tov {

inline constexpr int kDefaultDpi = 96;

// `value` at `dpi`, rounded to the nearest pixel (halves away from zero), as MulDiv rounds. A
// dpi that is not positive (an unanswered query) leaves the value as it is.
int scaleForDpi(int value, int dpi);

struct Placement {
  int left;
  int top;
  int width;
  int height;
};

// Where the main window opens when the settings file holds no placement: 100, 100, 400 × 300 on
// a 100 % display, the same share of a display scaled to `dpi`.
Placement defaultPlacement(int dpi);

}  // namespace tov
