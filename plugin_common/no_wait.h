// Calls on windows that may belong to another program, made without waiting long on it.
//
// The rule: a hook procedure runs inside other people's programs and must not hang because some
// other program does; and no thread of TOV's that serves hooks waits on another program at all
// (window_worker.h hands such work to a worker). Anything that is sent to a window (its caption,
// a style change, which is announced to it with WM_STYLECHANGING and WM_STYLECHANGED) is done
// directly only on a window of the calling thread, where nothing can be waited for. Another
// thread's window gets it only when it answers within a short time, and is otherwise given up on:
// the caller learns that the window was not changed and may hand the work to the window's own
// thread later.
//
// Calls that only post, or that change what the system keeps without telling the window
// (SetLayeredWindowAttributes, an invalidating RedrawWindow), need none of this.
#pragma once

#include <windows.h>

namespace tov {

// How long another thread's window is given to answer one message from inside a hook, where the
// program the hook runs in pays for the wait.
inline constexpr UINT kHookAnswerTimeoutMs = 200;
// The same for the passes over every window that the host asks for, which run on the worker and
// which no event waits for.
inline constexpr UINT kHostAnswerTimeoutMs = 1000;

// Whether the window belongs to the calling thread.
bool isOwnThreadWindow(HWND window);

// Whether the window's thread takes a sent message within the time: at once false for a window
// that the system already knows to be hung.
bool answersPromptly(HWND window, UINT timeoutMs = kHookAnswerTimeoutMs);

// SetWindowTextW, given up on when the window does not answer in time; false then.
bool setCaptionWithoutWaiting(HWND window, const wchar_t* text,
                              UINT timeoutMs = kHookAnswerTimeoutMs);

// The caption as the system keeps it (what GetWindowTextW gives for another program's window),
// read without sending anything; "capacity" counts the terminator.
void readCaptionWithoutWaiting(HWND window, wchar_t* caption, int capacity);

// Sets the extended style unless it already is that; false when the window did not answer in
// time and so was left as it was.
bool setExStyleWithoutWaiting(HWND window, LONG exStyle, UINT timeoutMs = kHookAnswerTimeoutMs);

// A window as it was met, so that a handle that has since been destroyed, and perhaps reused by
// another program's window, is never acted on: the handle must still be a window of the same
// thread.
struct WindowIdentity {
  HWND window;
  DWORD thread;
};
WindowIdentity identify(HWND window);
bool isSameWindow(const WindowIdentity& identity);

}  // namespace tov
