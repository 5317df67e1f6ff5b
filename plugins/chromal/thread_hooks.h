// Where Chromal's hook runs: only on the threads that own a window it colours. A hook for every
// thread would load the library into every program with a window and make each message sent
// anywhere take a detour through it, for views that are never a folder's.
//
// Everything here runs on the host's thread, and the hook handles stay in the host's own memory:
// the hook procedure never needs them (CallNextHookEx ignores its first argument on Windows NT),
// and a shared section, which any program can write, is no place for handles the host acts on.
#pragma once

#include <windows.h>

#include "core/watched_threads.h"

namespace tov::chromal {

// The WH_CALLWNDPROC hooks, one per thread that owns a watched window.
class ThreadHooks {
 public:
  explicit ThreadHooks(HOOKPROC procedure) : procedure_(procedure) {}
  ~ThreadHooks() { removeAll(); }
  ThreadHooks(const ThreadHooks&) = delete;
  ThreadHooks& operator=(const ThreadHooks&) = delete;

  // Watches a window Chromal colours and hooks its thread unless that one is hooked already;
  // true when the window was not watched yet. A null window is ignored.
  bool watch(HWND window);
  // Forgets `gone` (a window being destroyed) and every watched window that no longer exists,
  // then unhooks the threads left without a watched window.
  void forgetGone(HWND gone = nullptr);
  // A pass watches every window again from scratch; its end unhooks the threads no longer needed.
  void beginPass() { table_.clearWindows(); }
  void endPass() { release(table_.takeUnneededHooks()); }
  void removeAll() { release(table_.takeAll()); }

 private:
  void hookThread(DWORD thread, DWORD process);
  static void release(const std::vector<WatchedThreads::Hook>& hooks);

  HOOKPROC procedure_;
  WatchedThreads table_;
};

// Windows created or shown in other programs, reported on the host's thread through its message
// loop: an out-of-context event hook, which puts no library into any program.
class WindowEvents {
 public:
  WindowEvents() = default;
  ~WindowEvents() { stop(); }
  WindowEvents(const WindowEvents&) = delete;
  WindowEvents& operator=(const WindowEvents&) = delete;

  bool start(WINEVENTPROC callback);
  void stop();
  bool started() const { return created_ != nullptr; }

 private:
  HWINEVENTHOOK created_ = nullptr;
  HWINEVENTHOOK shown_ = nullptr;
};

}  // namespace tov::chromal
