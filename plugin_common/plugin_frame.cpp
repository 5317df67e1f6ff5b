#include "plugin_frame.h"

#include <clocale>
#include <cstdlib>

namespace tov {

HINSTANCE moduleInstance = nullptr;

bool startHook(HHOOK& slot, int hookType, HOOKPROC procedure, DWORD threadId) {
  if (slot != nullptr) return true;
  slot = SetWindowsHookExW(hookType, procedure, moduleInstance, threadId);
  return slot != nullptr;
}

bool startTwoHooks(HHOOK& first, int firstType, HOOKPROC firstProcedure, HHOOK& second,
                   int secondType, HOOKPROC secondProcedure) {
  if (first != nullptr) return true;
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
      SetWindowLongW(window, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
      RedrawWindow(window, nullptr, nullptr, kRedrawAll);
    }
  }
  return TRUE;
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

// The entry point only remembers this copy's instance handle and, once per process, adopts the
// user's locale for the runtime's text functions (settings files are in the ANSI code page).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
  if (tov::moduleInstance == nullptr) {
    std::setlocale(LC_ALL, "");
    tov::moduleInstance = instance;
  }
  return TRUE;
}
