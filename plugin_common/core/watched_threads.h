// Which threads carry a plug-in's hooks: exactly those that own a window it watches (a folder
// window, the desktop, or one of their views), each window recorded with its owning thread.
// Windows and hooks are opaque values here; the Win32 layer installs and removes the hooks.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tov {

class WatchedThreads {
 public:
  using Handle = std::uintptr_t;
  // The hooks one plug-in puts on one thread, at most.
  static constexpr std::size_t kMaxHooks = 2;

  // One thread's hooks (unused places 0), with a handle that keeps the thread's identity from
  // being reused and tells whether the thread still runs.
  struct HookedThread {
    std::uint32_t thread;
    std::array<Handle, kMaxHooks> hooks;
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
  void addHooks(const HookedThread& hooked) { hooked_.push_back(hooked); }
  // The hooks of threads that own no recorded window any more, taken out of the table.
  std::vector<HookedThread> takeUnneededHooks();
  // Every hook, taken out; every window forgotten.
  std::vector<HookedThread> takeAll();

 private:
  struct Window {
    Handle window;
    std::uint32_t thread;
  };
  std::vector<Window> windows_;
  std::vector<HookedThread> hooked_;
};

}  // namespace tov
