#include "harness.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace tov::test {

namespace {

std::wstring environment(const wchar_t* name) {
  wchar_t buffer[32768];
  DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
  if (length == 0 || length >= 32768) return L"";
  return std::wstring(buffer, length);
}

// Wine maps the Linux root to drive Z:.
std::wstring windowsPathOf(const std::wstring& path) {
  if (path.empty() || path[0] != L'/') return path;
  std::wstring result = L"Z:" + path;
  for (wchar_t& c : result) {
    if (c == L'/') c = L'\\';
  }
  return result;
}

std::wstring requiredFolder(const wchar_t* variable) {
  std::wstring value = environment(variable);
  if (value.empty()) {
    std::fprintf(stderr, "harness: %ls is not set; run tests through ctest\n", variable);
    return L".";
  }
  return windowsPathOf(value);
}

}  // namespace

std::wstring productDir() { return requiredFolder(L"TOV_BIN_DIR"); }
std::wstring testBinDir() { return requiredFolder(L"TOV_TEST_BIN_DIR"); }

std::wstring workDir() {
  wchar_t buffer[MAX_PATH];
  DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
  return std::wstring(buffer, length);
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  wchar_t last = folder.back();
  return (last == L'\\' || last == L'/') ? folder + name : folder + L"\\" + name;
}

std::wstring freshFolder(const std::wstring& name) {
  std::wstring path = joinPath(workDir(), name);
  std::string command = "rm -rf '" + unixPath(path) + "' && mkdir -p '" + unixPath(path) + "'";
  runUnix(command);
  return path;
}

std::string readFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool fileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool copyFile(const std::wstring& from, const std::wstring& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::string narrow(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                      nullptr, nullptr);
  return result;
}

std::wstring widen(const std::string& utf8) {
  int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring result(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), result.data(), size);
  return result;
}

void pumpMessages(Duration duration) {
  auto end = std::chrono::steady_clock::now() + duration;
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (std::chrono::steady_clock::now() >= end) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (std::chrono::steady_clock::now() < end);
}

bool waitUntil(const std::function<bool()>& condition, Duration timeout) {
  auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    pumpMessages(10ms);
  }
}

// ---- Processes ---------------------------------------------------------------------------

namespace {

// One attempt; the process, or the error.
DWORD createProcess(const std::wstring& program, const std::wstring& arguments,
                    const std::wstring& directory, PROCESS_INFORMATION& info) {
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     directory.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    return ERROR_SUCCESS;
  }
  return GetLastError();
}

// Whether the session starts a program of Wine's own that does nothing and ends.
bool sessionStartsPrograms() {
  wchar_t system[MAX_PATH];
  UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  PROCESS_INFORMATION info{};
  if (createProcess(joinPath(system, L"cmd.exe"), L"/c exit 0", workDir(), info) != ERROR_SUCCESS)
    return false;
  bool ended = WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  return ended && code == 0;
}

}  // namespace

Process Process::start(const std::wstring& program, const std::wstring& arguments,
                       const std::wstring& folder) {
  Process process;
  std::wstring directory = folder.empty() ? workDir() : folder;
  PROCESS_INFORMATION info{};
  DWORD error = createProcess(program, arguments, directory, info);
  if (error == ERROR_INTERNAL_ERROR) {
    // Wine's answer when the new process was gone before its loader had finished, without an
    // exit code of its own: its Unix process was lost (killed, or the loader could not map it)
    // before any code of the program ran, so nothing the program does can have caused it. Say so,
    // wait until the session starts programs again, and try once more; a second failure stands.
    std::fprintf(stderr,
                 "harness: %s ended before it had started (error %lu); waiting for the session "
                 "to start programs again\n",
                 narrow(program).c_str(), error);
    bool ready = waitUntil(sessionStartsPrograms, 60s);
    std::fprintf(stderr, "harness: the session %s; starting %s once more\n",
                 ready ? "starts programs" : "still starts no program", narrow(program).c_str());
    error = createProcess(program, arguments, directory, info);
  }
  if (error != ERROR_SUCCESS) {
    std::fprintf(stderr, "harness: cannot start %s (error %lu)\n", narrow(program).c_str(), error);
    return process;
  }
  process.handle_ = info.hProcess;
  process.id_ = info.dwProcessId;
  return process;
}

Process Process::adopt(DWORD processId) {
  Process process;
  process.handle_ =
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, processId);
  if (process.handle_ != nullptr) process.id_ = processId;
  return process;
}

Process::Process(Process&& other) noexcept : handle_(other.handle_), id_(other.id_) {
  other.handle_ = nullptr;
  other.id_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    terminate();
    handle_ = other.handle_;
    id_ = other.id_;
    other.handle_ = nullptr;
    other.id_ = 0;
  }
  return *this;
}

Process::~Process() { terminate(); }

bool Process::running() const {
  return handle_ != nullptr && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::waitForExit(Duration timeout) const {
  if (handle_ == nullptr) return std::nullopt;
  auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(handle_, &code);
      return code;
    }
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    pumpMessages(10ms);
  }
}

namespace {

BOOL CALLBACK closeWindowOf(HWND window, LPARAM processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(processId)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// Wine keeps a killed process's global hooks installed; the session restarts its server after a
// test that left this mark, so the next test starts without them.
void markForcedEnd() {
  std::wstring work = environment(L"TOV_WORK_DIR");
  if (work.empty()) return;
  writeFile(joinPath(windowsPathOf(work), L".forced-end"), "1");
}

}  // namespace

void Process::terminate() {
  if (handle_ == nullptr) return;
  if (WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
    // As a user closes a program, so that it unhooks; forced only when it does not end.
    EnumWindows(closeWindowOf, static_cast<LPARAM>(id_));
    if (!waitForExit(3s)) {
      TerminateProcess(handle_, 99);
      WaitForSingleObject(handle_, 5000);
      markForcedEnd();
    }
  }
  CloseHandle(handle_);
  handle_ = nullptr;
  id_ = 0;
}

// ---- Windows -----------------------------------------------------------------------------

std::wstring className(HWND window) {
  wchar_t buffer[256];
  int length = GetClassNameW(window, buffer, 256);
  return std::wstring(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::wstring windowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
    return L"";
  }
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::optional<WindowInfo> describe(HWND window) {
  if (!IsWindow(window)) return std::nullopt;
  WindowInfo info;
  info.window = window;
  info.className = className(window);
  info.title = windowText(window);
  info.style = GetWindowLongW(window, GWL_STYLE);
  info.exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  info.owner = GetWindow(window, GW_OWNER);
  GetWindowThreadProcessId(window, &info.processId);
  GetWindowRect(window, &info.rect);
  info.visible = IsWindowVisible(window) != FALSE;
  return info;
}

namespace {
BOOL CALLBACK collect(HWND window, LPARAM list) {
  if (auto info = describe(window))
    reinterpret_cast<std::vector<WindowInfo>*>(list)->push_back(*info);
  return TRUE;
}
}  // namespace

std::vector<WindowInfo> topLevelWindows() {
  std::vector<WindowInfo> windows;
  EnumWindows(collect, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<WindowInfo> childWindows(HWND parent) {
  std::vector<WindowInfo> windows;
  EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND waitForWindow(const std::function<bool(const WindowInfo&)>& match, Duration timeout) {
  HWND found = nullptr;
  waitUntil(
      [&] {
        for (const WindowInfo& info : topLevelWindows()) {
          if (match(info)) {
            found = info.window;
            return true;
          }
        }
        return false;
      },
      timeout);
  return found;
}

HWND waitForWindowOfClass(const std::wstring& windowClass, DWORD processId, Duration timeout) {
  return waitForWindow(
      [&](const WindowInfo& info) {
        return info.className == windowClass && (processId == 0 || info.processId == processId);
      },
      timeout);
}

std::optional<BYTE> layeredAlpha(HWND window) {
  if (!(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED)) return std::nullopt;
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  if (!GetLayeredWindowAttributes(window, &key, &alpha, &flags)) return std::nullopt;
  if (!(flags & LWA_ALPHA)) return BYTE{255};
  return alpha;
}

// ---- Message boxes -----------------------------------------------------------------------

std::optional<MessageBoxInfo> waitForMessageBox(DWORD processId, Duration timeout) {
  std::optional<MessageBoxInfo> result;
  waitUntil(
      [&] {
        for (const WindowInfo& info : topLevelWindows()) {
          if (info.className != L"#32770" || !info.visible) continue;
          if (processId != 0 && info.processId != processId) continue;
          // The message text is the static control with the identifier 0xFFFF.
          HWND text = GetDlgItem(info.window, 0xFFFF);
          if (text == nullptr) continue;
          result = MessageBoxInfo{info.window, info.title, windowText(text)};
          return true;
        }
        return false;
      },
      timeout);
  return result;
}

bool dismissMessageBox(HWND box) {
  for (const WindowInfo& child : childWindows(box)) {
    if (child.className != L"Button" || !child.visible) continue;
    int id = GetDlgCtrlID(child.window);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(child.window));
    return waitUntil([&] { return !IsWindow(box); });
  }
  return false;
}

// ---- The X server ------------------------------------------------------------------------

std::string unixPath(const std::wstring& windowsPath) {
  std::wstring path = windowsPath;
  if (path.size() >= 2 && (path[0] == L'Z' || path[0] == L'z') && path[1] == L':') {
    path = path.substr(2);
  }
  for (wchar_t& c : path) {
    if (c == L'\\') c = L'/';
  }
  return narrow(path);
}

int runUnix(const std::string& shellCommand, Duration timeout) {
  // Wine starts Linux programs natively, but their process handles cannot be waited on: the
  // command writes its status into a file that is polled instead.
  static unsigned counter = 0;
  char marker[MAX_PATH];
  std::snprintf(marker, sizeof marker, "/tmp/tov-harness-%lu-%u", GetCurrentProcessId(), ++counter);
  std::string script =
      shellCommand + "; echo $? > " + marker + ".tmp && mv " + marker + ".tmp " + marker;
  std::string escaped;
  for (char c : script) {
    if (c == '"' || c == '\\') escaped += '\\';
    escaped += c;
  }
  std::wstring commandLine = L"/bin/sh -c \"" + widen(escaped) + L"\"";
  // Windows process ids repeat between runs: a marker left by an earlier run must not pass for
  // this command's.
  DeleteFileW(windowsPathOf(widen(marker)).c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return -1;
  }
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  std::wstring markerPath = windowsPathOf(widen(marker));
  int status = -1;
  waitUntil(
      [&] {
        if (!fileExists(markerPath)) return false;
        std::string text = readFile(markerPath);
        status = std::atoi(text.c_str());
        return true;
      },
      timeout);
  DeleteFileW(markerPath.c_str());
  return status;
}

int xdotool(const std::string& arguments) { return runUnix("xdotool " + arguments); }

namespace {
// Moves the pointer and waits until the X server has it there. "mousemove --sync" alone waits
// (about 15 s) for a motion that never comes when the pointer is already at the target.
std::string pointerTo(int x, int y) {
  std::string at = std::to_string(x) + " " + std::to_string(y);
  return "eval $(xdotool getmouselocation --shell); [ \"$X $Y\" = \"" + at +
         "\" ] || xdotool mousemove --sync " + at;
}
}  // namespace

void moveMouse(int x, int y) { runUnix(pointerTo(x, y)); }

void click(int x, int y, int button) {
  runUnix(pointerTo(x, y) + "; xdotool click " + std::to_string(button));
}

void pressButton(int x, int y, int button) {
  runUnix(pointerTo(x, y) + "; xdotool mousedown " + std::to_string(button));
}

void releaseButton(int button) { xdotool("mouseup " + std::to_string(button)); }

void wheel(int x, int y, int notches) {
  int button = notches >= 0 ? 4 : 5;
  int count = notches >= 0 ? notches : -notches;
  if (count == 0) return;
  runUnix(pointerTo(x, y) + "; xdotool click --repeat " + std::to_string(count) + " --delay 30 " +
          std::to_string(button));
}

void key(const std::string& keys) { xdotool("key --clearmodifiers " + keys); }

bool screenshot(const std::wstring& path) {
  return runUnix("import -window root '" + unixPath(path) + "'", 30s) == 0;
}

}  // namespace tov::test
