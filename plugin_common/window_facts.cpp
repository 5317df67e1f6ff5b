#include "window_facts.h"

#include <atomic>

#include "no_wait.h"
#include "system_library.h"

namespace tov {

namespace {

// DWMWA_CLOAKED: a DWORD, non-zero while the window is cloaked (Windows 8 and later).
constexpr DWORD kCloakedAttribute = 14;
using GetWindowAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);

// dwmapi.dll is no library Windows always takes from the system folder, so it is not imported:
// it is found in this process (where nearly every program has it already), else loaded from the
// system folder once and kept, as a program that had loaded it itself would.
GetWindowAttributeFunction windowAttributeFunction() {
  static std::atomic<GetWindowAttributeFunction> cached{nullptr};
  static std::atomic<bool> looked{false};
  if (looked.load(std::memory_order_acquire)) return cached.load(std::memory_order_relaxed);
  HMODULE dwm = GetModuleHandleW(L"dwmapi.dll");
  if (dwm == nullptr) dwm = loadSystemLibrary(L"dwmapi.dll");
  GetWindowAttributeFunction function = nullptr;
  if (dwm != nullptr) {
    function = reinterpret_cast<GetWindowAttributeFunction>(
        reinterpret_cast<void*>(GetProcAddress(dwm, "DwmGetWindowAttribute")));
  }
  cached.store(function, std::memory_order_relaxed);
  looked.store(true, std::memory_order_release);
  return function;
}

}  // namespace

bool isCloaked(HWND window) {
  GetWindowAttributeFunction getAttribute = windowAttributeFunction();
  if (getAttribute == nullptr) return false;
  DWORD cloaked = 0;
  return SUCCEEDED(getAttribute(window, kCloakedAttribute, &cloaked, sizeof cloaked)) &&
         cloaked != 0;
}

HWND keystrokeWindow() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(0, &info)) return nullptr;
  return info.hwndFocus != nullptr ? info.hwndFocus : info.hwndActive;
}

bool isKeyDown(int virtualKey, bool ownInput) {
  return (ownInput ? GetKeyState(virtualKey) : GetAsyncKeyState(virtualKey)) < 0;
}

HWND captureOf(HWND window) {
  if (window == nullptr || isOwnThreadWindow(window)) return GetCapture();
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (thread == 0 || !GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndCapture;
}

}  // namespace tov
