// A plug-in that exists only to exercise the frame from outside: a one-hook plug-in
// ("FrameProbe") and a two-hook one whose second hook the system refuses ("FrameProbeTwoHooks",
// selected by the library's file name), plus a few inspection exports for the tests.
#include <windows.h>

#include "plugin_frame.h"

namespace {

struct ProbeState {
  HHOOK hHook;
  HHOOK hSecondHook;
  bool inUse;
  LONG counter;    // written by one process, read by another
  LONG hookCalls;  // mouse events seen by the hook, in any process
};

TOV_SHARED ProbeState state = {nullptr, nullptr, true, 0, 0};

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0) ++state.hookCalls;
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

// Not a hook type: SetWindowsHookExW refuses it.
constexpr int kRefusedHookType = 99;

class FrameProbe final : public tov::OneHookPlugin<ProbeState, state, WH_MOUSE, mouseProcedure> {
 public:
  explicit FrameProbe(int id) : OneHookPlugin(L"FrameProbe", id) {}
};

class FrameProbeTwoHooks final
    : public tov::TwoHookPlugin<ProbeState, state, &ProbeState::hSecondHook, WH_MOUSE,
                                mouseProcedure, kRefusedHookType, mouseProcedure> {
 public:
  explicit FrameProbeTwoHooks(int id) : TwoHookPlugin(L"FrameProbeTwoHooks", id) {}
};

bool builtAsTwoHooks() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(tov::moduleInstance, path, MAX_PATH);
  return length > 0 && wcsstr(path, L"TwoHooks") != nullptr;
}

}  // namespace

extern "C" IPlugin* WINAPI createInstance(IPluginHost*, int id) {
  if (builtAsTwoHooks()) return tov::createPlugin<FrameProbeTwoHooks>(id);
  return tov::createPlugin<FrameProbe>(id);
}

// Inspection for the tests.
extern "C" __declspec(dllexport) HHOOK probeFirstHook() { return state.hHook; }
extern "C" __declspec(dllexport) HHOOK probeSecondHook() { return state.hSecondHook; }
extern "C" __declspec(dllexport) void probeSetCounter(LONG value) { state.counter = value; }
extern "C" __declspec(dllexport) LONG probeCounter() { return state.counter; }
extern "C" __declspec(dllexport) LONG probeHookCalls() { return state.hookCalls; }
extern "C" __declspec(dllexport) HINSTANCE probeModuleInstance() { return tov::moduleInstance; }
extern "C" __declspec(dllexport) BOOL probeIsNormal(HWND window) {
  return tov::isNormalTopLevelWindow(window);
}
