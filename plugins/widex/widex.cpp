// Widex and WidexXP: a double click on a folder window's lower-right sizing corner fits the
// window to its file list. Every other double click, on other windows too, reaches its window.
// The hook runs only on the threads of folder windows.
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
  HHOOK hHook;  // stays null: the hooks are per thread, and only the host keeps their handles
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
  // The handle is ignored on Windows NT, and this thread's is the host's alone to know.
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The hook is on the threads of folder windows only (thread_hooks.h).
class Widex final : public tov::WatchingPlugin<SharedState, state> {
 public:
  Widex(int pluginId, IPluginHost* pluginHost) : WatchingPlugin(kName, pluginId, pluginHost) {}

 private:
  tov::WatchedWindows& watchedWindows() override { return windows_; }

  FolderWindows windows_{{WH_MOUSE, mouseProcedure}};
};

}  // namespace

TOV_PLUGIN_EXPORT(Widex)
