#include "no_wait.h"

namespace tov {

namespace {

// SMTO_BLOCK: while it waits, the calling thread takes no other sent message, so a hook waiting
// here is not called again for the next event inside its own wait. (TOV's threads that serve
// hooks hand work on another thread's window to the worker instead.)
constexpr UINT kSendFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;

}  // namespace

bool isOwnThreadWindow(HWND window) {
  return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

bool answersPromptly(HWND window, UINT timeoutMs) {
  if (isOwnThreadWindow(window)) return true;
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, kSendFlags, timeoutMs, &ignored) != 0;
}

bool setCaptionWithoutWaiting(HWND window, const wchar_t* text, UINT timeoutMs) {
  if (isOwnThreadWindow(window)) return SetWindowTextW(window, text) != FALSE;
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), kSendFlags,
                             timeoutMs, &ignored) != 0;
}

void readCaptionWithoutWaiting(HWND window, wchar_t* caption, int capacity) {
  if (capacity <= 0) return;
  // GetWindowTextW sends WM_GETTEXT to any window of this process, whatever its thread.
  int length = isOwnThreadWindow(window) ? GetWindowTextW(window, caption, capacity)
                                         : InternalGetWindowText(window, caption, capacity);
  if (length <= 0) caption[0] = L'\0';
}

bool setExStyleWithoutWaiting(HWND window, LONG exStyle, UINT timeoutMs) {
  if (GetWindowLongW(window, GWL_EXSTYLE) == exStyle) return true;
  if (!answersPromptly(window, timeoutMs)) return false;
  SetWindowLongW(window, GWL_EXSTYLE, exStyle);
  return true;
}

WindowIdentity identify(HWND window) {
  return {window, window != nullptr ? GetWindowThreadProcessId(window, nullptr) : 0};
}

bool isSameWindow(const WindowIdentity& identity) {
  return identity.window != nullptr && IsWindow(identity.window) &&
         GetWindowThreadProcessId(identity.window, nullptr) == identity.thread;
}

}  // namespace tov
