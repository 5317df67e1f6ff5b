// What a Windows test under Wine can see and do, as a user would: start programs, find their
// windows, read message boxes, send real input through the session's X server, take screenshots.
//
// Every test program runs through `tests/wine/session run`, which gives it a fresh working folder
// as its current directory and ends whatever it leaves running. Programs started here are ended by
// their Process object too, so no hook outlives the test that installed it.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tov::test {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;
inline constexpr Duration kDefaultWait = 10s;

// ---- Folders (Windows paths) -------------------------------------------------------------
std::wstring productDir();  // TOV.exe and the plug-ins
std::wstring testBinDir();  // test programs, fixtures and test plug-ins
std::wstring workDir();     // this test's own folder, also the current directory
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);
// A fresh empty sub-folder of the working folder.
std::wstring freshFolder(const std::wstring& name);

std::string readFile(const std::wstring& path);  // bytes; empty when missing
bool writeFile(const std::wstring& path, const std::string& bytes);
bool fileExists(const std::wstring& path);
bool copyFile(const std::wstring& from, const std::wstring& to);
std::string narrow(const std::wstring& text);  // UTF-8, for messages
std::wstring widen(const std::string& utf8);

// ---- Waiting -----------------------------------------------------------------------------
// Polls `condition` (pumping this thread's messages) until it holds or `timeout` passes.
bool waitUntil(const std::function<bool()>& condition, Duration timeout = kDefaultWait);
// Processes this thread's pending messages for a while (for windows the test itself owns).
void pumpMessages(Duration duration);

// ---- Processes ---------------------------------------------------------------------------
class Process {
 public:
  Process() = default;
  // Starts `program` with `arguments` in `folder` (default: the working folder).
  static Process start(const std::wstring& program, const std::wstring& arguments = L"",
                       const std::wstring& folder = L"");
  // A program started otherwise (from the Linux side), from now on ended like the others.
  static Process adopt(DWORD processId);
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();  // terminates the program if it still runs

  bool started() const { return handle_ != nullptr; }
  DWORD id() const { return id_; }
  bool running() const;
  // Waits for the end; the exit code, or nothing when it did not end in time.
  std::optional<DWORD> waitForExit(Duration timeout = kDefaultWait) const;
  void terminate();

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// ---- Windows -----------------------------------------------------------------------------
struct WindowInfo {
  HWND window = nullptr;
  std::wstring className;
  std::wstring title;
  LONG style = 0;
  LONG exStyle = 0;
  HWND owner = nullptr;
  DWORD processId = 0;
  RECT rect{};
  bool visible = false;
};

std::optional<WindowInfo> describe(HWND window);
std::vector<WindowInfo> topLevelWindows();
std::vector<WindowInfo> childWindows(HWND parent);
std::wstring windowText(HWND window);  // WM_GETTEXT, marshalled across processes
std::wstring className(HWND window);
// The first top-level window matching `match`, waiting for it to appear.
HWND waitForWindow(const std::function<bool(const WindowInfo&)>& match,
                   Duration timeout = kDefaultWait);
// The first top-level window of a class (and, when given, of a process).
HWND waitForWindowOfClass(const std::wstring& windowClass, DWORD processId = 0,
                          Duration timeout = kDefaultWait);
// Alpha of a layered window, or nothing when it is not layered.
std::optional<BYTE> layeredAlpha(HWND window);

// ---- Message boxes -----------------------------------------------------------------------
struct MessageBoxInfo {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
};
// The next message box (dialog class "#32770" with a text) of a process.
std::optional<MessageBoxInfo> waitForMessageBox(DWORD processId, Duration timeout = kDefaultWait);
// Presses the message box's first button, as a user clicking OK would.
bool dismissMessageBox(HWND box);

// ---- The X server of the session: real input and screenshots -------------------------------
// Runs a program of the Linux side (e.g. "xdotool", "import") with arguments passed through the
// shell, waits for it, and returns its exit status (or -1 when it did not finish in time).
int runUnix(const std::string& shellCommand, Duration timeout = kDefaultWait);
int xdotool(const std::string& arguments);
void moveMouse(int x, int y);
void click(int x, int y, int button = 1);    // 1 left, 2 middle, 3 right
void pressButton(int x, int y, int button);  // down only
void releaseButton(int button);
void wheel(int x, int y, int notches);  // positive: forward (button 4)
void key(const std::string& keys);      // xdotool key syntax, e.g. "ctrl+k"
// A PNG of the whole screen as the user sees it.
bool screenshot(const std::wstring& path);
// The Unix form of a Windows path on drive Z:.
std::string unixPath(const std::wstring& windowsPath);

}  // namespace tov::test
