// Pushdown: holding the middle button over a window for the double-click time maximises its root
// owner, or restores it when it is maximised; over the desktop or the taskbar it runs the command
// of "DesktopPushdownCommand.ini". A short click passes untouched; the release that ends a hold
// is swallowed.
//
// The hook and the hold timer run inside whatever program gets the press. The command, though,
// stays in the host: the timer only posts a request to TOV's window, found through TOV's session
// block (postToHost), and the host checks the window, runs the command and shows any failure
// itself. Nothing in the shared section, which every program mapping this library can write, is
// ever run or posted to as TOV.
//
// Still read from the section: the press being held (targetWindow, targetThread, hold), which a
// program that writes the section can swap between the press and its timer, so that the hold
// maximises or restores another window of a program within reach. The hold's timing moves into
// TOV, where the press it acts on is its own, in a change of its own.
#include <no_wait.h>
#include <plugin_frame.h>
#include <scoped_win.h>
#include <system_library.h>
#include <text_file.h>
#include <window_classes.h>
#include <window_facts.h>

#include <cwchar>
#include <iterator>

#include "core/command_file.h"
#include "core/hold.h"

namespace {

using namespace tov::pushdown;

struct SharedState {
  HHOOK hHook;
  bool inUse;
  bool commandEnabled;  // "IsUse Desktop Pushdown"
  HWND targetWindow;    // root owner of the window under the last press
  DWORD targetThread;   // its thread then: the timer acts only on the window it still names
  HoldRecord hold;
  // Neither read nor written any more: the timer posts its request to TOV through the session
  // block, not to a window and command that any program could write here.
  HWND hostWindow;
  UINT requestCommand;
};

TOV_SHARED constinit SharedState state = {nullptr, true, true, nullptr, 0, {}, nullptr, 0};

constexpr wchar_t kName[] = L"Pushdown";

// The two menu items, and the request of a hold over the desktop or the taskbar (lParam: the
// window held on), which is no menu item: only the hold timer posts it.
constexpr int kToggleCommand = tov::kFirstPluginOffset;
constexpr int kReloadCommand = tov::kFirstPluginOffset + 1;
constexpr int kDesktopHoldRequest = tov::kFirstPluginOffset + 2;

// The hold timer this program's host thread has pending, if any. It is not always the shared
// record's (a press in another program replaces that), and the plug-in object must kill it
// before the host frees the library.
UINT_PTR hostThreadTimer = 0;

void CALLBACK holdTimerProcedure(HWND, UINT, UINT_PTR timer, DWORD) {
  // Timers repeat until cancelled; this one is done whatever it finds.
  KillTimer(nullptr, timer);
  if (timer == hostThreadTimer) hostThreadTimer = 0;
  if (!timerDue(state.hold, timer, GetCurrentThreadId())) return;
  HWND target = state.targetWindow;
  HoldFacts facts{};
  // For a 32-bit program's press the hook and this timer ran on the host's thread, whose own input
  // never saw the button: only the mouse itself tells whether it is still held.
  facts.buttonDown = tov::isKeyDown(VK_MBUTTON, state.targetThread == GetCurrentThreadId());
  facts.inUse = state.inUse;
  if (facts.buttonDown && facts.inUse) {
    facts.targetGone = !tov::isSameWindow({target, state.targetThread});
    facts.menuOpen = tov::shownPopupMenu() != nullptr;
    facts.onDesktop = !facts.menuOpen && tov::isDesktopOrTaskbar(target);
    facts.commandEnabled = state.commandEnabled;
    facts.zoomed = IsZoomed(target) != FALSE;
  }
  switch (holdFired(state.hold, facts)) {
    case HoldAction::kRunCommand:
      tov::postToHost(kName, kDesktopHoldRequest, reinterpret_cast<LPARAM>(target));
      break;
    case HoldAction::kMaximize:
      PostMessageW(target, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
      break;
    case HoldAction::kRestore:
      PostMessageW(target, WM_SYSCOMMAND, SC_RESTORE, 0);
      break;
    case HoldAction::kNothing:
      break;
  }
}

// The hold timer for a press on this thread; 0 for none (the press is then an ordinary click).
//
// Its procedure is called on this thread when the timer comes due, or later still: WM_TIMER comes
// only when the thread takes messages, so a busy program may call it long after. Only this thread
// can kill the timer, while the system unloads the library from this program whenever it chooses
// once the hook is gone (TOV quits, Pushdown is stopped or unloaded), from no thread in
// particular. So in any program but the host's, the library keeps itself loaded there before its
// first timer. On the host's thread the plug-in object kills the timer instead, before the host
// frees the library; another thread of the host's program gets no timer.
UINT_PTR setHoldTimer() {
  bool onHostThread = tov::isHostThread();
  if (!onHostThread && !tov::keepLoadedInThisProgram()) return 0;
  if (onHostThread && hostThreadTimer != 0) KillTimer(nullptr, hostThreadTimer);
  UINT_PTR timer = SetTimer(nullptr, 0, GetDoubleClickTime(), holdTimerProcedure);
  if (onHostThread) hostThreadTimer = timer;
  return timer;
}

void onPress(HWND window) {
  DWORD thread = GetCurrentThreadId();
  state.targetWindow = GetAncestor(window, GA_ROOTOWNER);
  state.targetThread = GetWindowThreadProcessId(state.targetWindow, nullptr);
  if (std::uintptr_t previous = pressStarted(state.hold, thread)) KillTimer(nullptr, previous);
  timerStarted(state.hold, setHoldTimer(), thread);
}

// Whether the release is to be swallowed: only when a hold fired for the press it ends.
bool onRelease() {
  ReleaseDecision decision = pressEnded(state.hold, GetCurrentThreadId());
  if (decision.cancelTimer != 0) KillTimer(nullptr, decision.cancelTimer);
  if (decision.cancelTimer == hostThreadTimer) hostThreadTimer = 0;
  return decision.swallow;
}

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  // A peeked message (HC_NOREMOVE) comes back once more when it is taken: act on it then, once.
  if (code == HC_ACTION && state.inUse) {
    switch (classifyMiddle(wParam)) {
      case MiddleMessage::kPress: {
        // A press for a program out of this one's reach (a 32-bit program's, whose hook runs on
        // the host's thread, at a higher integrity level) is not tracked: its hold could do
        // nothing, and its release, once swallowed, would leave that program's button down.
        HWND window = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->hwnd;
        if (tov::withinReach(window)) onPress(window);
        break;
      }
      case MiddleMessage::kRelease:
        if (onRelease()) return 1;
        break;
      case MiddleMessage::kOther:
        break;
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

class Pushdown final : public tov::OneHookPlugin<SharedState, state, WH_MOUSE, mouseProcedure> {
 public:
  Pushdown(int pluginId, IPluginHost* pluginHost) : OneHookPlugin(kName, pluginId, pluginHost) {}

  ~Pushdown() override {
    std::uintptr_t pending = pressStarted(state.hold, GetCurrentThreadId());
    if (pending != 0) KillTimer(nullptr, pending);
    if (hostThreadTimer != 0) KillTimer(nullptr, hostThreadTimer);
    hostThreadTimer = 0;
  }

  bool initialize() override {
    if (!setCommand(kToggleCommand, &Pushdown::toggleCommandEnabled) ||
        !setCommand(kReloadCommand, &Pushdown::loadCommandFile) ||
        !setCommand(kDesktopHoldRequest, &Pushdown::runDesktopCommand))
      return false;
    loadCommandFile(0);
    return true;
  }

  HMENU createMenu() override {
    return menuOf({{kToggleCommand, L"IsUse Desktop Pushdown", state.commandEnabled},
                   {kReloadCommand, L"Reload Desktop Pushdown command"}});
  }

 private:
  bool toggleCommandEnabled(LPARAM) {
    state.commandEnabled = !state.commandEnabled;
    return true;
  }

  // The command is read on the host's thread, from the host's current folder; false when the
  // file cannot be read, and the command is then the default.
  bool loadCommandFile(LPARAM) {
    setCommandText(kDefaultCommand);
    usingDefault_ = true;
    std::optional<std::string> content = tov::readWholeFile(kCommandFileName);
    if (!content) return false;
    usingDefault_ = content->empty();
    unsigned codePage = tov::localeCodePage();
    setCommandText(commandOfFile(*content, [codePage](std::string_view bytes) {
                     return tov::decodeText(bytes, codePage);
                   }).c_str());
    return true;
  }

  void setCommandText(const wchar_t* text) {
    std::wcsncpy(command_, text, kCommandCapacity - 1);
    command_[kCommandCapacity - 1] = L'\0';
  }

  // Any program can post this request, so it runs the command only for a window that is still
  // the desktop or the taskbar, of a program at TOV's integrity level or above (a sandboxed
  // program's window of a desktop class is neither), and only while the user has it on.
  bool runDesktopCommand(LPARAM param) {
    HWND target = reinterpret_cast<HWND>(param);
    if (!state.inUse || !state.commandEnabled || !IsWindow(target) ||
        !tov::isDesktopOrTaskbar(target) || !tov::atOurLevelOrAbove(target))
      return false;
    if (!shell_) shell_.reset(tov::loadSystemLibrary(L"shell32.dll"));
    ShellExecuteFunction shellExecute = nullptr;
    if (shell_) {
      shellExecute = reinterpret_cast<ShellExecuteFunction>(
          reinterpret_cast<void*>(GetProcAddress(shell_.get(), "ShellExecuteW")));
    }
    INT_PTR result = 0;
    if (shellExecute != nullptr) {
      result = reinterpret_cast<INT_PTR>(
          shellExecute(nullptr, nullptr, commandToRun(), nullptr, nullptr, SW_SHOW));
    }
    if (result <= 32) MessageBoxW(nullptr, L"Failed to execute command", command_, MB_ICONERROR);
    return true;
  }

  // The default, "explorer.exe", is the one in the Windows folder: a bare name would be looked for
  // on the search path, TOV's own folder (a downloads folder, often) first. The system's Windows
  // folder, not a user's own under Remote Desktop Services. A command of the file is run as the
  // user wrote it.
  const wchar_t* commandToRun() {
    if (!usingDefault_) return command_;
    UINT length = GetSystemWindowsDirectoryW(defaultPath_, kCommandCapacity);
    if (length == 0 || length + 1 + std::size(kDefaultCommand) > kCommandCapacity) return command_;
    defaultPath_[length] = L'\\';
    std::wcscpy(defaultPath_ + length + 1, kDefaultCommand);
    return defaultPath_;
  }

  // The shell is loaded only here, in the host, and only once a command is run: the other
  // programs this library is mapped into never need it.
  tov::ScopedModule shell_;
  wchar_t command_[kCommandCapacity] = {};
  bool usingDefault_ = true;  // no command file, or an empty one: command_ is the default
  wchar_t defaultPath_[kCommandCapacity] = {};
};

}  // namespace

TOV_PLUGIN_EXPORT(Pushdown)
