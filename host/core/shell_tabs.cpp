#include "core/shell_tabs.h"

namespace tov {

bool TabChoice::offer(TabPlace place) {
  // The places are declared from the worst to the best; of equals the first offered stays.
  if (chosen_ && place <= place_) return false;
  chosen_ = true;
  place_ = place;
  return true;
}

}  // namespace tov
