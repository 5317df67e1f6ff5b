// Colfit and ColfitXP: a double click on a window's lower-right sizing corner fits a folder
// window to its file list, and, while "Resize on Exp. creation" is checked, every new folder
// window is fitted as it appears. The hooks run only on the threads of folder windows, where
// corner double clicks never reach any window while in use; the host learns of new folder
// windows from its window events and asks their thread for the fit.
#include <plugin_frame.h>
#include <window_classes.h>

#include <vector>

#include "explorer_fit.h"

namespace {

using namespace tov::explorer_fit;

#ifdef TOV_FIT_XP
constexpr wchar_t kName[] = L"ColfitXP";
constexpr wchar_t kFitRequestName[] = L"ColfitXP::UM_FIT_NEW_WINDOW";
constexpr Variant kVariant = Variant::kB;
#else
constexpr wchar_t kName[] = L"Colfit";
constexpr wchar_t kFitRequestName[] = L"Colfit::UM_FIT_NEW_WINDOW";
constexpr Variant kVariant = Variant::kA;
#endif

struct SharedState {
  HHOOK hHook;       // stays null: the hooks are per thread, and only the host keeps their handles
  HHOOK hShellHook;  // stays null: new folder windows come from the host's window events
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
  // The handle is ignored on Windows NT, and this thread's is the host's alone to know.
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// What the host posts to a folder window it has just seen made, for its own thread to fit it:
// the list can be measured only from inside its program. Registered once in each program.
UINT fitRequest() {
  static UINT message = 0;
  if (message == 0) message = RegisterWindowMessageW(kFitRequestName);
  return message;
}

LRESULT CALLBACK getMessageProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    // Registered messages lie at 0xC000 and above: every other message passes one comparison.
    if (message->message >= 0xC000 && message->message == fitRequest()) {
      if (state.inUse && state.resizeOnCreation)
        fitExplorerWindow(message->hwnd, kVariant, kCreationFit);
      message->message = WM_NULL;  // the window itself has nothing to do with it
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Folder windows, and the fit of a new one while "Resize on Exp. creation" is checked, once it has
// its file list: at its creation when the list is there already, else when the list appears (the
// shell may make the view only after the window).
class CreationFitWindows final : public FolderWindows {
 public:
  CreationFitWindows()
      : FolderWindows({WH_MOUSE, mouseProcedure}, {WH_GETMESSAGE, getMessageProcedure}) {}

 private:
  // A folder window, or the file list of one.
  HWND watchedWindowOf(HWND window) override {
    HWND root = GetAncestor(window, GA_ROOT);
    if (root != window && !tov::hasClass(window, kFileListClass)) return nullptr;
    return FolderWindows::watchedWindowOf(root);
  }
  void appeared(HWND window, bool created, bool fresh) override {
    if (!created || !state.inUse || !state.resizeOnCreation) return;
    std::erase_if(waiting_, [](HWND waiting) { return !IsWindow(waiting); });
    bool waited = std::erase(waiting_, window) > 0;
    if (!fresh && !waited) return;
    // Looked for without a word to the window: this is TOV's thread.
    if (tov::firstDescendant(window, kFileListClass) != nullptr) {
      PostMessageW(window, fitRequest(), 0, 0);
    } else {
      waiting_.push_back(window);
    }
  }

  // New folder windows whose list has not appeared yet.
  std::vector<HWND> waiting_;
};

constexpr int kResizeOnCreation = tov::kFirstPluginOffset;

class Colfit final : public tov::WatchingPlugin<SharedState, state> {
 public:
  Colfit(int pluginId, IPluginHost* pluginHost) : WatchingPlugin(kName, pluginId, pluginHost) {}

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
  tov::WatchedWindows& watchedWindows() override { return windows_; }

  bool toggleResizeOnCreation(LPARAM) {
    state.resizeOnCreation = !state.resizeOnCreation;
    return true;
  }

  CreationFitWindows windows_;
};

}  // namespace

TOV_PLUGIN_EXPORT(Colfit)
