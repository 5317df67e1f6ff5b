// Colfit and ColfitXP: a double click on a window's lower-right sizing corner fits a folder
// window to its file list, and, while "Resize on Exp. creation" is checked, every new folder
// window is fitted as it appears. Corner double clicks never reach any window while in use.
#include <plugin_frame.h>

#include "explorer_fit.h"

namespace {

using namespace tov::explorer_fit;

#ifdef TOV_FIT_XP
constexpr wchar_t kName[] = L"ColfitXP";
constexpr Variant kVariant = Variant::kB;
#else
constexpr wchar_t kName[] = L"Colfit";
constexpr Variant kVariant = Variant::kA;
#endif

struct SharedState {
  HHOOK hHook;
  HHOOK hShellHook;
  bool inUse;
  bool resizeOnCreation;
};

TOV_SHARED constinit SharedState state = {nullptr, nullptr, true, true};

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && state.inUse && wParam == WM_NCLBUTTONDBLCLK) {
    const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
    if (mouse->wHitTestCode == HTBOTTOMRIGHT) {
      fitExplorerWindow(GetAncestor(mouse->hwnd, GA_ROOTOWNER), kVariant, kCornerFit);
      return 1;
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

LRESULT CALLBACK shellProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HSHELL_WINDOWCREATED && state.inUse && state.resizeOnCreation)
    fitExplorerWindow(reinterpret_cast<HWND>(wParam), kVariant, kCreationFit);
  return CallNextHookEx(state.hShellHook, code, wParam, lParam);
}

constexpr int kResizeOnCreation = tov::kFirstPluginOffset;

class Colfit final : public tov::TwoHookPlugin<SharedState, state, &SharedState::hShellHook,
                                               WH_MOUSE, mouseProcedure, WH_SHELL, shellProcedure> {
 public:
  Colfit(int pluginId, IPluginHost* pluginHost) : TwoHookPlugin(kName, pluginId, pluginHost) {}

  bool initialize() override {
    // The section outlives a TOV while any program maps the library: this TOV begins with "Resize
    // on Exp. creation" on, whatever an earlier one left there.
    state.resizeOnCreation = true;
    return setCommand(kResizeOnCreation, &Colfit::toggleResizeOnCreation);
  }

  HMENU createMenu() override {
    return menuOf({{kResizeOnCreation, L"Resize on Exp. creation", state.resizeOnCreation}});
  }

 private:
  bool toggleResizeOnCreation(LPARAM) {
    state.resizeOnCreation = !state.resizeOnCreation;
    return true;
  }
};

}  // namespace

TOV_PLUGIN_EXPORT(Colfit)
