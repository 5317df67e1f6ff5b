#include "thread_hooks.h"

#include <plugin_frame.h>
#include <scoped_win.h>

namespace tov::chromal {

namespace {

using Handle = WatchedThreads::Handle;

Handle handleOf(const void* handle) { return reinterpret_cast<Handle>(handle); }

// A hook whose library does not match a program's bitness would run on the host's thread
// instead, and every message sent to that program's thread would wait for the host: such
// threads are left alone, as are those whose program cannot even be asked.
bool sameBitness(DWORD process) {
  ScopedHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!handle) return false;
  BOOL theirs = FALSE, ours = FALSE;
  return IsWow64Process(handle.get(), &theirs) && IsWow64Process(GetCurrentProcess(), &ours) &&
         theirs == ours;
}

}  // namespace

bool ThreadHooks::watch(HWND window) {
  if (window == nullptr) return false;
  DWORD process = 0;
  DWORD thread = GetWindowThreadProcessId(window, &process);
  if (thread == 0) return false;
  bool added = table_.addWindow(handleOf(window), thread);
  hookThread(thread, process);
  return added;
}

void ThreadHooks::forgetGone(HWND gone) {
  if (gone != nullptr) table_.removeWindow(handleOf(gone));
  // A handle that names no window, or another thread's, is a window that has gone.
  table_.removeWindowsIf([](Handle window, std::uint32_t thread) {
    return GetWindowThreadProcessId(reinterpret_cast<HWND>(window), nullptr) != thread;
  });
  release(table_.takeUnneededHooks());
}

void ThreadHooks::hookThread(DWORD thread, DWORD process) {
  if (table_.isHooked(thread) || !sameBitness(process)) return;
  // Held as long as the hook: it tells whether the thread has ended (and taken its hook with
  // it), and keeps the thread's identifier from naming another thread meanwhile. A thread that
  // cannot be opened is not hooked, since its hook could not be removed safely.
  ScopedHandle threadHandle(OpenThread(SYNCHRONIZE, FALSE, thread));
  if (!threadHandle) return;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, procedure_, tov::moduleInstance, thread);
  if (hook == nullptr) return;
  table_.addHook({thread, handleOf(hook), handleOf(threadHandle.release())});
}

void ThreadHooks::release(const std::vector<WatchedThreads::Hook>& hooks) {
  for (const WatchedThreads::Hook& hook : hooks) {
    HANDLE thread = reinterpret_cast<HANDLE>(hook.threadHandle);
    // An ended thread's hook went with it, and its handle value may since name another hook.
    if (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT)
      UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook.hook));
    CloseHandle(thread);
  }
}

bool WindowEvents::start(WINEVENTPROC callback) {
  if (started()) return true;
  constexpr DWORD kFlags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
  created_ =
      SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, callback, 0, 0, kFlags);
  if (created_ == nullptr) return false;
  // A view made elsewhere and only then put into a folder window shows up there; a second
  // chance, as a window's creation may come before it has its final parent.
  shown_ = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, callback, 0, 0, kFlags);
  return true;
}

void WindowEvents::stop() {
  for (HWINEVENTHOOK* hook : {&created_, &shown_}) {
    if (*hook != nullptr) UnhookWinEvent(*hook);
    *hook = nullptr;
  }
}

}  // namespace tov::chromal
