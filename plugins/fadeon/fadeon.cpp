// Fadeon: whenever a window is activated, the windows from it down the Z order fade, more at
// each window that the ones above it cover; "Is remain trans" keeps them faded when the plug-in
// is switched off or stopped.
//
// Activations are reported to the shell hook in whichever process the system picks; the passes
// of start and of switching on run in the host. All of them read the shared settings. A pass may
// wait on each window it changes, so in TOV's process, whose thread also serves hooks, every pass
// runs on the library's worker (window_worker.h).
#include <no_wait.h>
#include <plugin_frame.h>
#include <scoped_win.h>
#include <window_facts.h>
#include <window_worker.h>

#include "core/fade.h"

namespace {

using namespace tov::fadeon;

// The alphas stay in the section for the layout's sake and are no longer read: any program can
// write the section, and every pass would fade the windows as it said. They are constants
// (core/fade.h).
struct SharedState {
  HHOOK hShellHook;
  bool inUse;
  BYTE startAlpha;  // not read
  BYTE alphaStep;   // not read
  BYTE minAlpha;    // not read
  bool remainTrans;
};

TOV_SHARED constinit SharedState state = {
    nullptr, true, kInitialStartAlpha, kInitialAlphaStep, kInitialMinAlpha, false};

bool isRegion(int result) { return result == SIMPLEREGION || result == COMPLEXREGION; }

// The outline of a window in screen coordinates: its window region if it has one (moved from
// window to screen coordinates), else its rectangle.
void windowShape(HWND window, HRGN shape) {
  RECT rect;
  bool haveRect = GetWindowRect(window, &rect) != FALSE;
  if (isRegion(GetWindowRgn(window, shape))) {
    if (haveRect) OffsetRgn(shape, rect.left, rect.top);
  } else if (haveRect) {
    SetRectRgn(shape, rect.left, rect.top, rect.right, rect.bottom);
  } else {
    SetRectRgn(shape, 0, 0, 0, 0);
  }
}

// Runs in the shell hook of whatever program, or in the host, for other programs' windows: one
// that does not answer in time is not made layered (no_wait.h) and keeps its look this pass.
void setAlpha(HWND window, BYTE alpha, UINT answerTimeoutMs) {
  LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  if (!tov::setExStyleWithoutWaiting(window, exStyle | WS_EX_LAYERED, answerTimeoutMs)) return;
  SetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA);
  RedrawWindow(window, nullptr, nullptr, tov::kRedrawAll);
}

// Fades the normal top-level windows from `first` down the Z order. Three regions per pass,
// whatever the number of windows.
void fadeWindowStack(HWND first, UINT answerTimeoutMs) {
  tov::ScopedRegion covered(CreateRectRgn(0, 0, 0, 0));
  tov::ScopedRegion scratch(CreateRectRgn(0, 0, 0, 0));
  tov::ScopedRegion shape(CreateRectRgn(0, 0, 0, 0));
  // A pass without its regions changes nothing rather than fading everything alike.
  if (!covered || !scratch || !shape) return;
  FadeSequence sequence(kInitialStartAlpha, kInitialAlphaStep, kInitialMinAlpha);
  for (HWND window = first; window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
    bool normal = tov::isNormalTopLevelWindow(window);
    if (!takesPartInPass(normal, normal && tov::isCloaked(window))) continue;
    windowShape(window, shape.get());
    bool isCovered = isRegion(CombineRgn(scratch.get(), covered.get(), shape.get(), RGN_AND));
    CombineRgn(scratch.get(), covered.get(), shape.get(), RGN_OR);
    CombineRgn(covered.get(), scratch.get(), nullptr, RGN_COPY);
    setAlpha(window, sequence.next(isCovered), answerTimeoutMs);
  }
}

// Per process: in TOV's, where the passes run.
constinit tov::WindowWorker worker;

void fadeFromJob(LPARAM first) {
  fadeWindowStack(reinterpret_cast<HWND>(first), tov::kHostAnswerTimeoutMs);
}

LRESULT CALLBACK shellProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (state.inUse && code == HSHELL_WINDOWACTIVATED) {
    // On TOV's thread that serves hooks (an activation in a program of the other bitness), the
    // pass is only asked for; the latest activation's replaces one not yet begun.
    if (!tov::onHookServingThread() || !worker.request(fadeFromJob, static_cast<LPARAM>(wParam)))
      fadeWindowStack(reinterpret_cast<HWND>(wParam), tov::kHookAnswerTimeoutMs);
  }
  // The notification is never consumed.
  return CallNextHookEx(state.hShellHook, code, wParam, lParam);
}

void fadeFromTop() {
  worker.run([](LPARAM) { fadeWindowStack(GetTopWindow(nullptr), tov::kHostAnswerTimeoutMs); }, 0);
}

void makeAllOpaque() {
  worker.run([](LPARAM) { EnumWindows(tov::clearLayeredStyle, 0); }, 0);
}

constexpr int kRemainTrans = tov::kFirstPluginOffset;

class Fadeon final : public tov::SharedPlugin<SharedState, state> {
 public:
  Fadeon(int pluginId, IPluginHost* pluginHost) : SharedPlugin(L"Fadeon", pluginId, pluginHost) {}
  ~Fadeon() override { worker.end(); }

  bool initialize() override { return setCommand(kRemainTrans, &Fadeon::toggleRemainTrans); }

  HMENU createMenu() override {
    return menuOf({{kRemainTrans, L"Is remain trans", state.remainTrans}});
  }

  bool setUse(bool use) override {
    state.inUse = use;
    if (use) {
      fadeFromTop();
    } else if (!state.remainTrans) {
      makeAllOpaque();
    }
    return use;
  }

  // The first pass runs whether or not the plug-in is in use, and also when already started.
  bool start() override {
    if (!tov::startHook(state.hShellHook, WH_SHELL, shellProcedure)) return false;
    fadeFromTop();
    return true;
  }

  // The windows are made opaque even when no hook was installed.
  bool stop() override {
    if (!state.remainTrans) makeAllOpaque();
    return tov::stopHook(state.hShellHook);
  }

 private:
  bool toggleRemainTrans(LPARAM) {
    state.remainTrans = !state.remainTrans;
    return true;
  }
};

}  // namespace

TOV_PLUGIN_EXPORT(Fadeon)
