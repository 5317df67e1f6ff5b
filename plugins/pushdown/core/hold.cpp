#include "hold.h"

#include <algorithm>

namespace tov::pushdown {

bool pressReported(HoldWatch& watch, const PressFacts& facts) {
  watch = HoldWatch{};
  watch.pending = facts.watching && facts.buttonDown && facts.pressedThere;
  return watch.pending;
}

std::uint32_t holdTimeLeft(std::uint32_t doubleClickTime, std::uint32_t pressedAt,
                           std::uint32_t now) {
  // Unsigned difference: right across the wrap of the tick count. A report stamped after `now`
  // (a clock read before the report's own) comes out huge and counts as due at once.
  std::uint32_t elapsed = now - pressedAt;
  return doubleClickTime - std::min(elapsed, doubleClickTime);
}

HoldAction holdFired(HoldWatch& watch, const HoldFacts& facts, std::uint32_t mark) {
  if (!watch.pending) return HoldAction::kNothing;
  watch.pending = false;
  if (!facts.buttonDown || !facts.inUse) return HoldAction::kNothing;
  watch.owed = mark;
  if (facts.menuOpen || facts.targetGone) return HoldAction::kNothing;
  if (facts.onDesktop) return facts.commandEnabled ? HoldAction::kRunCommand : HoldAction::kNothing;
  return facts.zoomed ? HoldAction::kRestore : HoldAction::kMaximize;
}

std::uint32_t holdMark(std::uint32_t tick) {
  // Two holds fire at least a double-click time apart, and a program keeps a mark at most until
  // its next hold: the tick repeats only after 49 days.
  return tick != 0 ? tick : 1;
}

void releaseTaken(HoldWatch& watch, std::uint32_t mark) {
  if (watch.owed == mark) watch.owed = 0;
}

void idle(HoldWatch& watch) { watch = HoldWatch{}; }

bool takesRelease(std::uint32_t owed, std::uint32_t& lastTaken) {
  if (owed == 0 || owed == lastTaken) return false;
  lastTaken = owed;
  return true;
}

}  // namespace tov::pushdown
