// Pushdown: holding the middle button over a window for the double-click time maximises its root
// owner, or restores it when it is maximised; over the desktop or the taskbar it runs the command
// of "DesktopPushdownCommand.ini". A short click passes untouched; the release that ends a hold
// is swallowed.
//
// The hook runs inside whatever program gets the press, and leaves nothing behind there: it only
// reports the press to TOV (postToHost, through TOV's session block) and passes it on. TOV times
// the hold on its own thread and judges it from what it reads itself: the middle button's state,
// the window under the pointer, the window pressed on. So no timer of this library waits in
// another program, which could call into the library after the system has unloaded it there (or
// into another file put at its path by an upgrade), and no program has to keep the library
// loaded. The release is the pressed program's own: its hook swallows it when TOV has fired a hold
// since, as the mark TOV publishes in its session block says (core/hold.h), and tells TOV so.
//
// Nothing in the shared section, which every program mapping this library can write, is acted on
// as the press, the window, TOV's window or the command.
#include <no_wait.h>
#include <plugin_frame.h>
#include <scoped_win.h>
#include <session_block.h>
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

// Where the section kept the press being held, as the hook's timer once did in the pressed
// program: neither read nor written any more.
struct PressRecord {
  std::uintptr_t timerId;
  std::uint32_t timerThread;
  bool holdFired;
};

struct SharedState {
  HHOOK hHook;
  bool inUse;
  bool commandEnabled;  // "IsUse Desktop Pushdown"
  // Neither read nor written any more: TOV keeps the press it times in its own memory, where no
  // program can swap it between the press and the hold.
  HWND targetWindow;
  DWORD targetThread;
  PressRecord hold;
  // Neither read nor written any more: the hook reports to TOV through the session block, not to
  // a window and command that any program could write here.
  HWND hostWindow;
  UINT requestCommand;
};

TOV_SHARED constinit SharedState state = {nullptr, true, true, nullptr, 0, {}, nullptr, 0};

constexpr wchar_t kName[] = L"Pushdown";
// In TOV's session block: the mark of the fired hold whose release is still to be swallowed.
constexpr wchar_t kOwedRelease[] = L"Pushdown.release";

// The two menu items, and what no menu shows: the request of a hold over the desktop or the
// taskbar (lParam: the window held on), a press the hook reports (lParam: the window pressed on),
// and a release it swallowed (lParam: the hold's mark).
constexpr int kToggleCommand = tov::kFirstPluginOffset;
constexpr int kReloadCommand = tov::kFirstPluginOffset + 1;
constexpr int kDesktopHoldRequest = tov::kFirstPluginOffset + 2;
constexpr int kPressReport = tov::kFirstPluginOffset + 3;
constexpr int kReleaseReport = tov::kFirstPluginOffset + 4;

// ---- In TOV: the press being held, on the host's thread ---------------------------------------

HoldWatch watch = {};
tov::WindowIdentity heldWindow = {};  // the root owner of the window pressed on, as met then
UINT_PTR holdTimer = 0;

// Runs the desktop command for a hold that fired over the desktop or the taskbar (the plug-in
// object does, below).
void runHeldDesktopCommand(HWND target);

bool watching() { return state.inUse && tov::isHookInstalled(state.hHook); }

// Tells the other programs' hooks what release is owed, when that changed.
void publishOwed(std::uint32_t before) {
  if (watch.owed == before) return;
  if (watch.owed != 0) {
    tov::publishSessionValue(kOwedRelease, static_cast<std::int32_t>(watch.owed));
  } else {
    tov::withdrawSessionValue(kOwedRelease);
  }
}

void cancelHoldTimer() {
  if (holdTimer != 0) KillTimer(nullptr, holdTimer);
  holdTimer = 0;
}

void CALLBACK holdTimerProcedure(HWND, UINT, UINT_PTR timer, DWORD) {
  // Timers repeat until cancelled; this one is done whatever it finds.
  KillTimer(nullptr, timer);
  if (timer != holdTimer) return;
  holdTimer = 0;
  HWND target = heldWindow.window;
  HoldFacts facts{};
  // The press may be another program's: only the mouse itself tells whether it is still held.
  facts.buttonDown = tov::isKeyDown(VK_MBUTTON, false);
  facts.inUse = watching();
  if (facts.buttonDown && facts.inUse) {
    facts.targetGone = !tov::isSameWindow(heldWindow);
    facts.menuOpen = tov::shownPopupMenu() != nullptr;
    facts.onDesktop = !facts.menuOpen && tov::isDesktopOrTaskbar(target);
    facts.commandEnabled = state.commandEnabled;
    facts.zoomed = IsZoomed(target) != FALSE;
  }
  std::uint32_t owedBefore = watch.owed;
  HoldAction action = holdFired(watch, facts, holdMark(GetTickCount()));
  publishOwed(owedBefore);
  switch (action) {
    case HoldAction::kRunCommand:
      runHeldDesktopCommand(target);
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

// Whether a press reported on `window` is one TOV sees the user make: the window (by its root
// owner) is under the point where the pointer was, or holds its thread's capture, which takes the
// press wherever the pointer is; and TOV can act on it. Any program of the user may report a
// press, so this, not the report, names the window. A window gone already has nothing a hold
// could do to it; its release is still to be taken.
bool pressedThere(HWND window, HWND target, POINT point) {
  if (!IsWindow(window)) return true;
  if (target == nullptr || !tov::withinReach(target)) return false;
  if (GetAncestor(WindowFromPoint(point), GA_ROOTOWNER) == target) return true;
  HWND capture = tov::captureOf(window);
  return capture != nullptr && GetAncestor(capture, GA_ROOTOWNER) == target;
}

// A press reported at the tick `pressedAt`, with the pointer at `point` then: the hold is timed
// from there, on this thread.
void onPressReported(HWND window, DWORD pressedAt, POINT point) {
  cancelHoldTimer();
  std::uint32_t owedBefore = watch.owed;
  HWND target = GetAncestor(window, GA_ROOTOWNER);
  PressFacts facts{watching(), false, false};
  if (facts.watching) {
    facts.buttonDown = tov::isKeyDown(VK_MBUTTON, false);
    if (facts.buttonDown) facts.pressedThere = pressedThere(window, target, point);
  }
  if (pressReported(watch, facts)) {
    heldWindow = tov::identify(target);
    std::uint32_t left = holdTimeLeft(GetDoubleClickTime(), pressedAt, GetTickCount());
    holdTimer = SetTimer(nullptr, 0, left, holdTimerProcedure);
    if (holdTimer == 0) watch.pending = false;  // no hold: the press stays an ordinary click
  }
  publishOwed(owedBefore);
}

void onReleaseTaken(std::uint32_t mark) {
  std::uint32_t owedBefore = watch.owed;
  releaseTaken(watch, mark);
  publishOwed(owedBefore);
}

// Stopped, switched off or unloaded: nothing is timed and no release is owed any more.
void endHold() {
  cancelHoldTimer();
  std::uint32_t owedBefore = watch.owed;
  idle(watch);
  heldWindow = {};
  publishOwed(owedBefore);
}

// ---- The hook, in every program ----------------------------------------------------------------

// The mark of the last hold whose release this program swallowed (per program).
std::uint32_t lastTaken = 0;

// On the host's thread (TOV's own windows, and 32-bit programs, whose hook runs there) the hook
// is in TOV already and goes straight to the watch; elsewhere it posts to TOV.
void reportPress(const MOUSEHOOKSTRUCT& mouse) {
  if (tov::isHostThread()) {
    onPressReported(mouse.hwnd, GetTickCount(), mouse.pt);
  } else {
    tov::postToHost(kName, kPressReport, reinterpret_cast<LPARAM>(mouse.hwnd));
  }
}

std::uint32_t owedRelease() {
  if (tov::isHostThread()) return watch.owed;
  std::optional<std::int32_t> owed = tov::readSessionValue(kOwedRelease);
  return owed ? static_cast<std::uint32_t>(*owed) : 0;
}

// Whether the release is to be swallowed: only when a hold fired since this program's last one.
bool takeRelease() {
  if (!takesRelease(owedRelease(), lastTaken)) return false;
  if (tov::isHostThread()) {
    onReleaseTaken(lastTaken);
  } else {
    tov::postToHost(kName, kReleaseReport, static_cast<LPARAM>(lastTaken));
  }
  return true;
}

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  // A peeked message (HC_NOREMOVE) comes back once more when it is taken: act on it then, once.
  if (code == HC_ACTION && state.inUse) {
    switch (classifyMiddle(wParam)) {
      case MiddleMessage::kPress:
        reportPress(*reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam));
        break;
      case MiddleMessage::kRelease:
        if (takeRelease()) return 1;
        break;
      case MiddleMessage::kOther:
        break;
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

class Pushdown;
// The plug-in object, in TOV's process: the one that runs a fired hold's desktop command.
Pushdown* commandRunner = nullptr;

class Pushdown final : public tov::OneHookPlugin<SharedState, state, WH_MOUSE, mouseProcedure> {
 public:
  Pushdown(int pluginId, IPluginHost* pluginHost) : OneHookPlugin(kName, pluginId, pluginHost) {}

  ~Pushdown() override {
    endHold();
    if (commandRunner == this) commandRunner = nullptr;
  }

  bool initialize() override {
    if (!setCommand(kToggleCommand, &Pushdown::toggleCommandEnabled) ||
        !setCommand(kReloadCommand, &Pushdown::loadCommandFile) ||
        !setCommand(kDesktopHoldRequest, &Pushdown::runDesktopCommand) ||
        !setCommand(kPressReport, &Pushdown::pressReportedByHook) ||
        !setCommand(kReleaseReport, &Pushdown::releaseTakenByHook))
      return false;
    // The section outlives a TOV while any program maps the library: this TOV begins with the
    // desktop command on, whatever an earlier one left there.
    state.commandEnabled = true;
    loadCommandFile(0);
    commandRunner = this;
    return true;
  }

  // A hold under way ends with the hook that reported it, or with the in-use flag.
  bool stop() override {
    bool stopped = OneHookPlugin::stop();
    endHold();
    return stopped;
  }
  bool setUse(bool use) override {
    OneHookPlugin::setUse(use);
    if (!use) endHold();
    return state.inUse;
  }

  void runCommandFor(HWND target) { runDesktopCommand(reinterpret_cast<LPARAM>(target)); }

  HMENU createMenu() override {
    return menuOf({{kToggleCommand, L"IsUse Desktop Pushdown", state.commandEnabled},
                   {kReloadCommand, L"Reload Desktop Pushdown command"}});
  }

 private:
  // The hook's report of a press in its program: timed from when it was posted, with the pointer
  // where it was then.
  bool pressReportedByHook(LPARAM window) {
    DWORD position = GetMessagePos();
    POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    onPressReported(reinterpret_cast<HWND>(window), static_cast<DWORD>(GetMessageTime()), point);
    return true;
  }
  bool releaseTakenByHook(LPARAM mark) {
    onReleaseTaken(static_cast<std::uint32_t>(mark));
    return true;
  }

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

void runHeldDesktopCommand(HWND target) {
  if (commandRunner != nullptr) commandRunner->runCommandFor(target);
}

}  // namespace

TOV_PLUGIN_EXPORT(Pushdown)
