// The decisions of the middle-button minimiser that need no window: which window a desktop click
// minimises (the messages and classes it looks at are in core/middle_button.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/middle_button.h"

namespace tov::minimize {

// A middle press is taken and does nothing; its release is taken and the click acts; every other
// message passes.
using tov::classifyMiddle;
using tov::isDesktopOrTaskbarClass;
using tov::kMenuClass;
using tov::MiddleMessage;

// What a middle release does, given what the hook found, in the order it looks.
enum class ReleaseAction {
  kEscapeToMenu,     // an open popup menu gets Escape
  kEscapeToCapture,  // else the window holding the capture gets Escape
  kMinimizeFront,    // else on the desktop or the taskbar: the front normal window
  kMinimizeRoot,     // else the clicked window's root owner, when visible
  kNothing,          // an invisible root owner
};
struct ReleaseFacts {
  bool menuOpen;
  bool captured;
  bool rootIsDesktopOrTaskbar;
  bool rootVisible;
};
ReleaseAction releaseAction(const ReleaseFacts& facts);

// "Title bars only", a choice in Minimize's menu: checked, a middle click is Minimize's only on a
// window's title bar (its caption and the icon and buttons on it) or over the desktop or the
// taskbar, and anywhere else its press and release reach the program unchanged, so that pages
// keep their middle click for links and tabs. Off, the default, Minimize takes every one. Kept in
// TOV.ini and published in TOV's session block under kTitleBarsOnlyValue (non-zero: checked).
inline constexpr wchar_t kTitleBarsOnlyValue[] = L"Minimize.titleBarsOnly";
bool isOnTitleBar(std::uint32_t hitTest);
// Whether Minimize takes a middle press or release, by where it was.
bool takesMiddleClick(bool titleBarsOnly, std::uint32_t hitTest, bool onDesktopOrTaskbar);

// A normal top-level window that is not minimised yet can be minimised from the desktop.
bool isFrontCandidate(bool normalTopLevel, std::uint32_t style);

// The window a click on the desktop or the taskbar minimises is the first candidate from the
// front that the user can see (not cloaked by the shell: on another virtual desktop, or a
// suspended app) and that this program can act on (not a program of a higher integrity level,
// which would drop the request): the click then always minimises a window the user sees.
struct FrontFacts {
  bool normalTopLevel;
  std::uint32_t style;
  bool cloaked;
  bool actionable;
};
bool isFrontChoice(const FrontFacts& facts);

}  // namespace tov::minimize
