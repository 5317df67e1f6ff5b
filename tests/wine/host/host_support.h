// What the host's Windows tests share: TOV.exe started in a folder of its own with the recorder
// plug-in under the names a test gives it, the commands it is sent (the host's own and the
// plug-ins', named as the code names them), the recorder's log, the host's message boxes and
// popup menus, its tray icons as the notification area holds them, and its list window read from
// outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/combinations.h"
#include "harness.h"
#include "recorder_commands.h"

namespace tov::test {

// Private messages of the host, as other programs send them.
inline constexpr UINT kTrayIconMessage = WM_APP + 5;
inline constexpr UINT kShowTrayIconMessage = WM_APP + 6;
inline constexpr UINT kHideTrayIconMessage = WM_APP + 7;

// A message box of the host with the warning icon, or without.
inline constexpr bool kWarning = true;
inline constexpr bool kPlain = false;

class HostRun {
 public:
  // A fresh folder named after the running test, with TOV.exe copied into it, so that plug-in
  // paths without a folder load from there, and a TOV.ini that records the first start: no
  // notification covers the notification area's icons.
  HostRun();
  // The TOV.exe already in `folder` (an unpacked or installed product), started there.
  explicit HostRun(std::wstring folder);
  ~HostRun();
  HostRun(const HostRun&) = delete;
  HostRun& operator=(const HostRun&) = delete;

  const std::wstring& folder() const { return folder_; }
  std::wstring file(const std::wstring& name) const { return joinPath(folder_, name); }
  // Copies a test plug-in library (default: the recorder) into the folder as <name>.dll.
  void addPlugin(const std::wstring& name, const std::wstring& library = L"Recorder.dll") const;
  void writeHookOrder(const std::string& bytes) const;
  std::string hookOrder() const;

  // `program`: the host's copy to start, relative to the folder, which stays the working folder.
  void start(const std::wstring& arguments = L"", const std::wstring& program = L"TOV.exe");
  // Writes HookOrder.ini, starts the host and waits until it is ready: waitUntilReady's answer.
  HWND startWith(const std::string& hookOrder, const std::wstring& arguments = L"");
  // Starts TOV.exe from the Linux side with `environment` ("NAME=value ..."): Wine takes a
  // program's locale from the Linux environment it starts in, which a Windows parent cannot set.
  void startWithLinuxEnvironment(const std::string& environment);
  // Waits until the host has finished its start-up (its list window exists) and answers.
  HWND waitUntilReady();
  HWND mainWindow() const { return main_; }
  HWND listWindow() const;
  DWORD processId() const;
  // Whether the host ended within the time.
  bool waitForExit(Duration timeout = kDefaultWait);

  // The next message box of the host: waits for it, reads it and presses its button.
  struct Box {
    std::wstring caption;
    std::wstring text;
    bool hasIcon = false;
  };
  std::optional<Box> nextMessageBox(Duration timeout = kDefaultWait);
  // Whether the host shows no message box within a short while.
  bool noMessageBox();
  // Expects exactly these message boxes (text, kWarning or kPlain), in this order, each with the
  // caption "TOV".
  void expectMessageBoxes(const std::vector<std::pair<std::wstring, bool>>& expected);

  // The host's popup menu once it shows; null when none does within the time.
  HWND popupMenu(Duration timeout = kDefaultWait) const;
  // Closes `menu`, or else the next popup menu the host shows, with Escape as the keyboard does,
  // and waits until it has gone: whether there was one and it went.
  bool escapeMenu(HWND menu = nullptr) const;

  LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void command(int identifier, LPARAM lParam = 0) const;
  // The command that the plug-in at `position` in the host's list receives as `offset`.
  void pluginCommand(int position, int offset, LPARAM lParam = 0) const {
    command(commandId(position, offset), lParam);
  }
  // "&Quit" and the end of the process.
  bool quit();

  // Has the recorder, first in the list as "Plug", register the fake collection of shell windows
  // in the host's apartment: whether it did.
  bool registerFakeShellWindows();

  // The recorder's log: every line, or those of one plug-in without its name.
  std::vector<std::string> log() const;
  std::vector<std::string> logOf(const std::string& plugin) const;
  // Forgets what was logged so far (logSince… then sees only what follows).
  void markLog();
  std::vector<std::string> logOfSinceMark(const std::string& plugin) const;

 private:
  bool running() const;

  std::wstring folder_;
  Process process_;
  HANDLE started_ = nullptr;  // a host started from the Linux side
  DWORD startedId_ = 0;
  HWND main_ = nullptr;
  std::size_t mark_ = 0;
};

// Lines of `lines` without those that only query the plug-in (getName, isUse, getId,
// getCommandBase): what the host did to it.
std::vector<std::string> actions(const std::vector<std::string>& lines);

// A 16×16 icon file of one colour.
std::string solidIcon(BYTE red, BYTE green, BYTE blue);
// The middle of the part of the screen that shows exactly this colour, if any does.
std::optional<POINT> findOnScreen(BYTE red, BYTE green, BYTE blue);
// The smallest rectangle around every pixel of exactly this colour, if any shows it.
std::optional<RECT> boundsOnScreen(BYTE red, BYTE green, BYTE blue);

// Whether the notification area holds the icon of this owner and identifier: a modify that
// changes nothing succeeds only for an icon that is there.
bool trayIconPresent(HWND owner, UINT identifier);
// How many icons the notification area shows, counted on the screen: Wine draws them side by
// side from the right end of its taskbar, each a run of columns apart from the bar's own colour.
// 0 while the bar is hidden (it has no icons), -1 when the screen could not be read.
int trayIconsOnScreen();
// Whether the notification area shows a notification: Wine draws one as a visible tooltip window
// of the balloon style, about two seconds after an icon's data asked for it.
bool notificationShown();
// Takes an icon out of the notification area, as a re-created taskbar would have lost it.
bool removeTrayIcon(HWND owner, UINT identifier);

// The list view of another process, read through memory of that process.
int listRowCount(HWND list);
std::wstring listCell(HWND list, int row, int column);
std::vector<std::wstring> listColumnHeaders(HWND list);
// The client point in the middle of a row's first column.
POINT listRowPoint(HWND list, int row);

}  // namespace tov::test
