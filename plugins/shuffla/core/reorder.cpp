#include "reorder.h"

namespace tov::shuffla {

bool beyondDragThreshold(int dx, int dy) {
  // Coordinates come from 16-bit message words, but nothing here relies on that: each square of
  // an int fits a long long, and their sum an unsigned one.
  long long x = dx;
  long long y = dy;
  return static_cast<unsigned long long>(x * x) + static_cast<unsigned long long>(y * y) > 64;
}

std::size_t planMove(const Handle* buttons, std::size_t count, const Drop& drop, Handle* order) {
  if (drop.source < 0 || drop.target < 0 || drop.source == drop.target) return 0;
  std::size_t source = static_cast<std::size_t>(drop.source);
  std::size_t target = static_cast<std::size_t>(drop.target);
  if (source >= count || target >= count) return 0;
  if (buttons[source] != drop.sourceWindow || buttons[target] != drop.targetWindow) return 0;

  // source == target went above, so < and <= choose alike here.
  std::size_t insertAt = source < target ? target + 1 : target;
  std::size_t out = 0;
  for (std::size_t i = 0; i <= count; ++i) {
    if (i == insertAt) order[out++] = drop.sourceWindow;
    if (i < count) order[out++] = i == source ? nullptr : buttons[i];
  }
  return out;
}

}  // namespace tov::shuffla
