#include "plugin_frame.h"

#include <cstdlib>
#include <new>

#include "no_wait.h"
#include "session_block.h"
#include "window_worker.h"

namespace tov {

HINSTANCE moduleInstance = nullptr;

namespace {

// Per program, like moduleInstance: the host's thread (0 in a program the library is only hooked
// into), and whether this program keeps the library loaded for good.
DWORD hostThread = 0;
bool keptLoaded = false;

}  // namespace

void markHostThread() { hostThread = GetCurrentThreadId(); }

bool isHostThread() { return hostThread != 0 && hostThread == GetCurrentThreadId(); }

bool keepLoadedInThisProgram() {
  if (hostThread != 0) return false;
  if (!keptLoaded) {
    // A pin: no FreeLibrary, the system's own included, unloads the library from this program.
    HMODULE self = nullptr;
    keptLoaded =
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(moduleInstance), &self) != FALSE;
  }
  return keptLoaded;
}

namespace {

// The hooks this program's copy of the library installed, by their slot in the shared section.
// Only this record is acted on: the slot is written by whatever program maps the library. A value
// written there by another program would otherwise pass for a running hook (and nothing be
// installed), or be unhooked at stop in place of the real one, which might be another plug-in's
// hook of TOV's while the real one outlived its library. A host that ended without stopping its
// plug-ins (killed, or crashed) leaves its handles there too, while the system removed those hooks
// with its thread.
struct InstalledHook {
  const HHOOK* slot;
  HHOOK hook;
};
InstalledHook installedHooks[8] = {};

InstalledHook* recordOf(const HHOOK& slot) {
  for (InstalledHook& installed : installedHooks)
    if (installed.slot == &slot) return &installed;
  return nullptr;
}

// A hook that cannot be recorded could not be removed again: it is not kept.
HHOOK install(HHOOK& slot, int hookType, HOOKPROC procedure, DWORD threadId) {
  slot = nullptr;
  InstalledHook* record = recordOf(slot);
  for (InstalledHook& installed : installedHooks)
    if (record == nullptr && installed.slot == nullptr) record = &installed;
  if (record == nullptr) return nullptr;
  HHOOK hook = SetWindowsHookExW(hookType, procedure, moduleInstance, threadId);
  if (hook == nullptr) return nullptr;
  *record = {&slot, hook};
  slot = hook;
  return hook;
}

// Removes the hook this program installed into the slot; false when it installed none.
bool uninstall(HHOOK& slot) {
  InstalledHook* record = recordOf(slot);
  if (record == nullptr) return false;
  UnhookWindowsHookEx(record->hook);
  *record = {};
  slot = nullptr;
  return true;
}

}  // namespace

bool isHookInstalled(const HHOOK& slot) { return recordOf(slot) != nullptr; }

bool startHook(HHOOK& slot, int hookType, HOOKPROC procedure, DWORD threadId) {
  if (const InstalledHook* record = recordOf(slot)) {
    slot = record->hook;  // whatever another program wrote there meanwhile
    return true;
  }
  return install(slot, hookType, procedure, threadId) != nullptr;
}

bool startTwoHooks(HHOOK& first, int firstType, HOOKPROC firstProcedure, HHOOK& second,
                   int secondType, HOOKPROC secondProcedure) {
  if (const InstalledHook* record = recordOf(first)) {
    first = record->hook;
    if (const InstalledHook* secondRecord = recordOf(second)) second = secondRecord->hook;
    return true;
  }
  if (install(first, firstType, firstProcedure, 0) == nullptr) return false;
  if (install(second, secondType, secondProcedure, 0) == nullptr) {
    stopTwoHooks(first, second);
    return false;
  }
  return true;
}

bool stopHook(HHOOK& slot) { return uninstall(slot); }

bool stopTwoHooks(HHOOK& first, HHOOK& second) {
  if (!uninstall(first)) return false;
  uninstall(second);
  second = nullptr;
  return true;
}

bool isNormalTopLevelWindow(HWND window) {
  if (!IsWindowVisible(window)) return false;
  if (GetWindow(window, GW_OWNER) != nullptr) return false;
  if (GetWindowLongW(window, GWL_STYLE) & WS_DISABLED) return false;
  if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return false;
  return true;
}

BOOL CALLBACK clearLayeredStyle(HWND window, LPARAM) {
  if (isNormalTopLevelWindow(window)) {
    LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    if (exStyle & WS_EX_LAYERED) {
      if (setExStyleWithoutWaiting(window, exStyle & ~WS_EX_LAYERED, kHostAnswerTimeoutMs)) {
        RedrawWindow(window, nullptr, nullptr, kRedrawAll);
      } else {
        // A window that does not answer keeps the style but looks opaque all the same.
        SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
      }
    }
  }
  return TRUE;
}

PluginBase::~PluginBase() {
  std::free(commands);
  // Only the base this object published: a plug-in whose set-up failed published none, and
  // another of the same name (its library listed twice) may have published its own since.
  if (readSessionValue(name) == std::optional<std::int32_t>(commandBase(id)))
    withdrawSessionValue(name);
}

void PluginBase::publishCommandBase() const { publishSessionValue(name, commandBase(id)); }

bool PluginBase::setCommand(int commandOffset, Handler handler) {
  if (commandOffset < 0) return false;
  unsigned index = static_cast<unsigned>(commandOffset);
  if (index >= commandCount) {
    void* grown = std::realloc(commands, (index + 1) * sizeof(Handler));
    if (grown == nullptr) return false;
    commands = static_cast<Handler*>(grown);
    for (unsigned i = commandCount; i <= index; ++i) commands[i] = nullptr;
    commandCount = index + 1;
  }
  commands[index] = handler;
  return true;
}

// Anyone can post a command to the host's window: an offset, negative ones included, finds a
// handler only where initialize() put one.
bool PluginBase::onCommand(int commandOffset, LPARAM param) {
  unsigned index = static_cast<unsigned>(commandOffset);
  if (index >= commandCount || commands[index] == nullptr) return false;
  return (this->*commands[index])(param);
}

HMENU PluginBase::menuOf(std::initializer_list<MenuItem> items) const {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return nullptr;
  UINT base = static_cast<UINT>(commandBase(id));
  for (const MenuItem& item : items) {
    UINT flags = MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED);
    if (!AppendMenuW(menu, flags, base + static_cast<UINT>(item.offset), item.text)) {
      DestroyMenu(menu);
      return nullptr;
    }
  }
  return menu;
}

}  // namespace tov

// A plug-in library allocates only its plug-in object (and its command table). Its own allocation
// functions keep the runtime's exception machinery, and its size, out of a library that is
// mapped into every program on the desktop.
void* operator new(std::size_t size) { return std::malloc(size != 0 ? size : 1); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size != 0 ? size : 1);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

// The entry point only remembers this copy's instance handle. It changes nothing else in the
// program it is loaded into: the C runtime's locale, like everything else that belongs to the
// whole process, is the program's own (settings files are converted with explicit code pages,
// text_file.h).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
  if (tov::moduleInstance == nullptr) tov::moduleInstance = instance;
  return TRUE;
}
