// The decisions of the middle-button hold that need no window (the messages and classes it looks
// at are in core/middle_button.h).
//
// The hold is timed in TOV. The mouse hook in the pressed program only reports the press to TOV
// and, at the release, asks whether TOV has since fired a hold: nothing of the hold runs in
// another program, so nothing there can outlive the library, and nothing is taken from the shared
// section, which any program can write. TOV keeps its watch over the press in its own memory and
// publishes one value in its session block: the mark of the fired hold whose release is still to
// be swallowed.
#pragma once

#include <cstdint>

#include "core/middle_button.h"

namespace tov::pushdown {

// A hold while a popup menu is shown does nothing; over the desktop or the taskbar it runs the
// command; elsewhere it maximises or restores.
using tov::classifyMiddle;
using tov::isDesktopOrTaskbarClass;
using tov::kMenuClass;
using tov::MiddleMessage;

// TOV's watch over the one press being held.
struct HoldWatch {
  bool pending;        // a reported press is being timed
  std::uint32_t owed;  // the mark of the fired hold whose release is still to come; 0 for none
};

// What TOV found when a press was reported to it (any program of the user may report one).
struct PressFacts {
  bool watching;      // Pushdown is started and in use
  bool buttonDown;    // the middle button is down now
  bool pressedThere;  // the reported window is under the pointer or holds the capture, and TOV can
                      // act on it; or it has gone already (a hold then does nothing, but its
                      // release is still taken)
};
// A press was reported: whatever was timed before is over, and the release of a hold that fired
// before has passed (a new press comes after it). True when this press is to be timed.
bool pressReported(HoldWatch& watch, const PressFacts& facts);

// How long the hold is still to be timed: the double-click time from `pressedAt`, the tick at
// which the press was reported; 0 when it is due already. Ticks wrap around.
std::uint32_t holdTimeLeft(std::uint32_t doubleClickTime, std::uint32_t pressedAt,
                           std::uint32_t now);

// What TOV found when the pending hold came due.
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
// Decides the hold. Once the button was still down with the plug-in in use, the release is owed
// under `mark` (holdMark), whatever the hold then did (nothing, for a window that has gone).
HoldAction holdFired(HoldWatch& watch, const HoldFacts& facts, std::uint32_t mark);

// The mark of a hold that fires at this tick: never 0, and not the mark a program took for a hold
// of TOV's last run, which the program may still remember.
std::uint32_t holdMark(std::uint32_t tick);

// A hook reported that it swallowed the release owed under `mark`.
void releaseTaken(HoldWatch& watch, std::uint32_t mark);

// Pushdown stopped or switched off: nothing is timed and no release is owed.
void idle(HoldWatch& watch);

// In the hook of any program, at a middle release: whether it is swallowed, given the mark TOV
// publishes (0 for none) and the mark this program last swallowed a release for, which it then
// remembers. A program takes one release per fired hold.
bool takesRelease(std::uint32_t owed, std::uint32_t& lastTaken);

}  // namespace tov::pushdown
