// The yardstick of the benchmark: hook procedures that do nothing but hand the event on, in a
// library of their own, with their handles in a shared section as a plug-in keeps them. Whatever a
// plug-in's hook costs beyond this is the plug-in's own doing. The low-level mouse hook runs on a
// thread of its own that only takes messages, as Transparent's does: every event then crosses to
// that thread, which is part of what such a hook costs wherever it runs.
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

HANDLE lowLevelThread = nullptr;
DWORD lowLevelThreadId = 0;

DWORD WINAPI runLowLevelHook(void* ready) {
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // a queue before anyone posts to it
  state.hooks[WH_MOUSE_LL] = SetWindowsHookExW(WH_MOUSE_LL, passOn<WH_MOUSE_LL>, instance, 0);
  SetEvent(static_cast<HANDLE>(ready));
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
  }
  return 0;
}

bool startLowLevelThread() {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (ready == nullptr) return false;
  lowLevelThread = CreateThread(nullptr, 0, runLowLevelHook, ready, 0, &lowLevelThreadId);
  if (lowLevelThread != nullptr) WaitForSingleObject(ready, INFINITE);
  CloseHandle(ready);
  return state.hooks[WH_MOUSE_LL] != nullptr;
}

void stopLowLevelThread() {
  if (lowLevelThread == nullptr) return;
  PostThreadMessageW(lowLevelThreadId, WM_QUIT, 0, 0);
  WaitForSingleObject(lowLevelThread, INFINITE);
  CloseHandle(lowLevelThread);
  lowLevelThread = nullptr;
}

}  // namespace

extern "C" {

// Installs a pass-through hook of this type for every thread; false when refused or unknown.
__declspec(dllexport) BOOL passThroughStart(int type) {
  HOOKPROC procedure = procedureFor(type);
  if (procedure == nullptr || type < 0 || type >= kHookTypes) return FALSE;
  if (state.hooks[type] != nullptr) return TRUE;
  if (type == WH_MOUSE_LL) return startLowLevelThread();
  state.hooks[type] = SetWindowsHookExW(type, procedure, instance, 0);
  return state.hooks[type] != nullptr;
}

// Removes every pass-through hook.
__declspec(dllexport) void passThroughStop() {
  stopLowLevelThread();  // the thread's hook goes with it
  state.hooks[WH_MOUSE_LL] = nullptr;
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
