// Facts about other programs' windows, and about the input of the thread an event is for, that
// hold wherever a hook runs.
//
// On 64-bit Windows a hook library runs inside every 64-bit program, but the events of a 32-bit
// program reach it on the thread that installed the hook, the host's. There, everything the
// system keeps per thread (GetKeyState, GetCapture, GetActiveWindow, GetFocus) answers for the
// host, not for the program the event is for: those questions are asked here of that program's
// thread instead, or of the input devices themselves.
#pragma once

#include <windows.h>

namespace tov {

// Whether the shell has cloaked the window: visible by its style, but not shown (on another
// virtual desktop, or an app the shell has suspended). False where the shell cloaks nothing.
bool isCloaked(HWND window);

// Whether this program may act on the window (post to it, restyle or move it): a window of a
// program at a higher integrity level, or one whose level cannot be read, drops whatever we ask.
// A window of this very process costs no more than one look at its owner.
bool canActOn(HWND window);
// A window of the calling thread, or one this program may act on: where a hook that runs for a
// 32-bit program on the host's thread can still do what the event asks.
bool withinReach(HWND window);

// Whether the window's program runs at this program's integrity level or above (a window of
// this process does): what TOV asks of every window another program names to it in a command.
bool atOurLevelOrAbove(HWND window);

// Posts WM_COMMAND with `plugin`'s command base + `offset` and `param` to TOV's window, both as
// TOV's session block gives them (session_block.h), never as a shared section does. Only to a
// window of class "TOV" whose program runs at this one's integrity level or above: the real TOV
// always does (the system puts no hook of a program into one at a higher level), while a window
// that a sandboxed program made under that class does not. False when nothing was posted.
bool postToHost(const wchar_t* plugin, int offset, LPARAM param);

// The window that receives the keystroke a keyboard hook is called for: the focus (else the
// active window) of the thread that has the keyboard.
HWND keystrokeWindow();

// Whether a key or mouse button is down. `ownInput`: the event is for the calling thread, which
// then reads the state its own input messages have reached (GetKeyState); for another thread's
// event, the devices' present state (GetAsyncKeyState) is what is known of it.
bool isKeyDown(int virtualKey, bool ownInput);

// The window holding the mouse capture in the input of the window's thread.
HWND captureOf(HWND window);

}  // namespace tov
