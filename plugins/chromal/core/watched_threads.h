// Which threads carry Chromal's hook: exactly those that own a window it colours (a folder
// window, the desktop, or one of their views), each window recorded with its owning thread.
// Windows and hooks are opaque values here; the Win32 layer installs and removes the hooks.
#pragma once

#include <cstdint>
#include <vector>

namespace tov::chromal {

class WatchedThreads {
 public:
  using Handle = std::uintptr_t;

  // One thread's hook, with a handle that keeps the thread's identity from being reused and
  // tells whether the thread still runs.
  struct Hook {
    std::uint32_t thread;
    Handle hook;
    Handle threadHandle;
  };

  // Records `window` of `thread`; true when it was not recorded yet (as a window of that thread).
  bool addWindow(Handle window, std::uint32_t thread);
  // Forgets one window, or every window for which `gone(window, thread)` holds.
  void removeWindow(Handle window);
  template <class Gone>
  void removeWindowsIf(Gone gone) {
    std::erase_if(windows_, [&](const Window& entry) { return gone(entry.window, entry.thread); });
  }
  // Forgets every window (a pass that records them all again follows).
  void clearWindows() { windows_.clear(); }

  bool isHooked(std::uint32_t thread) const;
  void addHook(const Hook& hook) { hooks_.push_back(hook); }
  // The hooks of threads that own no recorded window any more, taken out of the table.
  std::vector<Hook> takeUnneededHooks();
  // Every hook, taken out; every window forgotten.
  std::vector<Hook> takeAll();

 private:
  struct Window {
    Handle window;
    std::uint32_t thread;
  };
  std::vector<Window> windows_;
  std::vector<Hook> hooks_;
};

}  // namespace tov::chromal
