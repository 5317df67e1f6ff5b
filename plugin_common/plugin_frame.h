// The frame every plug-in library is built on: the per-process instance handle, the trivial
// operations of IPlugin, hook installation and removal, the default command handling, the
// command-table form, and the window tests several plug-ins share.
//
// A plug-in library defines its SharedState with TOV_SHARED (compiler.h), derives its class from
// one of the bases below and names it once with TOV_PLUGIN_EXPORT. Everything a hook procedure
// touches lives in SharedState: each process that the system maps the library into has its own
// ordinary data, so the frame's hook handles must be in the shared section too.
#pragma once

#include <windows.h>

#include <new>

#include "compiler.h"
#include "plugin_api.h"

namespace tov {

// This copy of the library's instance handle; set by the entry point on process attach.
extern HINSTANCE moduleInstance;

// The fields every SharedState begins with, for plug-ins with one hook.
struct OneHookState {
  HHOOK hHook;
  bool inUse;
};

// The same for plug-ins with two hooks.
struct TwoHookState {
  HHOOK hHook;
  HHOOK hHook2;
  bool inUse;
};

// Installs one hook for every thread (or for threadId) unless this program's copy of the library
// already installed the one `slot` holds (a handle left there by a host that ended without
// stopping is no hook: the system removed it with that host's thread).
bool startHook(HHOOK& slot, int hookType, HOOKPROC procedure, DWORD threadId = 0);
// Installs `first`, then `second`; if the second is refused the first is removed again, so a
// failed start leaves no hook behind.
bool startTwoHooks(HHOOK& first, int firstType, HOOKPROC firstProcedure, HHOOK& second,
                   int secondType, HOOKPROC secondProcedure);
// Removes the hook(s); false when none was installed.
bool stopHook(HHOOK& slot);
bool stopTwoHooks(HHOOK& first, HHOOK& second);

// Callbacks left behind in other programs. A hook makes the system load this library into each
// program the hook runs in, and once the hook is gone the system unloads it again from each of
// them, on its own schedule, as soon as no hook procedure of it is running there. It knows
// nothing of a timer procedure or a window procedure that the library has handed to such a
// program: one called after that would run code that is gone and crash the program.
//
// Whether the calling thread is the host's: the thread that created the plug-in object, which
// also releases it before the host frees the library, so a callback left on this thread can be
// taken back by the object itself.
bool isHostThread();
// Keeps this library loaded in the calling program until that program ends, for a callback that
// may be called after the library's hooks are gone there. Taken once per program, the first time
// such a callback is left there. Never in the host's program, which must stay able to free its
// plug-ins: false there, and when the system refuses; the caller then leaves no callback behind.
bool keepLoadedInThisProgram();
// Records the calling thread as the host's (createPlugin does, in the host's program only).
void markHostThread();

// Visible, unowned, enabled and not a tool window.
bool isNormalTopLevelWindow(HWND window);
// EnumWindows callback: makes every normal top-level window opaque again. It may wait on each
// window, so in TOV's process it runs on the library's worker (window_worker.h): a window that
// does not answer within kHostAnswerTimeoutMs keeps its layered style and is given full alpha
// instead.
BOOL CALLBACK clearLayeredStyle(HWND window, LPARAM unused);
// A popup menu holding one plain item (checked when `checked`), or null when the system refuses.
HMENU createOneItemMenu(UINT identifier, const wchar_t* text, bool checked = false);

// Redraw flags used after every change of a window's transparency.
inline constexpr UINT kRedrawAll = RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE;

// The fields and trivial operations of every plug-in object: the table pointer, name, id.
class PluginBase : public IPlugin {
 public:
  PluginBase(const wchar_t* pluginName, int pluginId) : name(pluginName), id(pluginId) {}

  IPlugin* getInterface() override { return this; }
  int getId() override { return id; }
  const wchar_t* getName() override { return name; }
  int getCommandBase() override { return commandBase(id); }
  // No own items: the host adds its own two.
  HMENU createMenu() override { return nullptr; }
  // Offset 4 flips the in-use flag; everything else is declined.
  bool onCommand(int commandOffset, LPARAM param) override;
  bool release() override {
    delete this;
    return true;
  }

 protected:
  const wchar_t* name;
  int id;
};

// The in-use flag lives in the shared section; State is a SharedState type, state its variable.
template <class State, State& state>
class SharedPlugin : public PluginBase {
 public:
  using PluginBase::PluginBase;
  bool setUse(bool use) override {
    state.inUse = use;
    return state.inUse;
  }
  bool isUse() override { return state.inUse; }
};

template <class State, State& state, int hookType, HOOKPROC procedure>
class OneHookPlugin : public SharedPlugin<State, state> {
 public:
  using SharedPlugin<State, state>::SharedPlugin;
  bool start() override { return startHook(state.hHook, hookType, procedure); }
  bool stop() override { return stopHook(state.hHook); }
};

// The second handle is named by the plug-in (its field is called after the hook it holds).
template <class State, State& state, HHOOK State::*second, int firstType, HOOKPROC firstProcedure,
          int secondType, HOOKPROC secondProcedure>
class TwoHookPlugin : public SharedPlugin<State, state> {
 public:
  using SharedPlugin<State, state>::SharedPlugin;
  bool start() override {
    return startTwoHooks(state.hHook, firstType, firstProcedure, state.*second, secondType,
                         secondProcedure);
  }
  bool stop() override { return stopTwoHooks(state.hHook, state.*second); }
};

// The command-table form: the plug-in fills a table of handlers indexed by command offset in
// initialize(), which getInterface() runs; a failed initialize makes createInstance return null.
class CommandPlugin : public PluginBase {
 public:
  using Handler = bool (CommandPlugin::*)(LPARAM param);

  CommandPlugin(const wchar_t* pluginName, int pluginId, IPluginHost* pluginHost)
      : PluginBase(pluginName, pluginId), host(pluginHost) {}
  ~CommandPlugin() override;
  CommandPlugin(const CommandPlugin&) = delete;
  CommandPlugin& operator=(const CommandPlugin&) = delete;

  virtual bool initialize() = 0;
  IPlugin* getInterface() override { return initialize() ? this : nullptr; }
  bool onCommand(int commandOffset, LPARAM param) override;

 protected:
  // Sets the handler for one offset, growing the table as needed; false when out of memory.
  bool setCommand(int commandOffset, Handler handler);

  IPluginHost* host;
  Handler* commands = nullptr;
  unsigned commandCount = 0;
};

// Allocation without exceptions: the export must never throw across the library boundary.
template <class Plugin, class... Args>
IPlugin* createPlugin(Args... args) noexcept {
  markHostThread();
  Plugin* plugin = new (std::nothrow) Plugin(args...);
  if (plugin == nullptr) return nullptr;
  IPlugin* result = plugin->getInterface();
  if (result == nullptr) plugin->release();
  return result;
}

}  // namespace tov

// Defines the library's export for a plug-in class constructed from (id). The export is named by
// the library's .def file (plugin.def, plugin_mingw_x86.def), so x86 carries no "@8" decoration.
#define TOV_PLUGIN_EXPORT(PluginClass)                              \
  extern "C" IPlugin* WINAPI createInstance(IPluginHost*, int id) { \
    return ::tov::createPlugin<PluginClass>(id);                    \
  }

// The same for a plug-in class constructed from (id, host).
#define TOV_PLUGIN_EXPORT_WITH_HOST(PluginClass)                         \
  extern "C" IPlugin* WINAPI createInstance(IPluginHost* host, int id) { \
    return ::tov::createPlugin<PluginClass>(id, host);                   \
  }
