#include "plugin_frame.h"

#include <cstdlib>
#include <new>

#include "no_wait.h"
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
// The slot alone cannot tell: a host that ended without stopping its plug-ins (killed, or
// crashed) leaves its handles there, while the system removed those hooks with its thread. As
// long as some program keeps the library loaded (a pinned one does until it ends), the section
// outlives that host, and the next host's start must install anew rather than take a dead handle
// for a running hook.
struct InstalledHook {
  const HHOOK* slot;
  HHOOK hook;
};
InstalledHook installedHooks[8] = {};

bool installedHere(const HHOOK& slot) {
  for (const InstalledHook& installed : installedHooks)
    if (installed.slot == &slot && installed.hook == slot) return true;
  return false;
}

HHOOK install(HHOOK& slot, int hookType, HOOKPROC procedure, DWORD threadId) {
  slot = SetWindowsHookExW(hookType, procedure, moduleInstance, threadId);
  if (slot == nullptr) return nullptr;
  for (InstalledHook& installed : installedHooks) {
    if (installed.slot == nullptr || installed.slot == &slot) {
      installed = {&slot, slot};
      break;
    }
  }
  return slot;
}

void uninstall(HHOOK& slot) {
  UnhookWindowsHookEx(slot);
  for (InstalledHook& installed : installedHooks)
    if (installed.slot == &slot) installed = {};
  slot = nullptr;
}

}  // namespace

bool startHook(HHOOK& slot, int hookType, HOOKPROC procedure, DWORD threadId) {
  if (slot != nullptr && installedHere(slot)) return true;
  return install(slot, hookType, procedure, threadId) != nullptr;
}

bool startTwoHooks(HHOOK& first, int firstType, HOOKPROC firstProcedure, HHOOK& second,
                   int secondType, HOOKPROC secondProcedure) {
  if (first != nullptr && installedHere(first)) return true;
  second = nullptr;
  if (install(first, firstType, firstProcedure, 0) == nullptr) return false;
  if (install(second, secondType, secondProcedure, 0) == nullptr) {
    stopTwoHooks(first, second);
    return false;
  }
  return true;
}

bool stopHook(HHOOK& slot) {
  if (slot == nullptr) return false;
  uninstall(slot);
  return true;
}

bool stopTwoHooks(HHOOK& first, HHOOK& second) {
  if (first == nullptr) return false;
  uninstall(first);
  if (second != nullptr) uninstall(second);
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

PluginBase::~PluginBase() { std::free(commands); }

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
