#include "hold.h"

namespace tov::pushdown {

namespace {
// A timer belongs to the thread that set it; another thread's cannot be cancelled from here.
std::uintptr_t ownTimer(const HoldRecord& record, std::uint32_t thread) {
  return record.timerThread == thread ? record.timerId : 0;
}
}  // namespace

std::uintptr_t pressStarted(HoldRecord& record, std::uint32_t thread) {
  std::uintptr_t cancel = ownTimer(record, thread);
  record = HoldRecord{};
  return cancel;
}

void timerStarted(HoldRecord& record, std::uintptr_t timerId, std::uint32_t thread) {
  record.timerId = timerId;
  record.timerThread = timerId != 0 ? thread : 0;
}

ReleaseDecision pressEnded(HoldRecord& record, std::uint32_t thread) {
  if (record.timerId != 0) {
    // Released before the time: a short click, passed on whole.
    ReleaseDecision decision{false, ownTimer(record, thread)};
    record = HoldRecord{};
    return decision;
  }
  // Only the release of a press whose hold fired is taken; one whose press was never seen (it
  // came before the hook, went to a program the hook does not reach, or got no timer) must reach
  // its program, or that program believes the button is still down.
  bool swallow = record.holdFired;
  record.holdFired = false;
  return {swallow, 0};
}

bool timerDue(HoldRecord& record, std::uintptr_t timerId, std::uint32_t thread) {
  if (timerId == 0 || record.timerId != timerId || record.timerThread != thread) return false;
  record.timerId = 0;
  record.timerThread = 0;
  return true;
}

HoldAction holdFired(HoldRecord& record, const HoldFacts& facts) {
  if (!facts.buttonDown || !facts.inUse) return HoldAction::kNothing;
  record.holdFired = true;
  if (facts.menuOpen || facts.targetGone) return HoldAction::kNothing;
  if (facts.onDesktop) return facts.commandEnabled ? HoldAction::kRunCommand : HoldAction::kNothing;
  return facts.zoomed ? HoldAction::kRestore : HoldAction::kMaximize;
}

}  // namespace tov::pushdown
