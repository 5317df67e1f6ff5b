// The decisions of the middle-button minimiser that need no window: which messages it takes,
// which classes are the desktop or the taskbar, and which window a desktop click minimises.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tov::minimize {

enum class MiddleMessage {
  kOther,    // passed on (double clicks included)
  kPress,    // consumed, nothing else
  kRelease,  // consumed, and the click acts
};
MiddleMessage classifyMiddle(std::uintptr_t message);

// Wide characters read of a class name, terminator included.
inline constexpr std::size_t kClassNameCapacity = 20;

// "Progman", "Shell_TrayWnd", "BaseBar" or "WorkerW", exactly and case-sensitively.
bool isDesktopOrTaskbarClass(const wchar_t* className);

// The popup menu's system class, looked for before the mouse capture.
inline constexpr wchar_t kMenuClass[] = L"#32768";

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

// A normal top-level window that is not minimised yet can be minimised from the desktop.
bool isFrontCandidate(bool normalTopLevel, std::uint32_t style);

}  // namespace tov::minimize
