// A plug-in on the command-table form: offsets 4 and 6 have handlers, 5 has none. Loaded under
// the name "CommandProbeFails.dll" its initialisation fails, so createInstance must give null.
#include <windows.h>

#include "plugin_frame.h"

namespace {

struct ProbeState {
  HHOOK hHook;
  bool inUse;
  LONG liveObjects;  // constructed minus destroyed, across the library's life
};

TOV_SHARED ProbeState state = {nullptr, true, 0};

LRESULT CALLBACK keyboardProcedure(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

bool loadedToFail() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(tov::moduleInstance, path, MAX_PATH);
  return length > 0 && wcsstr(path, L"Fails") != nullptr;
}

class CommandProbe final : public tov::CommandPlugin {
 public:
  CommandProbe(int id, IPluginHost* host) : CommandPlugin(L"CommandProbe", id, host) {
    ++state.liveObjects;
  }
  ~CommandProbe() override { --state.liveObjects; }

  bool initialize() override {
    if (loadedToFail()) return false;
    return setCommand(6, static_cast<Handler>(&CommandProbe::echo)) &&
           setCommand(4, static_cast<Handler>(&CommandProbe::remember));
  }
  bool start() override { return tov::startHook(state.hHook, WH_KEYBOARD, keyboardProcedure); }
  bool stop() override { return tov::stopHook(state.hHook); }
  bool setUse(bool use) override { return state.inUse = use; }
  bool isUse() override { return state.inUse; }

  LPARAM remembered = 0;

 private:
  // Handled when the parameter is odd.
  bool echo(LPARAM param) { return (param & 1) != 0; }
  bool remember(LPARAM param) {
    remembered = param;
    return true;
  }
};

CommandProbe* lastCreated = nullptr;

}  // namespace

extern "C" IPlugin* WINAPI createInstance(IPluginHost* host, int id) {
  IPlugin* plugin = tov::createPlugin<CommandProbe>(id, host);
  lastCreated = static_cast<CommandProbe*>(plugin);
  return plugin;
}

extern "C" __declspec(dllexport) LONG probeLiveObjects() { return state.liveObjects; }
extern "C" __declspec(dllexport) LPARAM probeRemembered() {
  return lastCreated != nullptr ? lastCreated->remembered : 0;
}
