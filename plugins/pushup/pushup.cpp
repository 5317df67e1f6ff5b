// Pushup: a left double click on the empty background of a folder's file list goes up one
// folder. On a list control the hook posts the Backspace key to the list itself, in Explorer
// windows and in dialog boxes alike, and the double click never reaches the list. On the shell's
// items view the hook pairs the presses and hands the double click to the host
// (items_view_go_up.h).
#include <plugin_frame.h>

#include "items_view_go_up.h"
#include "list_double_click.h"

namespace {

using namespace tov::pushup;

struct SharedState {
  HHOOK hHook;
  bool inUse;
  // Neither read nor written any more: the hook posts to TOV through its session block
  // (postToHost), not to a window and command that any program could write here.
  HWND hostWindow;
  std::int32_t itemsViewCommand;
  ItemsViewPresses presses;
};

TOV_SHARED constinit SharedState state = {nullptr, true, nullptr, 0, kNoPresses};

constexpr wchar_t kName[] = L"Pushup";

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && state.inUse && wParam == WM_LBUTTONDOWN) {
    noteLeftPress(state.presses, kName, *reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam));
  } else if (code >= 0 && state.inUse && wParam == WM_LBUTTONDBLCLK) {
    HWND list = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->hwnd;
    if (doubleClickTarget(list) != GoUp::kNone) {
      postBackspace(list);
      return 1;
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

using Base = tov::OneHookPlugin<SharedState, state, WH_MOUSE, mouseProcedure>;

class Pushup final : public Base {
 public:
  Pushup(int pluginId, IPluginHost* pluginHost) : Base(kName, pluginId, pluginHost) {}

  // Offset 5 is the hook's double click on an items view; offset 4 keeps the frame's meaning.
  bool initialize() override {
    return Base::initialize() && setCommand(kItemsViewGoUpOffset, &Pushup::goUpFromItemsView);
  }

 private:
  bool goUpFromItemsView(LPARAM view) {
    return goUpItemsView(reinterpret_cast<HWND>(view), state.presses, state.inUse);
  }
};

}  // namespace

TOV_PLUGIN_EXPORT(Pushup)
