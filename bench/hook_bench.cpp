// What each window plug-in's hooks cost every program, per event, under the events they let
// pass: the time per event with no hook, with a pass-through hook library of the same hook types
// (bench/pass_through.cpp), and with the plug-in started. The ratio
//   (plug-in - none) / (pass-through - none)
// says how much a plug-in's hook costs beyond the least any hook costs; the target is 1.10.
//
//   tov_bench <plug-in folder> [rounds] [events per measurement]
//
// Everything runs in this one process and thread: the events go to a window of its own under the
// cursor (mouse) or with the focus (keyboard), or are application commands that its window
// leaves to the shell hooks (shell). The three set-ups take turns within each round so that drift
// hits them alike. Other programs on the machine only ever add time, so each figure is the best of
// many short rounds.
//
// Shuffla is measured apart from the hooks: what it adds is a replacement window procedure on the
// taskbar's button control, so its rows send the messages it passes on (mouse moves without a
// press, paints) to a tab control of this program's own taskbar, with no subclass (none), with a
// subclass that only passes every message on (pass), and with Shuffla attached (plug-in). Its
// ratio is plug-in / none: what the taskbar pays for the library, against the target 1.10.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_input.h"

#include "plugin_api.h"
#include "plugins/chromal/core/wildcard.h"
#include "session_block.h"

namespace {

enum class Events {
  kMouse,
  kViewPresses,
  kOtherKeys,
  kTableKeys,
  kShell,
  kSentHere,
  kSentAcross,
  kTaskbarMoves,
  kTaskbarPaints
};

bool onTaskbar(Events events) {
  return events == Events::kTaskbarMoves || events == Events::kTaskbarPaints;
}

const char* eventsName(Events events) {
  switch (events) {
    case Events::kMouse:
      return "mouse";
    case Events::kViewPresses:
      return "view presses";
    case Events::kOtherKeys:
      return "other keys";
    case Events::kTableKeys:
      return "table keys";
    case Events::kShell:
      return "shell";
    case Events::kSentHere:
      return "sent here";
    case Events::kSentAcross:
      return "sent across";
    case Events::kTaskbarMoves:
      return "tab moves";
    case Events::kTaskbarPaints:
      return "tab paints";
  }
  return "?";
}

struct Subject {
  const wchar_t* library;
  const char* name;
  std::vector<int> hookTypes;  // the plug-in's own, for the pass-through library to copy
  const char* hooks;
  Events events;
};

const Subject kSubjects[] = {
    {L"Transparent.dll",
     "Transparent",
     {WH_MOUSE, WH_MOUSE_LL},
     "WH_MOUSE+WH_MOUSE_LL",
     Events::kMouse},
    {L"Topmost.dll", "Topmost", {WH_MOUSE}, "WH_MOUSE", Events::kMouse},
    {L"Minimize.dll", "Minimize", {WH_MOUSE}, "WH_MOUSE", Events::kMouse},
    // Left presses and releases: Pushdown looks only at the middle button.
    {L"Pushdown.dll", "Pushdown", {WH_MOUSE}, "WH_MOUSE", Events::kMouse},
    {L"Arrowin.dll", "Arrowin", {WH_KEYBOARD}, "WH_KEYBOARD", Events::kOtherKeys},
    {L"Arrowin.dll", "Arrowin", {WH_KEYBOARD}, "WH_KEYBOARD", Events::kTableKeys},
    {L"Fadeon.dll", "Fadeon", {WH_SHELL}, "WH_SHELL", Events::kShell},
    {L"Chromal.dll", "Chromal", {WH_CALLWNDPROC}, "WH_CALLWNDPROC", Events::kSentHere},
    {L"Chromal.dll", "Chromal", {WH_CALLWNDPROC}, "WH_CALLWNDPROC", Events::kSentAcross},
    {L"Shuffla.dll", "Shuffla", {}, "subclass", Events::kTaskbarMoves},
    {L"Shuffla.dll", "Shuffla", {}, "subclass", Events::kTaskbarPaints},
    // The folder-window fit: corner double clicks only, and (Colfit) the host's request to fit a
    // new window, both on the threads of folder windows (the bench's hidden one puts them here).
    {L"Colfit.dll", "Colfit", {WH_MOUSE, WH_GETMESSAGE}, "WH_MOUSE+WH_GETMESSAGE", Events::kMouse},
    {L"ColfitXP.dll",
     "ColfitXP",
     {WH_MOUSE, WH_GETMESSAGE},
     "WH_MOUSE+WH_GETMESSAGE",
     Events::kMouse},
    {L"Widex.dll", "Widex", {WH_MOUSE}, "WH_MOUSE", Events::kMouse},
    {L"WidexXP.dll", "WidexXP", {WH_MOUSE}, "WH_MOUSE", Events::kMouse},
    {L"Pushup.dll", "Pushup", {WH_MOUSE}, "WH_MOUSE", Events::kMouse},
    {L"PushupB.dll", "PushupB", {WH_MOUSE}, "WH_MOUSE", Events::kMouse},
    // Presses on a window shaped like the shell's items view, in a window that is no folder
    // window: every press has its classes read, and none is paired.
    {L"Pushup.dll", "Pushup", {WH_MOUSE}, "WH_MOUSE", Events::kViewPresses},
    {L"PushupB.dll", "PushupB", {WH_MOUSE}, "WH_MOUSE", Events::kViewPresses},
    {L"Crevo.dll", "Crevo", {WH_KEYBOARD}, "WH_KEYBOARD", Events::kOtherKeys},
};

// ---- The bench window and its events -------------------------------------------------------

HWND benchWindow = nullptr;

LRESULT CALLBACK benchProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return countInput(message) ? 0 : DefWindowProcW(window, message, wParam, lParam);
}

// ---- The taskbar of this program's own, for Shuffla ---------------------------------------

HWND benchTabs = nullptr;
WNDPROC tabsProcedure = nullptr;

// Topmost, so that FindWindowW finds it before Wine's own taskbar; low on the screen, away from
// the bench window and the cursor.
bool makeTaskbar() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"Shell_TrayWnd";
  if (!RegisterClassW(&windowClass)) return false;
  HWND taskbar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", nullptr,
                                 WS_POPUP | WS_VISIBLE, 0, 960, 1280, 40, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  benchTabs = CreateWindowExW(0, WC_TABCONTROLW, nullptr, WS_CHILD | WS_VISIBLE | TCS_BUTTONS, 0, 4,
                              1280, 32, taskbar, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (benchTabs == nullptr) return false;
  for (int i = 0; i < 6; ++i) {
    wchar_t text[] = L"window";
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = text;
    item.lParam = reinterpret_cast<LPARAM>(taskbar);
    SendMessageW(benchTabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  return true;
}

LRESULT CALLBACK passThroughSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(tabsProcedure, window, message, wParam, lParam);
}

bool subclassPassThrough() {
  tabsProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(benchTabs, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(passThroughSubclass)));
  return tabsProcedure != nullptr;
}

void unsubclassPassThrough() {
  SetWindowLongPtrW(benchTabs, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(tabsProcedure));
}

// Shuffla's hook subclasses the control when this thread takes its posted request.
bool waitUntilSubclassed() {
  UINT question = RegisterWindowMessageW(L"Shuffla::UM_SUBCLASS_TASKBAR");
  DWORD start = GetTickCount();
  while (SendMessageW(benchTabs, question, 0, 0) != 223) {
    if (GetTickCount() - start > 2000) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

bool makeWindows() {
  if (!makeTaskbar()) return false;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = benchProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"TovBench";
  if (!RegisterClassW(&windowClass)) return false;
  benchWindow = CreateWindowExW(WS_EX_TOPMOST, L"TovBench", L"TOV hook bench",
                                WS_POPUP | WS_VISIBLE | WS_BORDER, 200, 200, 400, 300, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (benchWindow == nullptr) return false;
  // The left half holds the items view's shape: "DirectUIHWND" in "SHELLDLL_DefView".
  for (const wchar_t* name : {L"SHELLDLL_DefView", L"DirectUIHWND"}) {
    windowClass.lpszClassName = name;
    if (!RegisterClassW(&windowClass)) return false;
  }
  HWND shellView =
      CreateWindowExW(0, L"SHELLDLL_DefView", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 150, 300,
                      benchWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (CreateWindowExW(0, L"DirectUIHWND", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 150, 300, shellView,
                      nullptr, GetModuleHandleW(nullptr), nullptr) == nullptr)
    return false;
  SetForegroundWindow(benchWindow);
  SetFocus(benchWindow);
  SetCursorPos(400, 350);
  return true;
}

void drain() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

constexpr int kBatch = kInputBatch;

// Shell notifications: an application command that a top-level window leaves to DefWindowProc
// goes to the shell hooks (HSHELL_APPCOMMAND), with next to nothing else around it.
bool shellBatch() {
  for (int i = 0; i < kBatch; ++i) {
    SendMessageW(benchWindow, WM_APPCOMMAND, reinterpret_cast<WPARAM>(benchWindow),
                 MAKELPARAM(0, APPCOMMAND_BROWSER_BACKWARD));
  }
  return true;
}

// ---- Sent messages: in this thread, and to a window of another program -----------------------

// Chromal hooks only the threads of folder windows, so the messages go to one: a hidden
// "CabinetWClass" with a file list, which answers every message.
constexpr wchar_t kFolderClass[] = L"CabinetWClass";
constexpr wchar_t kTargetTitle[] = L"TOV hook bench target";
HWND folderWindow = nullptr;

HWND makeFolderWindow(const wchar_t* title) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kFolderClass;
  if (!RegisterClassW(&windowClass)) return nullptr;
  HWND window = CreateWindowExW(0, kFolderClass, title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (window != nullptr)
    CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD, 0, 0, 10, 10, window, nullptr,
                    GetModuleHandleW(nullptr), nullptr);
  return window;
}

// The other program is this one started with kTargetArgument: such a window, until it is closed.
constexpr wchar_t kTargetArgument[] = L"--target";
HWND targetWindow = nullptr;

int runTarget() {
  HWND window = makeFolderWindow(kTargetTitle);
  if (window == nullptr) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_CLOSE) break;
    DispatchMessageW(&message);
  }
  DestroyWindow(window);
  return 0;
}

bool startTarget() {
  wchar_t program[MAX_PATH];
  if (GetModuleFileNameW(nullptr, program, MAX_PATH) == 0) return false;
  std::wstring commandLine = L"\"" + std::wstring(program) + L"\" " + kTargetArgument;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 200 && targetWindow == nullptr; ++i) {
    targetWindow = FindWindowW(kFolderClass, kTargetTitle);
    if (targetWindow == nullptr) Sleep(50);
  }
  return targetWindow != nullptr;
}

// Messages that no plug-in acts on, each sent and answered.
bool sentBatch(HWND window) {
  for (int i = 0; i < kBatch; ++i) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_USER + 1, 0, 0, SMTO_NORMAL, 5000, &result)) return false;
  }
  return true;
}

// Mouse moves without a press, and paints, straight to the control's window procedure.
bool taskbarBatch(Events events) {
  for (int i = 0; i < kBatch; ++i) {
    if (events == Events::kTaskbarMoves) {
      SendMessageW(benchTabs, WM_MOUSEMOVE, 0, MAKELPARAM(40 + i, 12));
    } else {
      InvalidateRect(benchTabs, nullptr, TRUE);
      UpdateWindow(benchTabs);
    }
  }
  return true;
}

bool batch(Events events) {
  switch (events) {
    // Left presses and releases where the cursor is: no plug-in acts on them.
    case Events::kMouse:
      SetCursorPos(400, 350);  // the bench window itself
      return inputBatch(nullptr);
    case Events::kViewPresses:
      SetCursorPos(275, 350);  // the items view's shape
      return inputBatch(nullptr);
    // Typing without the modifier. Arrowin lets the other letters pass at once; its own letters
    // only after it has asked whether the modifier is down.
    case Events::kOtherKeys:
      return inputBatch("BCGIMNOPQRSTUVWXYZ");
    case Events::kTableKeys:
      return inputBatch("EDAFKJHL");
    case Events::kShell:
      return shellBatch();
    case Events::kSentHere:
      return sentBatch(folderWindow);
    case Events::kSentAcross:
      return sentBatch(targetWindow);
    case Events::kTaskbarMoves:
    case Events::kTaskbarPaints:
      return taskbarBatch(events);
  }
  return false;
}

double now() { return nowSeconds(); }

// Microseconds per event, or a negative value when the events did not arrive.
double measure(Events events, int eventCount) {
  drain();
  if (!batch(events)) return -1;  // warm-up
  int batches = std::max(1, eventCount / kBatch);
  double start = now();
  for (int i = 0; i < batches; ++i) {
    if (!batch(events)) return -1;
  }
  return (now() - start) * 1e6 / (batches * kBatch);
}

// ---- The three set-ups ---------------------------------------------------------------------

struct PassThrough {
  HMODULE library = nullptr;
  BOOL (*start)(int) = nullptr;
  void (*stop)() = nullptr;
};

template <class F>
F exported(HMODULE library, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

struct Plugin {
  HMODULE library = nullptr;
  IPlugin* object = nullptr;
};

// The host's services as far as a plug-in started here needs them: no folder windows, no settings,
// no tray.
class BenchHost final : public IPluginHost {
 public:
  void destroyHost() override {}
  HWND getMainWindow() override { return benchWindow; }
  int reserved2() override { return 0; }
  int reserved3(int) override { return 0; }
  bool getExplorerFolder(HWND, wchar_t*) override { return false; }
  bool getHostDirectory(wchar_t*) override { return false; }
  bool showPluginMenu(int, const POINT*) override { return false; }
  int readSettingInt(const wchar_t*, const wchar_t*, const wchar_t*, int value) override {
    return value;
  }
  bool writeSettingInt(const wchar_t*, const wchar_t*, const wchar_t*, int) override {
    return false;
  }
  bool setTrayIcon(int, HICON) override { return false; }
  bool showTrayIcon(int, bool) override { return false; }
  bool toggleTrayIcon(int) override { return false; }
  bool isTrayIconShown(int) override { return false; }
};
BenchHost benchHost;

Plugin loadPlugin(const std::wstring& path) {
  Plugin plugin;
  plugin.library = LoadLibraryW(path.c_str());
  if (plugin.library == nullptr) return plugin;
  auto create = exported<CreateInstanceFunction>(plugin.library, kCreateInstanceExport);
  if (create != nullptr) plugin.object = create(&benchHost, 0);
  if (plugin.object != nullptr) plugin.object->setUse(true);
  return plugin;
}

void unloadPlugin(Plugin& plugin) {
  if (plugin.object != nullptr) {
    plugin.object->stop();
    plugin.object->release();
  }
  if (plugin.library != nullptr) FreeLibrary(plugin.library);
  plugin = {};
}

double best(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

struct Row {
  const Subject* subject;
  double none, pass, plugin;
};

enum Setup { kNone, kPass, kPlugin, kSetups };

bool verbose = GetEnvironmentVariableW(L"TOV_BENCH_VERBOSE", nullptr, 0) > 0;

bool runSubject(const Subject& subject, const std::wstring& folder, const PassThrough& pass,
                int rounds, int eventCount, Row& row) {
  Plugin plugin = loadPlugin(folder + L"\\" + subject.library);
  if (plugin.object == nullptr) {
    std::fprintf(stderr, "tov_bench: cannot load %ls\n", subject.library);
    unloadPlugin(plugin);
    return false;
  }
  std::vector<double> samples[kSetups];
  bool ok = true;
  for (int round = 0; round < rounds && ok; ++round) {
    for (int turn = 0; turn < kSetups && ok; ++turn) {
      int setup = (round + turn) % kSetups;
      bool installed = true;
      bool taskbar = onTaskbar(subject.events);
      if (setup == kPass) {
        if (taskbar) installed = subclassPassThrough();
        for (int type : subject.hookTypes) installed = installed && pass.start(type);
      } else if (setup == kPlugin) {
        installed = plugin.object->start() && (!taskbar || waitUntilSubclassed());
      }
      double perEvent = installed ? measure(subject.events, eventCount) : -1;
      if (setup == kPass) taskbar ? unsubclassPassThrough() : pass.stop();
      if (setup == kPlugin) plugin.object->stop();
      if (perEvent < 0) {
        std::fprintf(stderr, "tov_bench: %s: %s events did not arrive (%s)\n", subject.name,
                     eventsName(subject.events),
                     setup == kNone   ? "no hook"
                     : setup == kPass ? "pass-through"
                                      : "plug-in");
        ok = false;
      }
      samples[setup].push_back(perEvent);
      if (verbose)
        std::fprintf(stderr, "%s round %d %s %.2f\n", subject.name, round,
                     setup == kNone   ? "none"
                     : setup == kPass ? "pass"
                                      : "plugin",
                     perEvent);
    }
  }
  unloadPlugin(plugin);
  if (!ok) return false;
  row = {&subject, best(samples[kNone]), best(samples[kPass]), best(samples[kPlugin])};
  return true;
}

// ---- Chromal's folder matcher ----------------------------------------------------------------

// Microseconds per match of `pattern` against `path`, best of the rounds.
double matchTime(const std::wstring& path, const wchar_t* pattern, int rounds) {
  constexpr int kMatches = 2000;
  std::vector<double> samples;
  volatile int matched = 0;
  for (int round = 0; round < rounds; ++round) {
    double start = now();
    for (int i = 0; i < kMatches; ++i)
      matched = matched + tov::chromal::wildcardMatch(path.c_str(), pattern);
    samples.push_back((now() - start) * 1e6 / kMatches);
  }
  return best(samples);
}

// A pattern whose stars a plain backtracking matcher would try in every combination, against a
// plain pattern of the same length, on the longest path a folder window reports.
void benchMatcher(int rounds) {
  std::wstring path = L"C:\\" + std::wstring(256, L'a');
  const wchar_t* plain = L"C:\\aaaaaaaaaaaaa*b";
  const wchar_t* adversarial = L"*a*a*a*a*a*a*a*a*b";
  double plainTime = matchTime(path, plain, rounds);
  double adversarialTime = matchTime(path, adversarial, rounds);
  double ratio = plainTime > 0 ? adversarialTime / plainTime : 0;
  std::printf("\nChromal's folder matcher, %zu-character path, microseconds per match\n\n",
              path.size());
  std::printf("%-12s %-21s %8.2f\n", "plain", "C:\\aaaaaaaaaaaaa*b", plainTime);
  std::printf("%-12s %-21s %8.2f %6.2f%s\n", "adversarial", "*a*a*a*a*a*a*a*a*b", adversarialTime,
              ratio, ratio <= 3 ? "" : "  over 3");
  std::printf("ratio = adversarial / plain, target 3 or less\n");
}

// Chromal reads its rules when it starts: one rule, so that no missing file is reported.
void writeChromalRules() {
  HANDLE file = CreateFileW(L"Chromal.conf", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const char rule[] = "1 0000FF 2 000000 0 FFFFFF *\r\n";
  DWORD written = 0;
  WriteFile(file, rule, sizeof rule - 1, &written, nullptr);
  CloseHandle(file);
}

bool wanted(const Subject& subject) {
  wchar_t only[64];
  DWORD length = GetEnvironmentVariableW(L"TOV_BENCH_ONLY", only, 64);
  if (length == 0 || length >= 64) return true;
  wchar_t name[64];
  std::swprintf(name, 64, L"%hs", subject.name);
  return std::wcscmp(name, only) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wcscmp(argv[1], kTargetArgument) == 0) return runTarget();
  if (argc < 2) {
    std::fprintf(stderr, "usage: tov_bench <plug-in folder> [rounds] [events]\n");
    return 2;
  }
  std::wstring folder = argv[1];
  int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 60;
  int eventCount = argc > 3 ? std::max(kBatch, _wtoi(argv[3])) : 250;

  PassThrough pass;
  pass.library = LoadLibraryW(L"BenchPassThrough.dll");
  pass.start = exported<BOOL (*)(int)>(pass.library, "passThroughStart");
  pass.stop = exported<void (*)()>(pass.library, "passThroughStop");
  if (pass.start == nullptr || pass.stop == nullptr) {
    std::fprintf(stderr, "tov_bench: BenchPassThrough.dll missing beside the program\n");
    return 1;
  }
  if (!makeWindows()) {
    std::fprintf(stderr, "tov_bench: cannot make the bench window\n");
    return 1;
  }
  // TOV's session block, as TOV makes it before it loads a plug-in: the hooks read the choices
  // the plug-ins publish there (Arrowin's layer key) as they do under TOV.
  tov::SessionBlock sessionBlock;
  sessionBlock.create(benchWindow);
  folderWindow = makeFolderWindow(L"TOV hook bench folder");
  if (folderWindow == nullptr) {
    std::fprintf(stderr, "tov_bench: cannot make the folder window\n");
    return 1;
  }
  drain();
  writeChromalRules();
  bool across = false;
  for (const Subject& subject : kSubjects)
    across = across || (wanted(subject) && subject.events == Events::kSentAcross);
  if (across && !startTarget()) {
    std::fprintf(stderr, "tov_bench: cannot start the target program\n");
    return 1;
  }

  std::vector<Row> rows;
  for (const Subject& subject : kSubjects) {
    if (!wanted(subject)) continue;
    Row row{};
    if (!runSubject(subject, folder, pass, rounds, eventCount, row)) return 1;
    rows.push_back(row);
  }

  std::printf("Cost per event in microseconds, best of %d rounds of %d events\n\n", rounds,
              eventCount);
  std::printf("%-12s %-23s %-11s %8s %8s %8s %6s\n", "plug-in", "hooks", "events", "none", "pass",
              "plug-in", "ratio");
  std::vector<std::string> over;
  for (const Row& row : rows) {
    double hookCost = row.pass - row.none;
    double ratio = hookCost > 0 ? (row.plugin - row.none) / hookCost : 0;
    bool within = hookCost > 0 && ratio <= 1.10;
    if (onTaskbar(row.subject->events)) {
      ratio = row.none > 0 ? row.plugin / row.none : 0;
      within = row.none > 0 && ratio <= 1.10;
    }
    if (!within)
      over.push_back(std::string(row.subject->name) + " (" + eventsName(row.subject->events) + ")");
    std::printf("%-12s %-23s %-11s %8.2f %8.2f %8.2f %6.2f%s\n", row.subject->name,
                row.subject->hooks, eventsName(row.subject->events), row.none, row.pass, row.plugin,
                ratio, within ? "" : "  over 1.10");
  }
  std::printf(
      "\nratio = (plug-in - none) / (pass - none), target 1.10 or less\n"
      "mouse: left presses and releases; view presses: the same on a window of the items view's\n"
      "classes; other keys: letters outside Arrowin's table; table keys:\n"
      "E D A F K J H L without the modifier; shell: HSHELL_APPCOMMAND notifications;\n"
      "sent here / across: messages no plug-in acts on, sent to a folder window of this program /\n"
      "of another program\n"
      "Shuffla: messages to a taskbar tab control; none: not subclassed, pass: a pass-through\n"
      "subclass, ratio = plug-in / none\n");
  if (over.empty()) {
    std::printf("target met everywhere\n");
  } else {
    std::printf("over the target:");
    for (const std::string& name : over) std::printf(" %s", name.c_str());
    std::printf("\n");
  }
  if (targetWindow != nullptr) PostMessageW(targetWindow, WM_CLOSE, 0, 0);
  if (wanted(Subject{L"", "Chromal", {}, "", Events::kSentHere})) benchMatcher(rounds);
  return 0;
}
