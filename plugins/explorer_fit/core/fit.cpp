#include "fit.h"

#include <algorithm>
#include <cmath>

namespace tov::explorer_fit {

namespace {

// Both halves 0xFFFF: "at the control's current size".
constexpr std::uint32_t kCurrentSize = 0xFFFFFFFFu;

// Measured values are taken as at most this far from zero. No screen comes near it, and any sum of
// a few sizes between such coordinates stays inside an int, whatever a window answers.
constexpr int kMeasureLimit = 1 << 24;

int bounded(int value) { return std::clamp(value, -kMeasureLimit, kMeasureLimit); }
Rect bounded(const Rect& r) {
  return {bounded(r.left), bounded(r.top), bounded(r.right), bounded(r.bottom)};
}

int lowWord(std::uint32_t value) { return static_cast<int>(value & 0xFFFFu); }
int highWord(std::uint32_t value) { return static_cast<int>(value >> 16); }

bool viewHandled(FitWindows& windows, Variant variant) {
  if (variant == Variant::kA) return isListOrDetailsStyle(windows.listStyle());
  Rect icon;
  // An empty list has no icon to measure, and is fitted whatever its view.
  if (!windows.firstItemRect(FitWindows::ItemPart::kIcon, icon)) return true;
  return bounded(icon).width() < kSmallIconLimit;
}

// Items to size for: an empty list's own count, or at least the smallest count. Applied again
// to the count of the previous pass, which keeps what the extra step added.
int itemsToSizeFor(int n, const FitParameters& parameters) {
  if (n == 0) return parameters.emptyCount > 0 ? parameters.emptyCount : 1;
  return std::max(n, parameters.minCount);
}

struct Change {
  int width;
  int height;
};

// How much the list must grow (negative: shrink) to hold n items as a square-ish block.
Change wantedChange(FitWindows& windows, int n, const Rect& list, int itemW, int itemH) {
  std::uint32_t first = windows.approximateViewRect(n, kCurrentSize);
  int side = squareSide(static_cast<std::uint16_t>(lowWord(first)),
                        static_cast<std::uint16_t>(highWord(first)));
  std::uint32_t sideWord = static_cast<std::uint32_t>(side) & 0xFFFFu;
  std::uint32_t square = windows.approximateViewRect(n, sideWord | (sideWord << 16));
  int w = lowWord(square);
  int h = highWord(square);
  Change change{w - list.width() + 4, h - list.height() + 4};
  if (itemW != 0 && itemH != 0) {
    // Rows the estimate leaves empty at the bottom are not wanted; one more row is.
    int cols = (w - 2) / itemW;
    if (cols >= 2) {
      long long rows = (h - 2) / itemH;
      long long emptyRows = (rows * cols - n) / cols;
      if (emptyRows >= 1) change.height -= static_cast<int>(emptyRows * itemH);
    }
    change.height += itemH + 1;
  }
  return change;
}

}  // namespace

bool isListOrDetailsStyle(std::uint32_t style) {
  std::uint32_t view = style & LVS_TYPEMASK;
  return view == LVS_LIST || view == LVS_REPORT;
}

int squareSide(std::uint16_t width, std::uint16_t height) {
  std::uint64_t product = static_cast<std::uint64_t>(width) * height;
  // Below 2^32 a double holds the product exactly and its rounded root never crosses an integer.
  return static_cast<int>(std::sqrt(static_cast<double>(product)));
}

void fit(FitWindows& windows, Variant variant, const FitParameters& parameters) {
  if (!viewHandled(windows, variant)) return;
  int count = std::clamp(windows.itemCount(), 0, kMeasureLimit);
  Rect work = bounded(windows.workArea());
  int itemW = 0;
  int itemH = 0;
  Rect item;
  if (count != 0 && windows.firstItemRect(FitWindows::ItemPart::kBounds, item)) {
    item = bounded(item);
    itemW = item.width();
    itemH = item.height();
  }

  int n = count;
  bool firstPass = true;
  bool stepped = false;
  bool moved = false;
  for (;;) {
    Rect list = bounded(windows.listRect());
    n = itemsToSizeFor(n, parameters);
    Change change = wantedChange(windows, n, list, itemW, itemH);
    if (change.width == 0 && change.height == 0) {
      if (parameters.extraStep > 0 && !stepped) {
        // A window that already fits grows to hold a few more items.
        n += parameters.extraStep;
        stepped = true;
        continue;
      }
      break;
    }

    Rect frame = bounded(windows.windowRect());
    int offset = list.top - frame.top;
    int left = frame.left;
    int top = frame.top;
    int newW = frame.width() + change.width;
    int newH = frame.height() + change.height;
    bool widen = false;
    if (top + newH > work.bottom) {
      if (frame.bottom == work.bottom) {
        // Already on the bottom edge: grow upwards, at most to the top of the work area.
        top = work.bottom - newH;
        if (top < work.top) {
          top = work.top;
          newH = work.bottom - work.top;
          widen = true;
        }
      } else {
        newH = work.bottom - top;
        widen = true;
      }
    }
    // A cut height scrolls: leave room for the scroll bar.
    if (widen && (variant == Variant::kA || windows.headerVisible()))
      newW += bounded(windows.scrollBarWidth());
    if (left + newW > work.right) {
      if (frame.right == work.right) {
        left = std::max(work.right - newW, work.left);
        newW = std::min(newW, work.right - work.left);
      } else {
        newW = work.right - left;
      }
    }
    windows.move(left, top, newW, newH);
    moved = true;

    // The new width may have rearranged what sits above the list (a toolbar wrapping onto a
    // second row): then the list is lower and shorter, and one more pass fits it.
    if (!firstPass) break;
    if (bounded(windows.listRect()).top - bounded(windows.windowRect()).top <= offset) break;
    firstPass = false;
  }
  if (moved) windows.unlock();
}

}  // namespace tov::explorer_fit
