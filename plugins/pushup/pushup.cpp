// Pushup: a left double click on the empty background of a folder's file list goes up one
// folder. The hook posts the Backspace key to the list itself, in Explorer windows and in dialog
// boxes alike, and the double click never reaches the list.
#include <plugin_frame.h>

#include "list_double_click.h"

namespace {

using namespace tov::pushup;

struct SharedState {
  HHOOK hHook;
  bool inUse;
};

TOV_SHARED constinit SharedState state = {nullptr, true};

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && state.inUse && wParam == kLeftDoubleClick) {
    HWND list = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->hwnd;
    if (doubleClickTarget(list) != GoUp::kNone) {
      postBackspace(list);
      return 1;
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

class Pushup final : public tov::OneHookPlugin<SharedState, state, WH_MOUSE, mouseProcedure> {
 public:
  explicit Pushup(int pluginId) : OneHookPlugin(L"Pushup", pluginId) {}
};

}  // namespace

TOV_PLUGIN_EXPORT(Pushup)
