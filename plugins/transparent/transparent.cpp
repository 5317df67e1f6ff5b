// Transparent: a right press on a window's maximise button starts a transparency adjustment; the
// wheel then changes the window's opacity, shown in its caption, until the next button press.
//
// The press arrives in the process of the clicked window (WH_MOUSE); the wheel is taken by the
// low-level hook on the host's thread, before any window sees it (WH_MOUSE_LL); the ending press
// arrives wherever the cursor is. So the whole adjustment lives in the shared section.
//
// Only the starting press runs on the target's own thread. The wheel and the ending press change
// the target from other threads, the wheel from the host's, whose low-level hook Windows removes
// once it stalls: so nothing there waits on the target (no_wait.h). What a target that does not
// answer in time misses is owed to it, and its own thread catches up at its next mouse event.
// The target is also remembered with its thread, so that a window closed meanwhile, whose handle
// may since name another program's window, is never touched.
#include <no_wait.h>
#include <plugin_frame.h>

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

// On the target's own thread nothing is waited for: what it missed is done now.
void catchUpOnTargetThread() {
  if (!targetIsStillThere()) {
    state.lookOwed = false;
  } else if (state.isAdjusting) {
    applyAlpha();
  } else {
    restoreTitle();
  }
}

void startAdjustment(const MOUSEHOOKSTRUCT& mouse) {
  // A caption still owed to the previous target is tried once more before it is forgotten.
  if (state.lookOwed) restoreTitle();
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
  applyAlpha();
}

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (state.inUse && code == HC_ACTION) {
    if (state.lookOwed && state.targetThread == GetCurrentThreadId()) catchUpOnTargetThread();
    if (state.isAdjusting) {
      // The ending press still reaches its window.
      if (isButtonPress(wParam)) {
        state.isAdjusting = false;
        restoreTitle();
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
    if (targetIsStillThere()) applyAlpha();
    return 1;  // during an adjustment no window sees the wheel, even when its target has gone
  }
  return CallNextHookEx(state.hLowLevelMouseHook, code, wParam, lParam);
}

constexpr int kUnTransAll = tov::kFirstPluginOffset;

class Transparent final : public tov::SharedPlugin<SharedState, state> {
 public:
  explicit Transparent(int pluginId) : SharedPlugin(L"Transparent", pluginId) {}

  HMENU createMenu() override {
    return tov::createOneItemMenu(getCommandBase() + kUnTransAll, L"UnTrans All");
  }

  bool onCommand(int commandOffset, LPARAM) override {
    if (commandOffset != kUnTransAll) return false;
    EnumWindows(tov::clearLayeredStyle, 0);
    return true;
  }

  bool start() override {
    return tov::startTwoHooks(state.hMouseHook, WH_MOUSE, mouseProcedure, state.hLowLevelMouseHook,
                              WH_MOUSE_LL, lowLevelMouseProcedure);
  }
  bool stop() override { return tov::stopTwoHooks(state.hMouseHook, state.hLowLevelMouseHook); }
};

}  // namespace

TOV_PLUGIN_EXPORT(Transparent)
