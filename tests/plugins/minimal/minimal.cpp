// The smallest whole plug-in library: it counts the left presses that reach any window while it
// is in use. Four parts, in the order every library has them (plugin_frame.h says why each is as
// it is); tov_add_plugin in CMakeLists.txt adds the export's .def file and the version resource.
#include <plugin_frame.h>

namespace {

// 1. The state the hook shares with every copy of the library: the frame's fields first, then
//    the plug-in's own, each with its value in the image.
struct SharedState {
  HHOOK hHook;
  bool inUse;
  LONG presses;
};

TOV_SHARED constinit SharedState state = {nullptr, true, 0};

// 2. The hook procedure, run inside whichever program gets the event: the cheap tests first, and
//    the event passed on.
LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && state.inUse && wParam == WM_LBUTTONDOWN) ++state.presses;
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

// 3. The plug-in: its shape installs the hook and keeps the in-use flag. It has no menu items of
//    its own, so offset 4 switches it; one with items declares them in initialize() and
//    createMenu() (Colfit has one).
class Minimal final : public tov::OneHookPlugin<SharedState, state, WH_MOUSE, mouseProcedure> {
 public:
  Minimal(int pluginId, IPluginHost* pluginHost)
      : OneHookPlugin(L"Minimal", pluginId, pluginHost) {}
};

}  // namespace

// 4. The one export, createInstance.
TOV_PLUGIN_EXPORT(Minimal)
