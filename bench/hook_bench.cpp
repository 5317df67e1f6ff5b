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
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "plugin_api.h"

namespace {

enum class Events { kMouse, kOtherKeys, kTableKeys, kShell };

const char* eventsName(Events events) {
  switch (events) {
    case Events::kMouse:
      return "mouse";
    case Events::kOtherKeys:
      return "other keys";
    case Events::kTableKeys:
      return "table keys";
    case Events::kShell:
      return "shell";
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
};

// ---- The bench window and its events -------------------------------------------------------

HWND benchWindow = nullptr;
long received = 0;  // input messages that reached the bench window

LRESULT CALLBACK benchProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
      ++received;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool makeWindows() {
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
  SetForegroundWindow(benchWindow);
  SetFocus(benchWindow);
  SetCursorPos(400, 350);
  return true;
}

// Takes this thread's messages until `target` input messages have arrived; false after a second
// without progress.
bool pumpUntil(long target) {
  DWORD lastProgress = GetTickCount();
  long seen = received;
  while (received < target) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
      if (received != seen) {
        seen = received;
        lastProgress = GetTickCount();
      }
      continue;
    }
    if (GetTickCount() - lastProgress > 1000) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  return true;
}

void drain() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

constexpr int kBatch = 50;

// Left presses and releases where the cursor is: no plug-in acts on them.
bool mouseBatch() {
  INPUT inputs[kBatch] = {};
  for (int i = 0; i < kBatch; ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dwFlags = (i % 2 == 0) ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  }
  long target = received + kBatch;
  if (SendInput(kBatch, inputs, sizeof(INPUT)) != kBatch) return false;
  return pumpUntil(target);
}

// Typing without the modifier: each letter pressed and released in turn. Arrowin lets the other
// letters pass at once; its own letters only after it has asked whether the modifier is down.
bool keyboardBatch(const char* letters) {
  static std::size_t next = 0;
  std::size_t count = std::strlen(letters);
  INPUT inputs[kBatch] = {};
  for (int i = 0; i < kBatch; i += 2) {
    WORD key = static_cast<WORD>(letters[next++ % count]);
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = key;
    inputs[i + 1].type = INPUT_KEYBOARD;
    inputs[i + 1].ki.wVk = key;
    inputs[i + 1].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  long target = received + kBatch;
  if (SendInput(kBatch, inputs, sizeof(INPUT)) != kBatch) return false;
  return pumpUntil(target);
}

// Shell notifications: an application command that a top-level window leaves to DefWindowProc
// goes to the shell hooks (HSHELL_APPCOMMAND), with next to nothing else around it.
bool shellBatch() {
  for (int i = 0; i < kBatch; ++i) {
    SendMessageW(benchWindow, WM_APPCOMMAND, reinterpret_cast<WPARAM>(benchWindow),
                 MAKELPARAM(0, APPCOMMAND_BROWSER_BACKWARD));
  }
  return true;
}

bool batch(Events events) {
  switch (events) {
    case Events::kMouse:
      return mouseBatch();
    case Events::kOtherKeys:
      return keyboardBatch("BCGIMNOPQRSTUVWXYZ");
    case Events::kTableKeys:
      return keyboardBatch("EDAFKJHL");
    case Events::kShell:
      return shellBatch();
  }
  return false;
}

double now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

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

Plugin loadPlugin(const std::wstring& path) {
  Plugin plugin;
  plugin.library = LoadLibraryW(path.c_str());
  if (plugin.library == nullptr) return plugin;
  auto create = exported<CreateInstanceFunction>(plugin.library, kCreateInstanceExport);
  if (create != nullptr) plugin.object = create(nullptr, 0);
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
      if (setup == kPass) {
        for (int type : subject.hookTypes) installed = installed && pass.start(type);
      } else if (setup == kPlugin) {
        installed = plugin.object->start();
      }
      double perEvent = installed ? measure(subject.events, eventCount) : -1;
      if (setup == kPass) pass.stop();
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
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
  drain();

  std::vector<Row> rows;
  for (const Subject& subject : kSubjects) {
    Row row{};
    if (!runSubject(subject, folder, pass, rounds, eventCount, row)) return 1;
    rows.push_back(row);
  }

  std::printf("Cost per event in microseconds, best of %d rounds of %d events\n\n", rounds,
              eventCount);
  std::printf("%-12s %-21s %-11s %8s %8s %8s %6s\n", "plug-in", "hooks", "events", "none", "pass",
              "plug-in", "ratio");
  std::vector<std::string> over;
  for (const Row& row : rows) {
    double hookCost = row.pass - row.none;
    double ratio = hookCost > 0 ? (row.plugin - row.none) / hookCost : 0;
    bool within = hookCost > 0 && ratio <= 1.10;
    if (!within)
      over.push_back(std::string(row.subject->name) + " (" + eventsName(row.subject->events) + ")");
    std::printf("%-12s %-21s %-11s %8.2f %8.2f %8.2f %6.2f%s\n", row.subject->name,
                row.subject->hooks, eventsName(row.subject->events), row.none, row.pass, row.plugin,
                ratio, within ? "" : "  over 1.10");
  }
  std::printf(
      "\nratio = (plug-in - none) / (pass - none), target 1.10 or less\n"
      "mouse: left presses and releases; other keys: letters outside Arrowin's table; table keys:\n"
      "E D A F K J H L without the modifier; shell: HSHELL_APPCOMMAND notifications\n");
  if (over.empty()) {
    std::printf("target met everywhere\n");
  } else {
    std::printf("over the target:");
    for (const std::string& name : over) std::printf(" %s", name.c_str());
    std::printf("\n");
  }
  return 0;
}
