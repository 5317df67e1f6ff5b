// What the window plug-ins' Windows tests share: a plug-in library loaded and started the way the
// host does it, fixture programs with windows and their event logs, and finding a caption button
// on screen.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/session_values.h"
#include "harness.h"
#include "plugin_api.h"

namespace tov::test {

// A plug-in library loaded, created and started like the host does; stopped, released and
// unloaded at the end, so its hooks never outlive the test.
class LoadedPlugin {
 public:
  // `path` is a full path; `start` false leaves the hooks to the test.
  explicit LoadedPlugin(const std::wstring& path, bool start = true, int id = 0);
  ~LoadedPlugin();
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  bool ok() const { return plugin_ != nullptr && (!startWanted_ || started_); }
  IPlugin* operator->() const { return plugin_; }
  IPlugin* get() const { return plugin_; }
  HMODULE library() const { return library_; }
  // A further export of a test build of a library.
  template <class F>
  F exported(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
  }
  // The text of the plug-in's own menu items, with whether each is checked and its identifier.
  struct MenuItem {
    std::wstring text;
    UINT id;
    bool checked;
  };
  std::vector<MenuItem> menuItems() const;

 private:
  HMODULE library_ = nullptr;
  IPlugin* plugin_ = nullptr;
  bool startWanted_;
  bool started_ = false;
};

// The product library of that name (e.g. L"Transparent.dll").
std::wstring productLibrary(const wchar_t* file);

// A loaded library's shared section ".plugin": the same memory in every program that has the
// library loaded, which this program may write as any other may.
void* sharedSectionOf(HMODULE library);

// While it lives, TOV's session block (made here when no TOV runs) names `window` as TOV's and
// publishes `base` as `plugin`'s command base; afterwards it holds what it held before. The
// window must be of TOV's class: this program registers it for its own windows.
class SessionBlockOverride {
 public:
  SessionBlockOverride(HWND window, const wchar_t* plugin, int base);
  ~SessionBlockOverride();
  SessionBlockOverride(const SessionBlockOverride&) = delete;
  SessionBlockOverride& operator=(const SessionBlockOverride&) = delete;

 private:
  HANDLE mapping_;
  SessionValues* view_ = nullptr;
  std::vector<BYTE> saved_;
};
// A message-only window of TOV's class in this program; hostLikeCommands counts the WM_COMMAND
// messages it has been given (waiting with waitUntil dispatches them).
HWND createHostLikeWindow();
extern int hostLikeCommands;

// Posted to a fixture window (wParam = milliseconds): its program takes no message for that long,
// logging "<index> HANG <ms>" before and "<index> AWAKE" after.
inline constexpr UINT kFixtureHang = WM_APP + 4;
// Posted to a fixture window: it logs how its msvcrt.dll prints and reads 1.5 (window_fixture.cpp).
inline constexpr UINT kFixtureReportNumbers = WM_APP + 5;

// Chromal rules the Wine tests colour with: a desktop rule whose pattern names no folder, a
// rule for the users' folders, one for C:\Data (no final *: its subfolders are left out), and a
// fallback; each with colours of its own.
inline constexpr char kChromalTestRules[] =
    "the desktop:\r\n"
    "1 0000FF 1 00FF00 1 FFFF00 Q:\\desktop\r\n"
    "1 FF0000 2 000000 1 000080 c:\\users\\*\r\n"
    "0 000000 0 000000 1 008000 C:\\Data\r\n"
    "1 00FFFF 1 FF00FF 0 FFFFFF Q:\\fallback\r\n";

// A window_fixture process with its windows; ended (and its windows gone) at the end.
class Fixture {
 public:
  // `name` names the log; each layout is one window (see window_fixture.cpp). `linuxEnvironment`
  // ("NAME=value ..."; Wine takes the locale from there) starts it from the Linux side.
  Fixture(const std::wstring& name, const std::vector<std::wstring>& layouts, bool peek = false,
          const std::string& linuxEnvironment = "");

  // Whether every window was made and shown.
  bool ready() const { return ready_; }
  HWND window(std::size_t index) const;
  DWORD processId() const { return process_.id(); }
  const Process& process() const { return process_; }

  // The log so far, one entry per line.
  std::vector<std::string> lines() const;
  // Lines written since the last mark(), so a test looks only at what its own input caused.
  void mark();
  std::vector<std::string> linesSinceMark() const;
  bool sawSinceMark(const std::string& text) const;  // a line containing text
  bool waitForLine(const std::string& text, Duration timeout = kDefaultWait) const;
  // Lets the fixture process whatever is still queued for it (a message round trip to each of
  // its windows' threads), so that "nothing arrived" is a finding and not a race.
  void settle() const;

 private:
  std::wstring logPath_;
  Process process_;
  std::vector<HWND> windows_;
  std::size_t mark_ = 0;
  bool ready_ = false;
};

// A screen point of `window` where WM_NCHITTEST answers `code` (e.g. HTMAXBUTTON, HTCLOSE,
// HTCAPTION, HTCLIENT): the middle of that area on the caption row, or the client's centre.
std::optional<POINT> hitTestPoint(HWND window, int code);

// Real input through the X server at a screen point. Unlike the harness's helpers these do not
// wait for the pointer to arrive (xdotool's --sync waits forever when it is there already); the
// X server keeps the motion before the button event anyway.
void clickAt(POINT point, int button);  // 1 left, 2 middle, 3 right
void pressAt(POINT point, int button);
void releaseAt(POINT point, int button);
void wheelAt(POINT point, int notches);  // positive: forward
// Waits out the double-click time, so that the next press is a press of its own.
void waitPastDoubleClick();
// The code of a hit-test result as the fixture logs it (hexadecimal).
std::string hitCode(int code);

// The window's caption as other programs see it.
inline std::wstring caption(HWND window) { return windowText(window); }

// The shown items view of a fixture window made with "items", and a screen point in it.
HWND itemsViewOf(HWND window);
enum class ItemsSpot { kBackground, kGroup, kItem };
POINT itemsViewPoint(HWND view, ItemsSpot spot);

// Lines of a log that contain `text`.
std::size_t countLines(const std::vector<std::string>& lines, const std::string& text);

}  // namespace tov::test
