// Minimize: the middle button minimises the clicked window's root owner; on the desktop or the
// taskbar it minimises the front normal window, one per click; while a popup menu is open or a
// window holds the capture, that window gets Escape instead. No program sees middle presses or
// releases while the plug-in is in use, unless the user checked "Title bars only": then only the
// clicks on title bars, the desktop and the taskbar are Minimize's.
#include <plugin_frame.h>
#include <session_block.h>
#include <window_classes.h>
#include <window_facts.h>

#include "core/middle_click.h"

namespace {

using namespace tov::minimize;

struct SharedState {
  HHOOK hHook;
  bool inUse;
};

TOV_SHARED constinit SharedState state = {nullptr, true};

// Minimising is always asked of the window itself, as its own minimise button would, and never
// waited for.
void postMinimize(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0); }

BOOL CALLBACK minimizeFirstCandidate(HWND window, LPARAM) {
  FrontFacts facts{tov::isNormalTopLevelWindow(window),
                   static_cast<std::uint32_t>(GetWindowLongW(window, GWL_STYLE)), false, false};
  // The shell and the token are asked only about the few windows that pass the cheap tests.
  if (isFrontCandidate(facts.normalTopLevel, facts.style)) {
    facts.cloaked = tov::isCloaked(window);
    facts.actionable = !facts.cloaked && tov::canActOn(window);
  }
  if (!isFrontChoice(facts)) return TRUE;
  postMinimize(window);
  return FALSE;
}

// EnumWindows lists the top-level windows from the front.
void minimizeFrontWindow() { EnumWindows(minimizeFirstCandidate, 0); }

void onMiddleRelease(HWND clicked) {
  HWND menu = tov::shownPopupMenu();
  HWND capture = menu == nullptr ? tov::captureOf(clicked) : nullptr;
  HWND root = GetAncestor(clicked, GA_ROOTOWNER);
  ReleaseFacts facts{menu != nullptr, capture != nullptr, false, false};
  if (!facts.menuOpen && !facts.captured) {
    facts.rootIsDesktopOrTaskbar = tov::isDesktopOrTaskbar(root);
    facts.rootVisible = IsWindowVisible(root) != FALSE;
  }
  switch (releaseAction(facts)) {
    case ReleaseAction::kEscapeToMenu:
      PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
      break;
    case ReleaseAction::kEscapeToCapture:
      PostMessageW(capture, WM_KEYDOWN, VK_ESCAPE, 0);
      break;
    case ReleaseAction::kMinimizeFront:
      minimizeFrontWindow();
      break;
    case ReleaseAction::kMinimizeRoot:
      postMinimize(root);
      break;
    case ReleaseAction::kNothing:
      break;
  }
}

// A click for another thread's window, when the hook runs for a 32-bit program on the host's
// thread, whose program this one cannot act on: what the click asks would be dropped, so the
// program gets the click itself instead of losing it for nothing.
bool outOfReach(HWND window) { return window != nullptr && !tov::withinReach(window); }

// Whether the press or release is Minimize's (core/middle_click.h): the user's choice is read
// from TOV's session block, the desktop's and taskbar's classes only when it matters.
bool takes(const MOUSEHOOKSTRUCT& mouse) {
  bool titleBarsOnly = tov::readSessionValue(kTitleBarsOnlyValue).value_or(0) != 0;
  bool onDesktopOrTaskbar = titleBarsOnly && !isOnTitleBar(mouse.wHitTestCode) &&
                            tov::isDesktopOrTaskbar(GetAncestor(mouse.hwnd, GA_ROOTOWNER));
  return takesMiddleClick(titleBarsOnly, mouse.wHitTestCode, onDesktopOrTaskbar);
}

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && state.inUse) {
    const auto& mouse = *reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
    HWND window = mouse.hwnd;
    switch (classifyMiddle(wParam)) {
      case MiddleMessage::kPress:
        if (outOfReach(window) || !takes(mouse)) break;
        return 1;
      case MiddleMessage::kRelease:
        if (outOfReach(window) || !takes(mouse)) break;
        onMiddleRelease(window);
        return 1;
      case MiddleMessage::kOther:
        break;
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

// Minimize's own item; offset 4 still switches the plug-in on and off.
constexpr int kTitleBarsOnlyItem = tov::kFirstPluginOffset + 1;
constexpr wchar_t kTitleBarsOnlySetting[] = L"titleBarsOnly";

class Minimize final : public tov::OneHookPlugin<SharedState, state, WH_MOUSE, mouseProcedure> {
 public:
  Minimize(int pluginId, IPluginHost* pluginHost)
      : OneHookPlugin(L"Minimize", pluginId, pluginHost) {}
  ~Minimize() override { tov::withdrawSessionValue(kTitleBarsOnlyValue); }

  bool initialize() override {
    titleBarsOnly_ = storedChoice(kTitleBarsOnlySetting, 0) != 0;
    tov::publishSessionValue(kTitleBarsOnlyValue, titleBarsOnly_ ? 1 : 0);
    return OneHookPlugin::initialize() &&
           setCommand(kTitleBarsOnlyItem, &Minimize::toggleTitleBarsOnly);
  }

  HMENU createMenu() override {
    return menuOf({{kTitleBarsOnlyItem, L"Title bars only", titleBarsOnly_}});
  }

 private:
  bool toggleTitleBarsOnly(LPARAM) {
    titleBarsOnly_ = !titleBarsOnly_;
    keepChoice(kTitleBarsOnlySetting, kTitleBarsOnlyValue, titleBarsOnly_ ? 1 : 0);
    return true;
  }

  bool titleBarsOnly_ = false;
};

}  // namespace

TOV_PLUGIN_EXPORT(Minimize)
