#include "items_view_click.h"

#include <cstdlib>

namespace tov::pushup {

bool isDoubleClick(const Press& first, const Press& second, const DoubleClickLimits& limits) {
  if (first.view == 0 || first.view != second.view) return false;
  // Unsigned: the difference stays right across the tick count's wrap.
  if (second.time - first.time > limits.time) return false;
  std::int64_t dx = std::llabs(static_cast<std::int64_t>(second.x) - first.x);
  std::int64_t dy = std::llabs(static_cast<std::int64_t>(second.y) - first.y);
  return dx * 2 <= limits.width && dy * 2 <= limits.height;
}

bool isBackgroundRole(long role) {
  return role == ROLE_SYSTEM_LIST || role == ROLE_SYSTEM_GROUPING;
}

}  // namespace tov::pushup
