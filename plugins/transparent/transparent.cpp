// Transparent: a right press on a window's maximise button starts a transparency adjustment; the
// wheel then changes the window's opacity, shown in its caption, until the next button press.
//
// The press arrives in the process of the clicked window (WH_MOUSE); the wheel is taken by the
// low-level hook on the host's thread, before any window sees it (WH_MOUSE_LL); the ending press
// arrives wherever the cursor is. So the whole adjustment lives in the shared section.
//
// Only the starting press runs on the target's own thread. The wheel and the ending press change
// the target from other threads, so nothing there waits long on the target (no_wait.h). What a
// target that does not answer in time misses is owed to it, and its own thread catches up at its
// next mouse event. The target is also remembered with its thread, so that a window closed
// meanwhile, whose handle may since name another program's window, is never touched.
//
// In TOV's process the low-level hook has a thread of its own, whose loop does nothing else, and
// neither it nor the host's thread, where the mouse hook runs for programs of the other bitness,
// waits on the target at all: they hand the target's new look to the library's worker
// (window_worker.h). Windows silently removes a low-level hook that stalls; the thread installs
// its hook afresh every few seconds, so a removed one is back soon (see renewLowLevelHook).
#include <no_wait.h>
#include <plugin_frame.h>
#include <scoped_win.h>
#include <window_worker.h>

#include "core/adjustment.h"

namespace {

using namespace tov::transparent;

struct SharedState {
  HHOOK hMouseHook;
  HHOOK hLowLevelMouseHook;
  bool inUse;
  bool isAdjusting;
  int wheelStep;
  int minAlpha;
  int alpha;
  HWND targetWindow;
  wchar_t savedTitle[kTitleCapacity];
  DWORD targetThread;  // the thread of targetWindow when the adjustment started
  bool lookOwed;       // the target has not yet been shown the latest alpha or caption
};

TOV_SHARED constinit SharedState state = {
    nullptr, nullptr, true, false, kInitialWheelStep, kInitialMinAlpha, kStartAlpha,
    nullptr, {},      0,    false};

bool targetIsStillThere() { return tov::isSameWindow({state.targetWindow, state.targetThread}); }

// Shows state.alpha on the target window: opaque windows lose the layered style, the others get
// the alpha (kept at the floor); the caption shows the percentage. A target that does not answer
// in time is left as it is, except that a window already layered gets the alpha, which it is not
// told about; the rest is owed to it.
void applyAlpha() {
  HWND window = state.targetWindow;
  AlphaLevel level = settleAlpha(state.alpha, state.minAlpha);
  state.alpha = level.alpha;
  LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  bool answered = true;
  if (level.opaque) {
    if (exStyle & WS_EX_LAYERED) {
      answered = tov::setExStyleWithoutWaiting(window, exStyle & ~WS_EX_LAYERED);
      if (answered) {
        RedrawWindow(window, nullptr, nullptr, tov::kRedrawAll);
      } else {
        SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(kOpaqueAlpha), LWA_ALPHA);
      }
    }
  } else {
    answered = tov::setExStyleWithoutWaiting(window, exStyle | WS_EX_LAYERED);
    if (answered || (exStyle & WS_EX_LAYERED)) {
      SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(level.alpha), LWA_ALPHA);
      RedrawWindow(window, nullptr, nullptr, tov::kRedrawAll);
    }
  }
  wchar_t caption[kCaptionCapacity];
  formatCaption(level, state.minAlpha, caption);
  if (answered) answered = tov::setCaptionWithoutWaiting(window, caption);
  state.lookOwed = !answered;
}

// Gives the target its own caption back, unless it has gone.
void restoreTitle() {
  state.lookOwed =
      targetIsStillThere() && !tov::setCaptionWithoutWaiting(state.targetWindow, state.savedTitle);
}

// Shows the target the adjustment as it stands: its alpha and percentage while it runs, its own
// caption after. On the target's own thread nothing is waited for: what it missed is done now.
void bringTargetUpToDate() {
  if (!targetIsStillThere()) {
    state.lookOwed = false;
  } else if (state.isAdjusting) {
    applyAlpha();
  } else {
    restoreTitle();
  }
}

// Per process: in TOV's, the worker and the low-level hook's thread.
constinit tov::WindowWorker worker;
constinit tov::LibraryThread lowLevelThread;

// The worker's job. Input goes on while it works, so the press that ends the adjustment may give
// the target its caption back before the percentage shown here reaches it: then it is given back
// once more.
void bringTargetUpToDateJob(LPARAM) {
  bool wasAdjusting = state.isAdjusting;
  tov::WindowIdentity target{state.targetWindow, state.targetThread};
  wchar_t title[kTitleCapacity];
  lstrcpynW(title, state.savedTitle, static_cast<int>(kTitleCapacity));
  bringTargetUpToDate();
  if (wasAdjusting && (!state.isAdjusting || state.targetWindow != target.window) &&
      tov::isSameWindow(target)) {
    tov::setCaptionWithoutWaiting(target.window, title);
  }
}

// Changes the target to match the adjustment: on a thread of TOV's that serves hooks through the
// worker, meanwhile owed; elsewhere at once.
void updateTarget(bool servesHooks) {
  if (servesHooks) {
    state.lookOwed = true;
    if (worker.request(bringTargetUpToDateJob, 0)) return;
  }
  bringTargetUpToDate();
}

void startAdjustment(const MOUSEHOOKSTRUCT& mouse) {
  bool servesHooks = tov::onHookServingThread();
  // A caption still owed to the previous target is tried once more before it is forgotten (not
  // where that would wait on it).
  if (state.lookOwed && !servesHooks) restoreTitle();
  // WindowFromPoint passes over windows that answer HTTRANSPARENT only on their own thread. A
  // 32-bit program's press reaches this hook on the host's thread, where the window the system
  // chose for the press is the answer.
  HWND under = tov::isOwnThreadWindow(mouse.hwnd) ? WindowFromPoint(mouse.pt) : mouse.hwnd;
  HWND target = GetAncestor(under, GA_ROOTOWNER);
  state.isAdjusting = true;
  state.alpha = kStartAlpha;
  state.targetWindow = target;
  state.targetThread = GetWindowThreadProcessId(target, nullptr);
  tov::readCaptionWithoutWaiting(target, state.savedTitle, static_cast<int>(kTitleCapacity));
  updateTarget(servesHooks);
}

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (state.inUse && code == HC_ACTION) {
    if (state.lookOwed && state.targetThread == GetCurrentThreadId()) bringTargetUpToDate();
    if (state.isAdjusting) {
      // The ending press still reaches its window.
      if (isButtonPress(wParam)) {
        state.isAdjusting = false;
        updateTarget(tov::onHookServingThread());
      }
    } else {
      const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
      if (startsAdjustment(wParam, static_cast<int>(mouse->wHitTestCode))) {
        startAdjustment(*mouse);
        return 1;  // the starting press is consumed
      }
    }
  }
  return CallNextHookEx(state.hMouseHook, code, wParam, lParam);
}

LRESULT CALLBACK lowLevelMouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (state.isAdjusting && state.inUse && code >= 0 && wParam == WM_MOUSEWHEEL) {
    const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    state.alpha = alphaAfterWheel(state.alpha, wheelDelta(event->mouseData), state.wheelStep);
    // This runs on the low-level hook's own thread, which serves hooks.
    if (targetIsStillThere()) updateTarget(true);
    return 1;  // during an adjustment no window sees the wheel, even when its target has gone
  }
  return CallNextHookEx(state.hLowLevelMouseHook, code, wParam, lParam);
}

// How long the low-level hook may go without a call before it is installed afresh. Windows gives
// no notice when it removes a low-level hook that did not answer within LowLevelHooksTimeout (on
// Windows 7 and later it is gone for good, and nothing shows it), and nothing tells a hook that
// gets no calls because it was removed from one whose mouse is idle. A fresh hook is two calls on
// an idle thread, so a quiet spell of a few seconds costs nothing to renew, and a removed hook is
// back before the user is likely to notice. A timer would do the same, but a thread with a timer
// takes every message more slowly under some systems (Wine), and this thread takes one for every
// mouse event of the desktop.
constexpr DWORD kRenewLowLevelHookMs = 3000;

// On the hook's own thread, between its calls: the fresh hook goes first in the chain, then the
// old one is removed (which fails harmlessly when Windows has already removed it).
void renewLowLevelHook(HHOOK& installed) {
  HHOOK fresh = SetWindowsHookExW(WH_MOUSE_LL, lowLevelMouseProcedure, tov::moduleInstance, 0);
  if (fresh == nullptr) return;  // the old one stays; next time again
  HHOOK old = installed;
  installed = fresh;
  state.hLowLevelMouseHook = fresh;
  UnhookWindowsHookEx(old);
}

// The low-level hook's thread: installs the hook, says so through `ready`, then only answers the
// hook's calls (sent messages, answered inside PeekMessageW) until it is told to quit, installing
// the hook afresh after each quiet spell.
DWORD runLowLevelThread(void* ready) {
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // a queue before anyone posts to it
  HHOOK installed = SetWindowsHookExW(WH_MOUSE_LL, lowLevelMouseProcedure, tov::moduleInstance, 0);
  state.hLowLevelMouseHook = installed;
  SetEvent(static_cast<HANDLE>(ready));
  if (installed == nullptr) return 1;
  for (bool quit = false; !quit;) {
    DWORD woken = MsgWaitForMultipleObjectsEx(0, nullptr, kRenewLowLevelHookMs, QS_ALLINPUT,
                                              MWMO_INPUTAVAILABLE);
    if (woken == WAIT_TIMEOUT) {
      // Stopped from another process, which removed the hook itself: nothing to renew.
      if (state.hLowLevelMouseHook != installed) break;
      renewLowLevelHook(installed);
      continue;
    }
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) quit = true;
    }
  }
  if (state.hLowLevelMouseHook == installed) {
    UnhookWindowsHookEx(installed);
    state.hLowLevelMouseHook = nullptr;
  }
  return 0;
}

bool startLowLevelThread() {
  tov::ScopedHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ready || !lowLevelThread.begin(runLowLevelThread, ready.get())) return false;
  tov::waitAnsweringSentMessages(ready.get());
  if (state.hLowLevelMouseHook != nullptr) return true;
  lowLevelThread.join();
  return false;
}

void stopLowLevelThread() {
  if (lowLevelThread.running()) {
    PostThreadMessageW(lowLevelThread.id(), WM_QUIT, 0, 0);
    lowLevelThread.join();
  } else if (state.hLowLevelMouseHook != nullptr) {
    // Installed by a copy of the library in another process.
    UnhookWindowsHookEx(state.hLowLevelMouseHook);
    state.hLowLevelMouseHook = nullptr;
  }
}

constexpr int kUnTransAll = tov::kFirstPluginOffset;

class Transparent final : public tov::SharedPlugin<SharedState, state> {
 public:
  Transparent(int pluginId, IPluginHost* pluginHost)
      : SharedPlugin(L"Transparent", pluginId, pluginHost) {}
  ~Transparent() override {
    if (lowLevelThread.running()) stop();  // released without being stopped
    worker.end();
  }

  bool initialize() override { return setCommand(kUnTransAll, &Transparent::unTransAll); }

  HMENU createMenu() override { return menuOf({{kUnTransAll, L"UnTrans All"}}); }

  // The mouse hook from the host's thread, then the low-level one from a thread of its own; when
  // that fails the first goes again, so a failed start leaves no hook behind.
  bool start() override {
    if (lowLevelThread.running()) return true;
    if (!tov::startHook(state.hMouseHook, WH_MOUSE, mouseProcedure)) return false;
    if (!startLowLevelThread()) {
      tov::stopHook(state.hMouseHook);
      return false;
    }
    return true;
  }

  bool stop() override {
    if (!tov::stopHook(state.hMouseHook)) return false;
    stopLowLevelThread();
    return true;
  }

 private:
  bool unTransAll(LPARAM) {
    worker.run([](LPARAM) { EnumWindows(tov::clearLayeredStyle, 0); }, 0);
    return true;
  }
};

}  // namespace

TOV_PLUGIN_EXPORT(Transparent)
