// Widex and WidexXP: a double click on a folder window's lower-right sizing corner fits the
// window to its file list. Every other double click, on other windows too, reaches its window.
#include <plugin_frame.h>

#include "explorer_fit.h"

namespace {

using namespace tov::explorer_fit;

#ifdef TOV_FIT_XP
constexpr wchar_t kName[] = L"WidexXP";
constexpr Variant kVariant = Variant::kB;
#else
constexpr wchar_t kName[] = L"Widex";
constexpr Variant kVariant = Variant::kA;
#endif

struct SharedState {
  HHOOK hHook;
  bool inUse;
};

TOV_SHARED constinit SharedState state = {nullptr, true};

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && state.inUse && wParam == WM_NCLBUTTONDBLCLK) {
    const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
    // A folder window's double click is taken even when its view is one the fit leaves alone.
    if (mouse->wHitTestCode == HTBOTTOMRIGHT &&
        fitExplorerWindow(GetAncestor(mouse->hwnd, GA_ROOTOWNER), kVariant, kWidexFit))
      return 1;
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

class Widex final : public tov::OneHookPlugin<SharedState, state, WH_MOUSE, mouseProcedure> {
 public:
  Widex(int pluginId, IPluginHost* pluginHost) : OneHookPlugin(kName, pluginId, pluginHost) {}
};

}  // namespace

TOV_PLUGIN_EXPORT(Widex)
