// Topmost: a right press on a window's close button flips its root owner between always-on-top
// and normal. The press is consumed, so nothing closes.
#include <no_wait.h>
#include <plugin_frame.h>

#include "core/pin.h"

namespace {

using namespace tov::topmost;

struct SharedState {
  HHOOK hHook;
  bool inUse;
};

TOV_SHARED constinit SharedState state = {nullptr, true};

// Without SWP_NOACTIVATE, so the window also comes to the top of its group and is activated. The
// hook runs on the thread of the pressed window; a root owner of another thread is asked to move
// itself (SWP_ASYNCWINDOWPOS), so that the hook never waits on that thread.
void setTopmost(HWND window, bool on) {
  UINT flags = SWP_NOSIZE | SWP_NOMOVE;
  if (!tov::isOwnThreadWindow(window)) flags |= SWP_ASYNCWINDOWPOS;
  SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 100, 100, flags);
}

void toggleTopmost(HWND window) {
  setTopmost(window, shouldPin(static_cast<std::uint32_t>(GetWindowLongW(window, GWL_EXSTYLE))));
}

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && state.inUse && wParam == WM_NCRBUTTONDOWN) {
    const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
    if (isPinPress(wParam, static_cast<int>(mouse->wHitTestCode))) {
      toggleTopmost(GetAncestor(mouse->hwnd, GA_ROOTOWNER));
      return 1;
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

class Topmost final : public tov::OneHookPlugin<SharedState, state, WH_MOUSE, mouseProcedure> {
 public:
  Topmost(int pluginId, IPluginHost* pluginHost)
      : OneHookPlugin(L"Topmost", pluginId, pluginHost) {}
};

}  // namespace

TOV_PLUGIN_EXPORT(Topmost)
