// The decisions of the middle-button hold that need no window (the messages and classes it looks
// at are in core/middle_button.h): the record of the one press tracked across every
// program, from the press through its timer to the release that ends it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/middle_button.h"

namespace tov::pushdown {

// A hold while a popup menu is shown does nothing; over the desktop or the taskbar it runs the
// command; elsewhere it maximises or restores.
using tov::classifyMiddle;
using tov::isDesktopOrTaskbarClass;
using tov::kMenuClass;
using tov::MiddleMessage;

// The press being tracked. It lives in the shared section, so every member has a constant
// initial value (all zero: idle).
struct HoldRecord {
  std::uintptr_t timerId;     // the pending hold timer; 0 = none
  std::uint32_t timerThread;  // the thread that set it, the only one that can cancel it
  bool holdFired;             // the hold fired for the press now down: its release is swallowed
};

// A new press replaces whatever was tracked. Returns the timer to cancel on this thread (the
// previous press's, when this thread set it), else 0; the caller then sets the new timer and
// records it with timerStarted.
std::uintptr_t pressStarted(HoldRecord& record, std::uint32_t thread);
void timerStarted(HoldRecord& record, std::uintptr_t timerId, std::uint32_t thread);

// What the hook does with a middle release.
struct ReleaseDecision {
  bool swallow;                // the release ends a hold: no program sees it
  std::uintptr_t cancelTimer;  // a short click's timer to cancel on this thread, else 0
};
ReleaseDecision pressEnded(HoldRecord& record, std::uint32_t thread);

// A hold timer is due. True when it is the pending one (it is then no longer pending); false
// for a timer left over from an earlier press, which the caller only cancels.
bool timerDue(HoldRecord& record, std::uintptr_t timerId, std::uint32_t thread);

// What the pending timer found when it came due.
struct HoldFacts {
  bool buttonDown;  // the middle button is still held
  bool inUse;
  bool menuOpen;        // a popup menu is shown
  bool onDesktop;       // the pressed window's root owner is the desktop or the taskbar
  bool commandEnabled;  // "IsUse Desktop Pushdown"
  bool zoomed;          // that window is maximised
  bool targetGone;      // that window is no longer the one pressed on: closed, its handle perhaps
                        // another window's by now
};
enum class HoldAction { kNothing, kRunCommand, kMaximize, kRestore };
// Decides the hold and records whether its release is to be swallowed: it is once the button
// was still down with the plug-in in use, whatever the hold then did (nothing, for a window
// that has gone).
HoldAction holdFired(HoldRecord& record, const HoldFacts& facts);

}  // namespace tov::pushdown
