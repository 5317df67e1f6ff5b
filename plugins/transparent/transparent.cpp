// Transparent: a right press on a window's maximise button starts a transparency adjustment; the
// wheel then changes the window's opacity, shown in its caption, until the next button press.
//
// The press arrives in the process of the clicked window (WH_MOUSE); the wheel is taken by the
// low-level hook on the host's thread, before any window sees it (WH_MOUSE_LL); the ending press
// arrives wherever the cursor is. So the whole adjustment lives in the shared section.
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
};

TOV_SHARED constinit SharedState state = {
    nullptr, nullptr, true, false, kInitialWheelStep, kInitialMinAlpha, kStartAlpha, nullptr, {}};

// Shows state.alpha on the target window: opaque windows lose the layered style, the others get
// the alpha (kept at the floor); the caption shows the percentage.
void applyAlpha() {
  HWND window = state.targetWindow;
  AlphaLevel level = settleAlpha(state.alpha, state.minAlpha);
  state.alpha = level.alpha;
  LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  if (level.opaque) {
    if (exStyle & WS_EX_LAYERED) {
      SetWindowLongW(window, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
      RedrawWindow(window, nullptr, nullptr, tov::kRedrawAll);
    }
  } else {
    if (!(exStyle & WS_EX_LAYERED)) SetWindowLongW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(level.alpha), LWA_ALPHA);
    RedrawWindow(window, nullptr, nullptr, tov::kRedrawAll);
  }
  wchar_t caption[kCaptionCapacity];
  formatCaption(level, state.minAlpha, caption);
  SetWindowTextW(window, caption);
}

void startAdjustment(POINT point) {
  state.isAdjusting = true;
  state.alpha = kStartAlpha;
  state.targetWindow = GetAncestor(WindowFromPoint(point), GA_ROOTOWNER);
  if (GetWindowTextW(state.targetWindow, state.savedTitle, static_cast<int>(kTitleCapacity)) == 0)
    state.savedTitle[0] = L'\0';
  applyAlpha();
}

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (state.inUse && code == HC_ACTION) {
    if (state.isAdjusting) {
      // The ending press still reaches its window.
      if (isButtonPress(wParam)) {
        state.isAdjusting = false;
        SetWindowTextW(state.targetWindow, state.savedTitle);
      }
    } else {
      const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
      if (startsAdjustment(wParam, static_cast<int>(mouse->wHitTestCode))) {
        startAdjustment(mouse->pt);
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
    applyAlpha();
    return 1;  // during an adjustment no window sees the wheel
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
