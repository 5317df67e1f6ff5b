// The yardstick of the benchmark: hook procedures that do nothing but hand the event on, in a
// library of their own, with their handles in a shared section as a plug-in keeps them. Whatever a
// plug-in's hook costs beyond this is the plug-in's own doing.
#include <windows.h>

#include "compiler.h"

namespace {

constexpr int kHookTypes = WH_MAXHOOK + 1;

struct SharedState {
  HHOOK hooks[kHookTypes];
};

TOV_SHARED constinit SharedState state = {{}};

template <int type>
LRESULT CALLBACK passOn(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(state.hooks[type], code, wParam, lParam);
}

HOOKPROC procedureFor(int type) {
  switch (type) {
    case WH_KEYBOARD:
      return passOn<WH_KEYBOARD>;
    case WH_MOUSE:
      return passOn<WH_MOUSE>;
    case WH_MOUSE_LL:
      return passOn<WH_MOUSE_LL>;
    case WH_SHELL:
      return passOn<WH_SHELL>;
    case WH_GETMESSAGE:
      return passOn<WH_GETMESSAGE>;
    case WH_CALLWNDPROC:
      return passOn<WH_CALLWNDPROC>;
    default:
      return nullptr;
  }
}

HINSTANCE instance = nullptr;

}  // namespace

extern "C" {

// Installs a pass-through hook of this type for every thread; false when refused or unknown.
__declspec(dllexport) BOOL passThroughStart(int type) {
  HOOKPROC procedure = procedureFor(type);
  if (procedure == nullptr || type < 0 || type >= kHookTypes) return FALSE;
  if (state.hooks[type] != nullptr) return TRUE;
  state.hooks[type] = SetWindowsHookExW(type, procedure, instance, 0);
  return state.hooks[type] != nullptr;
}

// Removes every pass-through hook.
__declspec(dllexport) void passThroughStop() {
  for (HHOOK& hook : state.hooks) {
    if (hook != nullptr) {
      UnhookWindowsHookEx(hook);
      hook = nullptr;
    }
  }
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) instance = module;
  return TRUE;
}

}  // extern "C"
