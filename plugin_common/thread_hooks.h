// Where the hooks of the plug-ins that act only on folder windows and the desktop run: only on
// the threads that own such a window. A hook for every thread would load the library into every
// program with a window and run for each of its messages, mouse events or keystrokes, for windows
// the plug-in can never act on.
//
// Everything here runs on the host's thread, and the hook handles stay in the host's own memory:
// the hook procedures never need them (CallNextHookEx ignores its first argument on Windows NT),
// and a shared section, which any program can write, is no place for handles the host acts on.
#pragma once

#include <windows.h>

#include <utility>

#include "core/watched_threads.h"
#include "plugin_frame.h"

namespace tov {

// One kind of hook a watched thread carries.
struct ThreadHook {
  int type = 0;
  HOOKPROC procedure = nullptr;
};

// The hooks of one plug-in (one or two kinds), on each thread that owns a watched window.
class ThreadHooks {
 public:
  explicit ThreadHooks(ThreadHook first, ThreadHook second = {}) : kinds_{first, second} {}
  ~ThreadHooks() { removeAll(); }
  ThreadHooks(const ThreadHooks&) = delete;
  ThreadHooks& operator=(const ThreadHooks&) = delete;

  // Watches a window and hooks its thread unless that one is hooked already; true when the
  // window was not watched yet. A null window is ignored.
  bool watch(HWND window);
  // Forgets `gone` (a window being destroyed) and every watched window that no longer exists,
  // then unhooks the threads left without a watched window.
  void forgetGone(HWND gone = nullptr);
  // A pass watches every window again from scratch; its end unhooks the threads no longer needed.
  void beginPass() { table_.clearWindows(); }
  void endPass() { release(table_.takeUnneededHooks()); }
  void removeAll() { release(table_.takeAll()); }

 private:
  void hookThread(HWND window, DWORD thread, DWORD process);
  static void release(const std::vector<WatchedThreads::HookedThread>& hooked);

  ThreadHook kinds_[WatchedThreads::kMaxHooks];
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

// The windows a plug-in acts on, found when it starts and followed as they appear: the threads
// that own them carry its hooks, and no other thread does. A plug-in says which windows those are
// (watchedWindowOf) and which of their threads to hook (watchThreadsOf); the library's one
// watcher is the one the window events reach. Windows that go are forgotten as the next watched
// window appears (or at once, when the plug-in's hook tells the host: forget).
class WatchedWindows {
 public:
  explicit WatchedWindows(ThreadHook first, ThreadHook second = {}) : hooks_(first, second) {}
  virtual ~WatchedWindows() { stop(); }
  WatchedWindows(const WatchedWindows&) = delete;
  WatchedWindows& operator=(const WatchedWindows&) = delete;

  // Follows new windows (unless it does already) and hooks the threads of those there are now.
  bool start();
  // No more events, and every hook removed.
  void stop();
  bool started() const { return events_.started(); }
  // Looks at every top-level window again, and unhooks the threads no longer needed.
  void watchAll();
  // A watched window is being destroyed.
  void forget(HWND gone) { hooks_.forgetGone(gone); }

 protected:
  // The window to watch for `window`, which has just appeared (or is a top-level window in a
  // pass): itself, the window it is a view of, or null when the plug-in has no business there.
  virtual HWND watchedWindowOf(HWND window) = 0;
  // Whether a pass watches this top-level window.
  virtual bool watchesTopLevel(HWND window) { return watchedWindowOf(window) == window; }
  // Hooks the threads that `watched` needs (by default its own); true when something of it was
  // not watched yet.
  virtual bool watchThreadsOf(HWND watched) { return hooks_.watch(watched); }
  // A window appeared that belongs to `watched`; `created` for a creation (not a showing),
  // `fresh` as watchThreadsOf said.
  virtual void appeared(HWND /*watched*/, bool /*created*/, bool /*fresh*/) {}

  ThreadHooks hooks_;

 private:
  static BOOL CALLBACK watchTopLevel(HWND window, LPARAM watcher);
  static void CALLBACK onEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                               DWORD, DWORD);

  // The one watcher the window events reach (each library has its own).
  static inline WatchedWindows* current_ = nullptr;
  WindowEvents events_;
};

// A plug-in whose hooks are on the threads of its watched windows only, and only while it is
// started and in use: switched off, it leaves no hook behind, and a program that gets a watched
// window while it is off is hooked when it is switched on again.
template <class State, State& state>
class WatchingPlugin : public SharedPlugin<State, state> {
 public:
  using SharedPlugin<State, state>::SharedPlugin;

  bool start() override {
    started_ = true;
    return !state.inUse || watchedWindows().start();
  }
  bool stop() override {
    watchedWindows().stop();
    return std::exchange(started_, false);
  }
  bool setUse(bool use) override {
    state.inUse = use;
    if (!use) {
      watchedWindows().stop();
    } else if (started_) {
      watchedWindows().start();
    }
    return state.inUse;
  }

 protected:
  virtual WatchedWindows& watchedWindows() = 0;

 private:
  bool started_ = false;
};

}  // namespace tov
