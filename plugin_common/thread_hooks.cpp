#include "thread_hooks.h"

#include "plugin_frame.h"
#include "scoped_win.h"

namespace tov {

namespace {

using Handle = WatchedThreads::Handle;

Handle handleOf(const void* handle) { return reinterpret_cast<Handle>(handle); }

// A hook whose library does not match a program's bitness would run on the host's thread
// instead, and every event of that program's thread would wait for the host: such threads are
// left alone, as are those whose program cannot even be asked.
bool sameBitness(DWORD process) {
  ScopedHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!handle) return false;
  BOOL theirs = FALSE, ours = FALSE;
  return IsWow64Process(handle.get(), &theirs) && IsWow64Process(GetCurrentProcess(), &ours) &&
         theirs == ours;
}

void unhook(const WatchedThreads::HookedThread& hooked) {
  for (Handle hook : hooked.hooks)
    if (hook != 0) UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook));
}

}  // namespace

bool ThreadHooks::watch(HWND window) {
  if (window == nullptr) return false;
  DWORD process = 0;
  DWORD thread = GetWindowThreadProcessId(window, &process);
  if (thread == 0) return false;
  bool added = table_.addWindow(handleOf(window), thread);
  hookThread(window, thread, process);
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

void ThreadHooks::hookThread(HWND window, DWORD thread, DWORD process) {
  if (table_.isHooked(thread) || !sameBitness(process)) return;
  // Held as long as the hooks: it tells whether the thread has ended (and taken its hooks with
  // it), and keeps the thread's identifier from naming another thread meanwhile. A thread that
  // cannot be opened is not hooked, since its hooks could not be removed safely.
  ScopedHandle threadHandle(OpenThread(SYNCHRONIZE, FALSE, thread));
  if (!threadHandle) return;
  // The thread may have ended between the window's question and the opening, and its identifier
  // gone to another thread: only once the handle holds it does the identifier surely name the
  // window's thread.
  if (GetWindowThreadProcessId(window, nullptr) != thread) return;
  WatchedThreads::HookedThread hooked{thread, {}, 0};
  for (std::size_t i = 0; i < WatchedThreads::kMaxHooks; ++i) {
    if (kinds_[i].procedure == nullptr) continue;
    HHOOK hook = SetWindowsHookExW(kinds_[i].type, kinds_[i].procedure, moduleInstance, thread);
    if (hook == nullptr) {
      // All of a plug-in's hooks or none: half of them would act on half of the events.
      unhook(hooked);
      return;
    }
    hooked.hooks[i] = handleOf(hook);
  }
  hooked.threadHandle = handleOf(threadHandle.release());
  table_.addHooks(hooked);
}

void ThreadHooks::release(const std::vector<WatchedThreads::HookedThread>& hooked) {
  for (const WatchedThreads::HookedThread& entry : hooked) {
    HANDLE thread = reinterpret_cast<HANDLE>(entry.threadHandle);
    // An ended thread's hooks went with it, and their handle values may since name other hooks.
    if (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) unhook(entry);
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

bool WatchedWindows::start() {
  current_ = this;
  if (!events_.start(onEvent)) return false;
  watchAll();
  return true;
}

void WatchedWindows::stop() {
  events_.stop();
  hooks_.removeAll();
  if (current_ == this) current_ = nullptr;
}

void WatchedWindows::watchAll() {
  hooks_.beginPass();
  EnumWindows(watchTopLevel, reinterpret_cast<LPARAM>(this));
  hooks_.endPass();
}

BOOL CALLBACK WatchedWindows::watchTopLevel(HWND window, LPARAM watcher) {
  auto* self = reinterpret_cast<WatchedWindows*>(watcher);
  if (self->watchesTopLevel(window)) self->watchThreadsOf(window);
  return TRUE;
}

// A new watched window has its thread hooked before its views exist, and a new view on another
// thread has its own thread hooked as it appears.
void CALLBACK WatchedWindows::onEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                      LONG child, DWORD, DWORD) {
  if (object != OBJID_WINDOW || child != CHILDID_SELF || current_ == nullptr) return;
  HWND watched = current_->watchedWindowOf(window);
  if (watched == nullptr) return;
  current_->hooks_.forgetGone();
  bool fresh = current_->watchThreadsOf(watched);
  current_->appeared(watched, event == EVENT_OBJECT_CREATE, fresh);
}

}  // namespace tov
