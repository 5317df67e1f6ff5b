// Transparent: a right press on a window's maximise button starts a transparency adjustment; the
// wheel then changes the window's opacity, shown in its caption, until the next button press.
//
// The press arrives in the process of the clicked window (WH_MOUSE), which alone learns where on
// the window it landed: that hook consumes it, shows the start on the window and reports the
// adjustment in the shared section. The wheel is taken by the low-level hook in TOV's process,
// before any window sees it (WH_MOUSE_LL), and the press that ends the adjustment is seen there
// too, whatever program it goes to.
//
// Any program that maps the library can write the shared section, so TOV acts on no adjustment
// because the section reports it. It takes one up only when the last real (not injected) right
// press its own low-level hook saw landed on the window the section names, and from then on the
// adjustment is TOV's own: the alpha, the target (with its thread, so that a window closed
// meanwhile, whose handle may since name another program's window, is never touched) and the
// caption to give back, which TOV read itself at that press. So a forged report can at most
// adjust the window the user has just right-pressed, until the next press gives it its own
// caption back; and the section's step, floor, alpha and saved caption are not read at all.
//
// TOV changes the target from its own threads, which serve hooks and never wait on another
// program: the worker (window_worker.h) shows the target its new look and may wait a little. What
// a target that did not answer in time missed is owed to it and tried again at the next mouse
// event. In TOV's process the low-level hook has a thread of its own, whose loop does nothing
// else. Windows silently removes a low-level hook that stalls; the thread installs its hook
// afresh after every quiet spell, so a removed one is back soon (see renewLowLevelHook).
#include <no_wait.h>
#include <plugin_frame.h>
#include <scoped_win.h>
#include <window_worker.h>

#include <cwchar>

#include "core/adjustment.h"

namespace {

using namespace tov::transparent;

// What the section still holds for other programs: whether an adjustment runs and on which window
// (read by the hooks that start and end one, and by TOV to take one up); the rest is written as
// it always was, and read by nothing.
struct SharedState {
  HHOOK hMouseHook;
  HHOOK hLowLevelMouseHook;
  bool inUse;
  bool isAdjusting;
  int wheelStep;  // not read: the step is a constant
  int minAlpha;   // not read: the floor is a constant
  int alpha;      // not read: TOV keeps its own
  HWND targetWindow;
  wchar_t savedTitle[kTitleCapacity];  // not read: TOV reads the caption it gives back itself
  DWORD targetThread;                  // the thread of targetWindow when the adjustment started
  bool lookOwed;                       // neither read nor written: TOV keeps what it owes
};

TOV_SHARED constinit SharedState state = {
    nullptr, nullptr, true, false, kInitialWheelStep, kInitialMinAlpha, kStartAlpha,
    nullptr, {},      0,    false};

// Shows an alpha on a window: opaque windows lose the layered style, the others get the alpha;
// the caption shows the percentage. A window that does not answer in time is left as it is,
// except that one already layered gets the alpha, which it is not told about: false then.
bool applyAlpha(HWND window, int alpha, UINT answerTimeoutMs) {
  AlphaLevel level = settleAlpha(alpha, kInitialMinAlpha);
  LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  bool answered = true;
  if (level.opaque) {
    if (exStyle & WS_EX_LAYERED) {
      answered = tov::setExStyleWithoutWaiting(window, exStyle & ~WS_EX_LAYERED, answerTimeoutMs);
      if (answered) {
        RedrawWindow(window, nullptr, nullptr, tov::kRedrawAll);
      } else {
        SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(kOpaqueAlpha), LWA_ALPHA);
      }
    }
  } else {
    answered = tov::setExStyleWithoutWaiting(window, exStyle | WS_EX_LAYERED, answerTimeoutMs);
    if (answered || (exStyle & WS_EX_LAYERED)) {
      SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(level.alpha), LWA_ALPHA);
      RedrawWindow(window, nullptr, nullptr, tov::kRedrawAll);
    }
  }
  wchar_t caption[kCaptionCapacity];
  formatCaption(level, kInitialMinAlpha, caption);
  return answered && tov::setCaptionWithoutWaiting(window, caption, answerTimeoutMs);
}

// ---- TOV's own adjustment: only the copy of the library in TOV's process uses this ----------

// A window with the caption it had.
struct Look {
  tov::WindowIdentity window;
  wchar_t title[kTitleCapacity];
};

struct OwnAdjustment {
  bool running;
  int alpha;
  Look target;      // the running adjustment's, or the last one's
  bool targetOwed;  // the target has not been shown the latest alpha, or its caption back
  Look previous;    // a target whose caption was still owed when the next adjustment began
  bool previousOwed;
  Look pressed;  // the window under the last real right press, while nothing took it up
  bool pressPending;
};
constinit OwnAdjustment own = {};
// The low-level hook's thread writes the record, the worker reads it: a look is copied under the
// lock, which is never held for anything else.
SRWLOCK ownLock = SRWLOCK_INIT;

void copyLook(Look& to, const Look& from) {
  AcquireSRWLockExclusive(&ownLock);
  to.window = from.window;
  std::wmemcpy(to.title, from.title, kTitleCapacity);
  ReleaseSRWLockExclusive(&ownLock);
}

void readLook(Look& look, HWND window) {
  Look read{tov::identify(window), {}};
  tov::readCaptionWithoutWaiting(window, read.title, static_cast<int>(kTitleCapacity));
  copyLook(look, read);
}

// Per process: in TOV's, the worker and the low-level hook's thread.
constinit tov::WindowWorker worker;
constinit tov::LibraryThread lowLevelThread;

// The worker's job: what is owed to the previous target (its caption), then to the target (the
// adjustment as it stands: its alpha and percentage while it runs, its own caption after).
void showOwnJob(LPARAM) {
  Look look;
  if (own.previousOwed) {
    copyLook(look, own.previous);
    own.previousOwed =
        tov::isSameWindow(look.window) &&
        !tov::setCaptionWithoutWaiting(look.window.window, look.title, tov::kHostAnswerTimeoutMs);
  }
  if (own.targetOwed) {
    own.targetOwed = false;
    copyLook(look, own.target);
    if (!tov::isSameWindow(look.window)) return;
    bool answered = own.running
                        ? applyAlpha(look.window.window, own.alpha, tov::kHostAnswerTimeoutMs)
                        : tov::setCaptionWithoutWaiting(look.window.window, look.title,
                                                        tov::kHostAnswerTimeoutMs);
    if (!answered) own.targetOwed = true;
  }
}

void showOwn() {
  if (!worker.request(showOwnJob, 0)) showOwnJob(0);
}

// TOV's record takes up an adjustment: the target's caption from before it, the alpha it starts
// at. A caption still owed to the previous target is kept apart, to be given back all the same.
void beginOwn(const Look& target) {
  if (own.targetOwed && !own.running) {
    copyLook(own.previous, own.target);
    own.previousOwed = true;
  }
  copyLook(own.target, target);
  own.alpha = kStartAlpha;
  own.running = true;
  own.targetOwed = true;
  own.pressPending = false;
}

// The low-level hook, before it acts on an event: an adjustment the section reports is taken up
// when the last real right press landed on its window (which may have closed since: the wheel is
// then still the adjustment's, and nothing is shown).
void takeUpReportedAdjustment() {
  if (own.running || !own.pressPending || !state.isAdjusting) return;
  if (state.targetWindow == own.pressed.window.window) beginOwn(own.pressed);
}

// A button press the low-level hook saw: it ends a running adjustment, and a real right press is
// the one a new adjustment may start from.
void onLowLevelPress(WPARAM message, const MSLLHOOKSTRUCT& event) {
  takeUpReportedAdjustment();
  if (own.running) {
    own.running = false;
    own.targetOwed = true;
    showOwn();
  }
  own.pressPending = false;
  if (message == WM_RBUTTONDOWN && (event.flags & LLMHF_INJECTED) == 0) {
    readLook(own.pressed, GetAncestor(WindowFromPoint(event.pt), GA_ROOTOWNER));
    own.pressPending = own.pressed.window.window != nullptr;
  }
}

// ---- The hooks ---------------------------------------------------------------------------------

// The start, in the process of the pressed window: reported in the section and shown on the
// window from here. In TOV's process (a 32-bit program's press, whose hook runs on the host's
// thread) the adjustment is TOV's own at once, and the worker shows it.
void startAdjustment(const MOUSEHOOKSTRUCT& mouse) {
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
  if (tov::onHookServingThread()) {
    Look look;
    readLook(look, target);
    beginOwn(look);
    showOwn();
  } else {
    applyAlpha(target, kStartAlpha, tov::kHookAnswerTimeoutMs);
  }
}

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (state.inUse && code == HC_ACTION) {
    if (state.isAdjusting) {
      // The ending press still reaches its window; TOV gives the target its caption back.
      if (isButtonPress(wParam)) state.isAdjusting = false;
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
  if (state.inUse && code >= 0) {
    const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    if (wParam == WM_MOUSEWHEEL) {
      takeUpReportedAdjustment();
      if (own.running) {
        own.alpha =
            settleAlpha(alphaAfterWheel(own.alpha, wheelDelta(event->mouseData), kInitialWheelStep),
                        kInitialMinAlpha)
                .alpha;
        own.targetOwed = true;
        showOwn();
        return 1;  // during an adjustment no window sees the wheel, even when its target has gone
      }
    } else if (isButtonPress(wParam)) {
      onLowLevelPress(wParam, *event);
    } else if (own.targetOwed || own.previousOwed) {
      showOwn();  // a target that did not answer in time is tried again
    }
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

// The low-level hook this process installed, on the hook's own thread; the section's handle is
// written for the hook's CallNextHookEx (which ignores it) and never read.
HHOOK lowLevelHook = nullptr;

// On the hook's own thread, between its calls: the fresh hook goes first in the chain, then the
// old one is removed (which fails harmlessly when Windows has already removed it).
void renewLowLevelHook() {
  HHOOK fresh = SetWindowsHookExW(WH_MOUSE_LL, lowLevelMouseProcedure, tov::moduleInstance, 0);
  if (fresh == nullptr) return;  // the old one stays; next time again
  HHOOK old = lowLevelHook;
  lowLevelHook = fresh;
  state.hLowLevelMouseHook = fresh;
  UnhookWindowsHookEx(old);
}

// The low-level hook's thread: installs the hook, says so through `ready`, then only answers the
// hook's calls (sent messages, answered inside PeekMessageW) until it is told to quit, installing
// the hook afresh after each quiet spell.
DWORD runLowLevelThread(void* ready) {
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // a queue before anyone posts to it
  lowLevelHook = SetWindowsHookExW(WH_MOUSE_LL, lowLevelMouseProcedure, tov::moduleInstance, 0);
  state.hLowLevelMouseHook = lowLevelHook;
  SetEvent(static_cast<HANDLE>(ready));
  if (lowLevelHook == nullptr) return 1;
  for (bool quit = false; !quit;) {
    DWORD woken = MsgWaitForMultipleObjectsEx(0, nullptr, kRenewLowLevelHookMs, QS_ALLINPUT,
                                              MWMO_INPUTAVAILABLE);
    if (woken == WAIT_TIMEOUT) {
      renewLowLevelHook();
      continue;
    }
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) quit = true;
    }
  }
  UnhookWindowsHookEx(lowLevelHook);
  lowLevelHook = nullptr;
  state.hLowLevelMouseHook = nullptr;
  return 0;
}

bool startLowLevelThread() {
  tov::ScopedHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ready || !lowLevelThread.begin(runLowLevelThread, ready.get())) return false;
  tov::waitAnsweringSentMessages(ready.get());
  if (lowLevelHook != nullptr) return true;
  lowLevelThread.join();
  return false;
}

void stopLowLevelThread() {
  if (!lowLevelThread.running()) return;
  PostThreadMessageW(lowLevelThread.id(), WM_QUIT, 0, 0);
  lowLevelThread.join();
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
