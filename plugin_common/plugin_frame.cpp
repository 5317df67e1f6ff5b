#include "plugin_frame.h"

#include <cstdlib>
#include <new>

#include "no_wait.h"
#include "window_worker.h"

namespace tov {

HINSTANCE moduleInstance = nullptr;

bool startHook(HHOOK& slot, int hookType, HOOKPROC procedure, DWORD threadId) {
  if (slot != nullptr) return true;
  markHookServingThread();
  slot = SetWindowsHookExW(hookType, procedure, moduleInstance, threadId);
  return slot != nullptr;
}

bool startTwoHooks(HHOOK& first, int firstType, HOOKPROC firstProcedure, HHOOK& second,
                   int secondType, HOOKPROC secondProcedure) {
  if (first != nullptr) return true;
  markHookServingThread();
  first = SetWindowsHookExW(firstType, firstProcedure, moduleInstance, 0);
  if (first == nullptr) return false;
  second = SetWindowsHookExW(secondType, secondProcedure, moduleInstance, 0);
  if (second == nullptr) {
    stopTwoHooks(first, second);
    return false;
  }
  return true;
}

bool stopHook(HHOOK& slot) {
  if (slot == nullptr) return false;
  UnhookWindowsHookEx(slot);
  slot = nullptr;
  return true;
}

bool stopTwoHooks(HHOOK& first, HHOOK& second) {
  if (first == nullptr) return false;
  UnhookWindowsHookEx(first);
  first = nullptr;
  if (second != nullptr) {
    UnhookWindowsHookEx(second);
    second = nullptr;
  }
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

HMENU createOneItemMenu(UINT identifier, const wchar_t* text, bool checked) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return nullptr;
  if (!AppendMenuW(menu, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), identifier, text)) {
    DestroyMenu(menu);
    return nullptr;
  }
  return menu;
}

bool PluginBase::onCommand(int commandOffset, LPARAM) {
  if (commandOffset != kFirstPluginOffset) return false;
  setUse(!isUse());
  return true;
}

CommandPlugin::~CommandPlugin() { std::free(commands); }

bool CommandPlugin::setCommand(int commandOffset, Handler handler) {
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

bool CommandPlugin::onCommand(int commandOffset, LPARAM param) {
  unsigned index = static_cast<unsigned>(commandOffset);
  if (index >= commandCount || commands[index] == nullptr) return false;
  return (this->*commands[index])(param);
}

}  // namespace tov

// A plug-in library allocates only its plug-in object (and a command table). Its own allocation
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
