// The frame every plug-in library is built on: the per-process instance handle, the one base of
// every plug-in object with the operations all plug-ins share, the shapes that add the in-use
// flag and the hooks, the one way a command is handled, and the export.
//
// A library, from top to bottom (tests/plugins/minimal/minimal.cpp is the smallest whole one):
//   1. its SharedState: one variable in the library's shared section (TOV_SHARED, compiler.h),
//      beginning with the frame's fields (below);
//   2. its hook procedures, which read and write only SharedState and the windows an event is
//      about, and pass every event they do not consume on with CallNextHookEx; what they act on
//      in another program (a key to type, a window to post to) never comes from SharedState,
//      which any program can write, but from constants, the event itself or TOV's session block
//      (session_block.h);
//   3. its plug-in class, derived from the shape that fits (SharedPlugin, OneHookPlugin,
//      TwoHookPlugin), overriding only what it does differently;
//   4. TOV_PLUGIN_EXPORT(ThatClass).
#pragma once

#include <windows.h>

#include <concepts>
#include <cstddef>
#include <initializer_list>
#include <new>
#include <type_traits>

#include "compiler.h"
#include "plugin_api.h"

namespace tov {

// This copy of the library's instance handle; set by the entry point on process attach.
extern HINSTANCE moduleInstance;

// ---- The shared state --------------------------------------------------------------------------
//
// A hook installed for every thread makes the system load the library into each program that
// gets the hooked events and run the hook procedure there, with that copy's own ordinary data.
// Only the shared section is the same memory in every copy, so what the hook procedures share
// lives there, in the library's SharedState. So can any program write it that maps the library
// (one at a lower integrity level that the hooks reach, one that loads the file itself): nothing
// read there is acted on in another program without a check against what the reader knows
// itself, and values fixed at build time are read from constants. TOV's own values for the hooks
// (its window, the plug-ins' command bases) are in TOV's session block (session_block.h). Every
// SharedState begins with the frame's fields, in this order:
//
//   HHOOK hHook;   the first hook: each copy of the procedure passes it on to CallNextHookEx
//                  (which ignores it); installing and removing go by this program's own record
//   HHOOK ...;     a second hook, in plug-ins with two, named after the hook it holds
//   bool inUse;    the in-use flag: setUse writes it in the host and every copy of the hook reads
//                  it at once; true in the image, so a library does its work once started, until
//                  the host sets the flag from HookOrder.ini
//
// then the plug-in's own fields. Each field has a constant initial value: the image holds what
// the first program to map the library sees, and no code runs to set it up.
//
// The frame's fields are written out in each SharedState rather than taken from a struct of
// their own: such a struct would end in padding after `inUse`, where a plug-in's small fields of
// its own lie now (Pushdown's flag, Fadeon's alphas), and the section, which other programs see,
// would change its layout. The shapes below check the beginning instead, when they are built.

// A SharedState whose in-use flag follows its one or two hook handles.
template <class State>
concept SharedStateHead = std::is_standard_layout_v<State> && requires(State& state) {
  { state.inUse } -> std::same_as<bool&>;
  requires(offsetof(State, inUse) == sizeof(HHOOK) || offsetof(State, inUse) == 2 * sizeof(HHOOK));
};

// ... whose first field is the hook the frame installs and removes.
template <class State>
concept HookStateHead = SharedStateHead<State> && requires(State& state) {
  { state.hHook } -> std::same_as<HHOOK&>;
  requires(offsetof(State, hHook) == 0);
};

// ---- Hooks -------------------------------------------------------------------------------------

// The hook handles in the shared section are written for the hook procedures' CallNextHookEx
// (which ignores them) and read by nothing: what is installed and removed is what this program's
// copy of the library itself recorded (any program can write the section).
//
// Installs one hook for every thread (or for threadId) unless this program's copy of the library
// installed one into `slot` already.
bool startHook(HHOOK& slot, int hookType, HOOKPROC procedure, DWORD threadId = 0);
// Installs `first`, then `second`; if the second is refused the first is removed again, so a
// failed start leaves no hook behind.
bool startTwoHooks(HHOOK& first, int firstType, HOOKPROC firstProcedure, HHOOK& second,
                   int secondType, HOOKPROC secondProcedure);
// Removes the hook(s) this program installed into the slots; false when it installed none.
bool stopHook(HHOOK& slot);
bool stopTwoHooks(HHOOK& first, HHOOK& second);
// Whether this program installed a hook into the slot and has not removed it.
bool isHookInstalled(const HHOOK& slot);

// ---- Callbacks left behind in other programs ---------------------------------------------------
//
// A hook makes the system load this library into each program the hook runs in, and once the hook
// is gone the system unloads it again from each of them, on its own schedule, as soon as no hook
// procedure of it is running there. It knows nothing of a timer procedure or a window procedure
// that the library has handed to such a program: one called after that would run code that is
// gone and crash the program.
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

// ---- Windows several plug-ins act on -----------------------------------------------------------

// Visible, unowned, enabled and not a tool window: a window the user works in.
bool isNormalTopLevelWindow(HWND window);
// EnumWindows callback: makes every normal top-level window opaque again. It may wait on each
// window, so in TOV's process it runs on the library's worker (window_worker.h): a window that
// does not answer within kHostAnswerTimeoutMs keeps its layered style and is given full alpha
// instead.
BOOL CALLBACK clearLayeredStyle(HWND window, LPARAM unused);

// Redraw flags used after every change of a window's transparency.
inline constexpr UINT kRedrawAll = RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE;

// ---- The plug-in object ------------------------------------------------------------------------
//
// One base for every plug-in. The operations the host calls fall in three kinds:
//   fixed, the same in every plug-in: getInterface, getId, getName, getCommandBase, release,
//     onCommand;
//   optional, with defaults a plug-in overrides only when it does more: initialize, createMenu;
//   required, which the shapes below give from SharedState: start, stop, setUse, isUse.
//
// A command is handled one way: initialize() declares each offset the plug-in answers with the
// member function that answers it (setCommand), and onCommand runs that function with the
// command's parameter. Offsets without one are declined, which leaves offsets 0 to 3 to the
// host's own default (plugin_api.h).
class PluginBase : public IPlugin {
 public:
  // The layout the contract shows (contract_layout_test): the table pointer, then name, then id.
  PluginBase(const wchar_t* pluginName, int pluginId, IPluginHost* pluginHost = nullptr)
      : name(pluginName), id(pluginId), host(pluginHost) {}
  ~PluginBase() override;
  PluginBase(const PluginBase&) = delete;
  PluginBase& operator=(const PluginBase&) = delete;

  // Fixed. getInterface runs initialize() first: a plug-in that cannot set itself up gives null,
  // which createInstance returns and the host reports as a failed load (a constructor could not
  // say so: no library here has exceptions).
  IPlugin* getInterface() override { return initialize() ? this : nullptr; }
  int getId() override { return id; }
  const wchar_t* getName() override { return name; }
  int getCommandBase() override { return commandBase(id); }
  bool onCommand(int commandOffset, LPARAM param) override;
  // The object was allocated by this library's own allocation functions (plugin_frame.cpp), of
  // which the host knows nothing: only the library frees it.
  bool release() override {
    delete this;
    return true;
  }

  // Publishes the command base under the plug-in's name in TOV's session block, where the
  // plug-in's hooks find it to post their commands (postToHost, window_facts.h); createPlugin does
  // this once the object is set up, and the destructor takes it back. Nothing without TOV.
  void publishCommandBase() const;

  // Optional: the plug-in's set-up, run once before the host sees the object; it declares the
  // commands the plug-in answers. The default declares the one command of a plug-in without items
  // of its own: offset 4 switches its in-use flag (toggleUse). Offset 4 is where a plug-in's own
  // items begin, and a plug-in that has none answers it as the host's "Is Use" (offset 3) does,
  // so that base + 4 always names something: programs that drive TOV post it to TOV's window to
  // switch such a plug-in. A plug-in that declares commands of its own decides about offset 4
  // itself (Pushup keeps the switch, calling this first; PushupB and Shuffla do not).
  virtual bool initialize() { return setCommand(kFirstPluginOffset, &PluginBase::toggleUse); }
  // Optional: the plug-in's own menu items (menuOf), or null for none. The host adds its "Is
  // Use" and "Is Use TrayIcon" items either way.
  HMENU createMenu() override { return nullptr; }

 protected:
  using Handler = bool (PluginBase::*)(LPARAM param);
  // Declares the handler of one offset (0 to 999); false when the table cannot grow, which fails
  // the plug-in's initialize and so its load.
  bool setCommand(int commandOffset, Handler handler);
  template <class Plugin>
  requires std::derived_from<Plugin, PluginBase>
  bool setCommand(int commandOffset, bool (Plugin::*handler)(LPARAM param)) {
    return setCommand(commandOffset, static_cast<Handler>(handler));
  }
  bool toggleUse(LPARAM) {
    setUse(!isUse());
    return true;
  }

  // A popup menu of plain string items, identified by base + offset, checked where an item shows
  // a state that is on; null when the system refuses.
  struct MenuItem {
    int offset;
    const wchar_t* text;
    bool checked = false;
  };
  HMENU menuOf(std::initializer_list<MenuItem> items) const;

  const wchar_t* name;
  int id;
  IPluginHost* host;

 private:
  // Indexed by offset; grown by setCommand, in the host only.
  Handler* commands = nullptr;
  unsigned commandCount = 0;
};

// The base under the name it had when only some plug-ins declared commands (the command probe
// derives from it); it adds nothing.
class CommandPlugin : public PluginBase {
 public:
  using PluginBase::PluginBase;
};

// The in-use flag, in the shared section: what setUse writes, every copy of the hook reads at
// once.
template <class State, State& state>
requires SharedStateHead<State>
class SharedPlugin : public PluginBase {
 public:
  using PluginBase::PluginBase;
  bool setUse(bool use) override {
    state.inUse = use;
    return state.inUse;
  }
  bool isUse() override { return state.inUse; }
};

// One hook of `hookType` for every thread, with `procedure`, its handle in state.hHook.
template <class State, State& state, int hookType, HOOKPROC procedure>
requires HookStateHead<State>
class OneHookPlugin : public SharedPlugin<State, state> {
 public:
  using SharedPlugin<State, state>::SharedPlugin;
  bool start() override { return startHook(state.hHook, hookType, procedure); }
  bool stop() override { return stopHook(state.hHook); }
};

// Two hooks for every thread; the second handle is named by the plug-in (its field is called
// after the hook it holds).
template <class State, State& state, HHOOK State::*second, int firstType, HOOKPROC firstProcedure,
          int secondType, HOOKPROC secondProcedure>
requires HookStateHead<State>
class TwoHookPlugin : public SharedPlugin<State, state> {
 public:
  using SharedPlugin<State, state>::SharedPlugin;
  bool start() override {
    return startTwoHooks(state.hHook, firstType, firstProcedure, state.*second, secondType,
                         secondProcedure);
  }
  bool stop() override { return stopTwoHooks(state.hHook, state.*second); }
};

// ---- The export --------------------------------------------------------------------------------

// Allocation without exceptions: the export must never throw across the library boundary. The
// plug-in object is constructed from `args` and set up (getInterface); one that fails is released
// again, and the result is null.
template <class Plugin, class... Args>
IPlugin* createPlugin(Args... args) noexcept {
  markHostThread();
  Plugin* plugin = new (std::nothrow) Plugin(args...);
  if (plugin == nullptr) return nullptr;
  IPlugin* result = plugin->getInterface();
  if (result == nullptr) {
    plugin->release();
  } else {
    plugin->publishCommandBase();
  }
  return result;
}

}  // namespace tov

// Defines the library's export for a plug-in class constructed from (id, host). The export is
// named by the library's .def file (plugin.def, plugin_mingw_x86.def), so x86 carries no "@8"
// decoration.
#define TOV_PLUGIN_EXPORT(PluginClass)                                   \
  extern "C" IPlugin* WINAPI createInstance(IPluginHost* host, int id) { \
    return ::tov::createPlugin<PluginClass>(id, host);                   \
  }
