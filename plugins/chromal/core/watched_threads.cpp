#include "watched_threads.h"

#include <algorithm>

namespace tov::chromal {

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
  return std::any_of(hooks_.begin(), hooks_.end(),
                     [&](const Hook& hook) { return hook.thread == thread; });
}

std::vector<WatchedThreads::Hook> WatchedThreads::takeUnneededHooks() {
  std::vector<Hook> unneeded;
  std::erase_if(hooks_, [&](const Hook& hook) {
    bool owns = std::any_of(windows_.begin(), windows_.end(),
                            [&](const Window& entry) { return entry.thread == hook.thread; });
    if (!owns) unneeded.push_back(hook);
    return !owns;
  });
  return unneeded;
}

std::vector<WatchedThreads::Hook> WatchedThreads::takeAll() {
  windows_.clear();
  std::vector<Hook> all;
  all.swap(hooks_);
  return all;
}

}  // namespace tov::chromal
