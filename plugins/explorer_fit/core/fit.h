// The Explorer window fit without Windows: how much a folder window must grow or shrink so that
// its file list has room for its items, and where the result goes on the work area.
//
// The fit only asks and tells through FitWindows (what it measures of the list and the folder
// window, and the move), so each pass can be followed with hand-made answers.
#pragma once

#include <cstdint>

#include "core/win32_names.h"

namespace tov::explorer_fit {

struct Rect {
  int left;
  int top;
  int right;
  int bottom;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// What the fit measures and does. Rectangles are screen rectangles.
class FitWindows {
 public:
  enum class ItemPart { kBounds, kIcon };

  virtual std::uint32_t listStyle() = 0;
  virtual int itemCount() = 0;
  // The first item's rectangle; false when the list has none.
  virtual bool firstItemRect(ItemPart part, Rect& rect) = 0;
  // The work area of the monitor that holds the folder window.
  virtual Rect workArea() = 0;
  virtual Rect listRect() = 0;
  virtual Rect windowRect() = 0;
  // LVM_APPROXIMATEVIEWRECT: `size` is the packed width (low word) and height (high word).
  virtual std::uint32_t approximateViewRect(int count, std::uint32_t size) = 0;
  // Whether the list's details header is shown.
  virtual bool headerVisible() = 0;
  virtual int scrollBarWidth() = 0;
  // Keeps the folder window from painting until unlock(), then moves it.
  virtual void move(int left, int top, int width, int height) = 0;
  virtual void unlock() = 0;

 protected:
  ~FitWindows() = default;
};

// The two forms of the fit. Colfit and Widex (variant A) handle the list and details views, read
// from the list's style, and always leave room for a vertical scroll bar when the height is cut
// to the work area. ColfitXP and WidexXP (variant B) handle every view whose icons are small,
// and leave that room only while the details header shows.
enum class Variant { kA, kB };

struct FitParameters {
  int emptyCount;  // items to size an empty list for (<= 0: one)
  int minCount;    // fewest items to size a non-empty list for
  int extraStep;   // items added once to a window that already fits (<= 0: never)
};

// Colfit's double click on the sizing corner and its fit of a new folder window; Widex's double
// click.
inline constexpr FitParameters kCornerFit{10, 15, 5};
inline constexpr FitParameters kCreationFit{40, 40, 5};
inline constexpr FitParameters kWidexFit{10, 0, 5};

// Icons narrower than this are small ones (variant B's view test).
inline constexpr int kSmallIconLimit = 30;

// The list (LVS_LIST) or details (LVS_REPORT) view, by the view bits of the list's style.
bool isListOrDetailsStyle(std::uint32_t style);

// The side of a square with the area of `width` x `height`, truncated. The product is formed in
// 64 bits: two 16-bit sizes overflow a 32-bit signed product.
int squareSide(std::uint16_t width, std::uint16_t height);

// Fits the folder window to its list, in at most two resize passes.
void fit(FitWindows& windows, Variant variant, const FitParameters& parameters);

}  // namespace tov::explorer_fit
