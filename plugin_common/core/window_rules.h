// Decisions about other programs' windows that several plug-ins share and that need no window:
// which window is the desktop whose icon list the shell shows, and which programs' windows this
// program may act on at all. The Win32 layer (window_facts.h) reads the facts and asks here.
#pragma once

#include <cstdint>
#include <optional>

#include "core/win32_names.h"

namespace tov {

// The shell's view of a folder, the parent of the desktop's icon list.
inline constexpr wchar_t kShellViewClass[] = L"SHELLDLL_DefView";

// Wide characters read of a class name, terminator included. A longer name is cut down to the
// buffer without a word, so the buffer is longer than every name compared (the longest,
// "Shell_SecondaryTrayWnd", has 22): a class whose name only begins with one of them is read
// past that end and does not pass for it.
inline constexpr int kClassNameCapacity = 32;

// What a top-level window's class says about its being the desktop that holds the icon list.
// "Progman" is the desktop. Windows 10 moves the shell's view, with the icon list, under a
// top-level "WorkerW" once a wallpaper slideshow or Task View has run; the other "WorkerW"
// windows only paint the wallpaper, so a "WorkerW" is the desktop only while it holds the view.
enum class DesktopClass { kNo, kYes, kIfItHoldsTheShellView };
DesktopClass desktopClass(const wchar_t* className);

// Integrity levels: the last sub-authority of a token's mandatory label
// (SECURITY_MANDATORY_LOW_RID, _MEDIUM_RID, _HIGH_RID, _SYSTEM_RID, in that order).
using IntegrityLevel = std::optional<std::uint32_t>;

// Whether a program at `own` can act on (post to, restyle, move) the windows of a program at
// `target`: the system's isolation of user interfaces lets that through only to the same or a
// lower level, and drops the rest without a word. A target whose level could not be read (a
// process that does not even let us read its token, such as another user's elevated one) counts
// as above us; our own level unread, we act as we always did.
bool mayActOn(IntegrityLevel target, IntegrityLevel own);

// Whether a program at `level` runs at `own` or above: the test of every window another program
// names to TOV, and of the window a hook posts to. A sandboxed program, at a lower level, may
// write a library's shared section and name windows of its own there, but its windows are never
// the desktop, the taskbar, a folder window or TOV's. A level that could not be read counts as
// below; with our own level unread (a system without integrity levels) everything passes.
bool isAtOrAbove(IntegrityLevel level, IntegrityLevel own);

}  // namespace tov
