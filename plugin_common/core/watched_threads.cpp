#include "watched_threads.h"

#include <algorithm>

namespace tov {

bool WatchedThreads::addWindow(Handle window, std::uint32_t thread) {
  for (Window& entry : windows_) {
    if (entry.window != window) continue;
    if (entry.thread == thread) return false;
    // The handle now names another thread's window: the one recorded is gone.
    entry.thread = thread;
    return true;
  }
  windows_.push_back({window, thread});
  return true;
}

void WatchedThreads::removeWindow(Handle window) {
  std::erase_if(windows_, [&](const Window& entry) { return entry.window == window; });
}

bool WatchedThreads::isHooked(std::uint32_t thread) const {
  return std::any_of(hooked_.begin(), hooked_.end(),
                     [&](const HookedThread& hooked) { return hooked.thread == thread; });
}

std::vector<WatchedThreads::HookedThread> WatchedThreads::takeUnneededHooks() {
  std::vector<HookedThread> unneeded;
  std::erase_if(hooked_, [&](const HookedThread& hooked) {
    bool owns = std::any_of(windows_.begin(), windows_.end(),
                            [&](const Window& entry) { return entry.thread == hooked.thread; });
    if (!owns) unneeded.push_back(hooked);
    return !owns;
  });
  return unneeded;
}

std::vector<WatchedThreads::HookedThread> WatchedThreads::takeAll() {
  windows_.clear();
  std::vector<HookedThread> all;
  all.swap(hooked_);
  return all;
}

}  // namespace tov
