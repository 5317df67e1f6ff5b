// What the sixteen plug-ins add to TOV's start and to its memory.
//
//   tov_startup <folder of TOV.exe and the plug-ins> <minimal window program> [runs]
//               [folder of the shipped samples]
//
// Start-up: the time from CreateProcess of TOV.exe to its main window (class "TOV") holding a list
// window with one row per library of HookOrder.ini (the list is made once every library is loaded
// and started), with a HookOrder.ini listing all sixteen against an empty one. Memory: TOV's
// private memory (PrivateUsage) once it is up with all sixteen, against the minimal window program
// (bench/minimal_window.cpp) once its window exists. Every figure is the median of the runs; the
// two set-ups of TOV take turns, so that drift of the machine hits both alike.
//
// With the samples' folder, also what TOV costs a program that has nothing to do with it: the
// time of a program's SendMessageW to a window of its own (this program, started again for each
// measurement) while TOV runs the shipped sample HookOrder.ini and Chromal.conf, against no TOV;
// and the time of its mouse events and keystrokes on its own window, with no TOV, with TOV
// running the sample less the five plug-ins that act only in folder windows and on the desktop
// (Colfit, ColfitXP, Widex, WidexXP, Crevo), and with the whole sample. TOV_BENCH_ONLY=Input
// measures these last rows alone.
//
// Shuffla and ShufflaXP start only on the old taskbars, so the benchmark makes one of its own.
#include <windows.h>
//
#include <commctrl.h>
#include <psapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_input.h"

namespace {

const wchar_t* const kLibraries[] = {L"Transparent", L"Fadeon",   L"Topmost",  L"Minimize",
                                     L"Arrowin",     L"Chromal",  L"Pushup",   L"PushupB",
                                     L"Crevo",       L"Colfit",   L"ColfitXP", L"Widex",
                                     L"WidexXP",     L"Pushdown", L"Shuffla",  L"ShufflaXP"};
constexpr DWORD kStartTimeoutMs = 60000;

struct Sample {
  double milliseconds = 0;
  double privateKilobytes = 0;
  double imageKilobytes = 0;  // writable pages of mapped images
  double threads = 0;
  double sendMicroseconds = 0;
  double mouseMicroseconds = 0;
  double keyMicroseconds = 0;
};

double now() { return nowSeconds() * 1000.0; }  // milliseconds

// Other programs only ever add time: the least of the runs says what the set-up itself costs.
double best(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  std::size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The unrelated program: this one started with kSendsArgument. It times SendMessageW to a hidden
// window of its own, takes the best of a few batches (other programs can only add time) and ends
// with the nanoseconds per send as its exit code.
constexpr wchar_t kSendsArgument[] = L"--sends";

int timeSends() {
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return 0;
  constexpr int kSends = 5000;
  double best = 0;
  for (int batch = 0; batch < 5; ++batch) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    double start = now();
    for (int i = 0; i < kSends; ++i) SendMessageW(window, WM_USER + 1, 0, 0);
    double cost = (now() - start) * 1e6 / kSends;
    if (batch == 0 || cost < best) best = cost;
  }
  return static_cast<int>(best);
}

// The unrelated program's input: this one started with kInputArgument and "mouse" or "keys". Its
// window is on top, under the cursor and with the focus; it times left presses and releases (no
// plug-in acts on them) or letters outside Arrowin's table (no K, Crevo's), each sent with
// SendInput and taken from its queue, the best of a few batches, and ends with the nanoseconds per
// event as its exit code.
constexpr wchar_t kInputArgument[] = L"--input";

LRESULT CALLBACK inputProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return countInput(message) ? 0 : DefWindowProcW(window, message, wParam, lParam);
}

int timeInput(bool mouse) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = inputProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"TovUnrelatedProgram";
  if (!RegisterClassW(&windowClass)) return 0;
  HWND window =
      CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 200,
                      200, 400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 0;
  SetForegroundWindow(window);
  SetFocus(window);
  SetCursorPos(400, 350);
  constexpr int kBatches = 5;  // of 250 events
  double best = 0;
  const char* letters = mouse ? nullptr : "BCGIMNOPQRSTUVWXYZ";
  if (!inputBatch(letters)) return 0;  // warm-up
  for (int round = 0; round < 8; ++round) {
    double start = now();
    for (int i = 0; i < kBatches; ++i) {
      if (!inputBatch(letters)) return 0;
    }
    double cost = (now() - start) * 1e6 / (kBatches * kInputBatch);
    if (round == 0 || cost < best) best = cost;
  }
  DestroyWindow(window);
  return static_cast<int>(best);
}

// Runs this program with `argument` and returns its exit code divided by 1000 (microseconds), or
// a negative value when it failed.
double childCost(const std::wstring& argument) {
  wchar_t program[MAX_PATH];
  if (GetModuleFileNameW(nullptr, program, MAX_PATH) == 0) return -1;
  std::wstring commandLine = L"\"" + std::wstring(program) + L"\" " + argument;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  CloseHandle(process.hThread);
  DWORD nanoseconds = 0;
  bool ended = WaitForSingleObject(process.hProcess, kStartTimeoutMs) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(process.hProcess, &nanoseconds) && nanoseconds != 0;
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  return ended ? nanoseconds / 1000.0 : -1;
}

// Microseconds per send (per input event) of a program started now, or a negative value when it
// failed. A program started now, as a user starts one: under Wine, one that was already running
// when TOV started paid nothing for TOV's old hook for every thread in its sends to its own window
// (the hook's library was loaded into it all the same), while one started afterwards paid 66 to 87
// us.
double sendCost() { return childCost(kSendsArgument); }

void measureInput(Sample& sample) {
  sample.mouseMicroseconds = childCost(std::wstring(kInputArgument) + L" mouse");
  sample.keyMicroseconds = childCost(std::wstring(kInputArgument) + L" keys");
}

bool writeText(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size();
  CloseHandle(file);
  return ok;
}

std::wstring currentFolder() {
  wchar_t folder[MAX_PATH];
  DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
  return std::wstring(folder, length);
}

// A folder beside this run's working folder holding the files TOV reads at start.
std::wstring makeFolder(const wchar_t* name, const std::string& hookOrder) {
  std::wstring folder = currentFolder() + L"\\" + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  writeText(folder + L"\\HookOrder.ini", hookOrder);
  writeText(folder + L"\\Chromal.conf", "1 0000FF 2 000000 0 FFFFFF *\r\n");
  return folder;
}

struct FindWindowOf {
  DWORD processId;
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK findWindowOf(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<FindWindowOf*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[32];
  if (owner == search->processId && GetClassNameW(window, name, 32) > 0 &&
      lstrcmpW(name, search->windowClass) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND windowOf(DWORD processId, const wchar_t* windowClass) {
  FindWindowOf search{processId, windowClass, nullptr};
  EnumWindows(findWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Whether the program's main window is up; for TOV, with a list of `rows` rows.
bool isUp(HWND main, int rows) {
  if (main == nullptr) return false;
  if (rows < 0) return true;
  HWND list = FindWindowExW(main, nullptr, L"PluginListView", nullptr);
  DWORD_PTR count = 0;
  return list != nullptr &&
         SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count) != 0 &&
         static_cast<int>(count) == rows;
}

std::string narrow(const std::wstring& text) {
  std::string result;
  for (wchar_t c : text) result += c < 128 ? static_cast<char>(c) : '?';
  return result;
}

// The process's private memory: PrivateUsage where the system reports it; Wine leaves it 0 for
// other processes, and then the committed private regions of its address space are added up,
// which is what PrivateUsage counts. Apart: the writable pages of its mapped program and library
// images, which Windows charges to the process's commit too but Wine reports as image pages.
// Its threads are counted beside it: Wine commits a thread's whole stack (at least 1 MB) and a
// kernel stack of its own, where Windows commits a few pages, so under Wine each thread weighs on
// the private memory far more than it would on Windows.
void measureMemory(HANDLE process, DWORD processId, Sample& sample) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  SIZE_T privateBytes = 0, writableImage = 0;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters)) {
    privateBytes = counters.PrivateUsage;
  }
  const DWORD writable =
      PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  SIZE_T regions = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (char* address = nullptr;
       VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
       address = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State != MEM_COMMIT) continue;
    if (region.Type == MEM_PRIVATE) regions += region.RegionSize;
    if (region.Type == MEM_IMAGE && (region.Protect & writable) != 0) {
      writableImage += region.RegionSize;
    }
  }
  if (privateBytes == 0) privateBytes = regions;
  sample.privateKilobytes = static_cast<double>(privateBytes) / 1024.0;
  sample.imageKilobytes = static_cast<double>(writableImage) / 1024.0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  THREADENTRY32 thread{};
  thread.dwSize = sizeof thread;
  int threads = 0;
  for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread)) {
    if (thread.th32OwnerProcessID == processId) ++threads;
  }
  CloseHandle(snapshot);
  sample.threads = threads;
}

// What an unrelated program measures while the program is up.
enum class Meanwhile { kNothing, kSends, kInput };

// Starts `program` in `folder`, waits for its window of `windowClass` (for TOV: with `rows` rows
// in its list; -1: any window), measures (and what an unrelated program pays `meanwhile`), and
// ends it as its close button would.
bool measure(const std::wstring& program, const std::wstring& folder, const wchar_t* windowClass,
             int rows, Sample& sample, Meanwhile meanwhile = Meanwhile::kNothing) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + program + L"\"";
  double start = now();
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    std::fprintf(stderr, "startup: cannot start %s (error %lu)\n", narrow(program).c_str(),
                 GetLastError());
    return false;
  }
  CloseHandle(process.hThread);
  HWND main = nullptr;
  bool up = false;
  while (now() - start < kStartTimeoutMs) {
    if (main == nullptr) main = windowOf(process.dwProcessId, windowClass);
    if (isUp(main, rows)) {
      up = true;
      break;
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
    Sleep(1);
  }
  sample.milliseconds = now() - start;
  bool ok = up;
  if (!up) {
    HWND box = windowOf(process.dwProcessId, L"#32770");
    wchar_t text[256] = L"";
    if (box != nullptr) GetDlgItemTextW(box, 0xFFFF, text, 256);
    std::fprintf(stderr, "startup: %s in %s did not come up with %d rows%s%s\n",
                 narrow(program).c_str(), narrow(folder).c_str(), rows,
                 box != nullptr ? "; it shows: " : "", narrow(text).c_str());
  } else {
    // Once the program answers, its start-up is over.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
    measureMemory(process.hProcess, process.dwProcessId, sample);
    if (meanwhile == Meanwhile::kSends) sample.sendMicroseconds = sendCost();
    if (meanwhile == Meanwhile::kInput) measureInput(sample);
  }
  if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "startup: %s did not end; terminated\n", narrow(program).c_str());
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 10000);
    ok = false;
  }
  CloseHandle(process.hProcess);
  return ok;
}

// A taskbar of the benchmark's own, on a thread of its own with a message loop: a topmost
// "Shell_TrayWnd" (found before Wine's, which lies below it) holding both kinds of button control
// the old taskbars had, a tab control for Shuffla and an "MSTaskSwWClass" with a toolbar for
// ShufflaXP, so that both libraries attach and all sixteen start.
class OldTaskbar {
 public:
  OldTaskbar() {
    thread_ = CreateThread(nullptr, 0, run, this, 0, &threadId_);
    if (thread_ == nullptr) return;
    HANDLE waits[] = {ready_, thread_};
    WaitForMultipleObjects(2, waits, FALSE, kStartTimeoutMs);
  }
  ~OldTaskbar() {
    if (thread_ == nullptr) return;
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
  }
  OldTaskbar(const OldTaskbar&) = delete;
  OldTaskbar& operator=(const OldTaskbar&) = delete;
  bool up() const { return up_; }

 private:
  static DWORD WINAPI run(void* parameter) {
    auto* self = static_cast<OldTaskbar*>(parameter);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    for (const wchar_t* name : {L"Shell_TrayWnd", L"MSTaskSwWClass"}) {
      windowClass.lpszClassName = name;
      RegisterClassW(&windowClass);
    }
    HWND taskbar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"",
                                   WS_POPUP, 0, 0, 400, 30, nullptr, nullptr, instance, nullptr);
    HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 30,
                                taskbar, nullptr, instance, nullptr);
    HWND buttons = CreateWindowExW(0, L"MSTaskSwWClass", L"", WS_CHILD | WS_VISIBLE, 200, 0, 200,
                                   30, taskbar, nullptr, instance, nullptr);
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 30,
                                   buttons, nullptr, instance, nullptr);
    self->up_ = taskbar != nullptr && tabs != nullptr && toolbar != nullptr &&
                FindWindowW(L"Shell_TrayWnd", nullptr) == taskbar;
    SetEvent(self->ready_);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    if (taskbar != nullptr) DestroyWindow(taskbar);
    return 0;
  }

  HANDLE ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  bool up_ = false;
};

// The plug-ins that act only in folder windows and on the desktop.
bool actsOnlyInFolderWindows(const std::string& line) {
  for (const char* library : {"Colfit", "ColfitXP", "Widex", "WidexXP", "Crevo"}) {
    std::size_t at = line.find(' ');
    if (at != std::string::npos &&
        line.compare(at + 1, std::string::npos, std::string(library) + ".dll") == 0)
      return true;
  }
  return false;
}

// The shipped samples copied into a folder of their own (`name`), with the number of libraries
// their HookOrder.ini lists (the lines that begin with the flags); `lessTheFive` leaves the lines
// of the plug-ins that act only in folder windows out.
std::wstring sampleFolder(const std::wstring& samples, const wchar_t* name, bool lessTheFive,
                          int& libraries) {
  std::wstring folder = currentFolder() + L"\\" + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const wchar_t* file : {L"Chromal.conf", L"DesktopPushdownCommand.ini"})
    CopyFileW((samples + L"\\" + file).c_str(), (folder + L"\\" + file).c_str(), FALSE);
  libraries = 0;
  HANDLE hookOrder =
      CreateFileW((samples + L"\\HookOrder.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hookOrder == INVALID_HANDLE_VALUE) return folder;
  std::string text(65536, '\0');
  DWORD read = 0;
  ReadFile(hookOrder, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  CloseHandle(hookOrder);
  text.resize(read);
  std::string kept;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(start, end - start);
    start = end;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    bool library = !line.empty() && line[0] >= '0' && line[0] <= '9';
    if (library && lessTheFive && actsOnlyInFolderWindows(line)) continue;
    if (library) ++libraries;
    kept += line + "\r\n";
  }
  writeText(folder + L"\\HookOrder.ini", kept);
  return folder;
}

// An unrelated program's sends, without TOV and with TOV running the shipped sample, in turns.
void measureSends(const std::wstring& tov, const std::wstring& samples, int runs) {
  int libraries = 0;
  const std::wstring folder = sampleFolder(samples, L"startup-sample", false, libraries);
  std::vector<double> none, sample;
  for (int run = 0; run < runs; ++run) {
    Sample running;
    if (run % 2 == 0) none.push_back(sendCost());
    if (!measure(tov, folder, L"TOV", libraries, running, Meanwhile::kSends)) return;
    sample.push_back(running.sendMicroseconds);
    if (run % 2 != 0) none.push_back(sendCost());
    if (none.back() < 0 || sample.back() < 0) {
      std::fprintf(stderr, "startup: the sending program did not run\n");
      return;
    }
  }
  const double ratio = median(sample) / median(none);
  std::printf("\nSendMessageW of another program to its own window, median of %d runs\n\n", runs);
  std::printf("%-30s %12.3f us\n", "no TOV", median(none));
  std::printf("%-30s %12.3f us\n", "TOV, shipped sample", median(sample));
  std::printf("\nsends, sample / no TOV:                      %5.2f%s\n", ratio,
              ratio > 1.10 ? "  over 1.10" : "");
}

// An unrelated program's mouse events and keystrokes: no TOV, TOV with the sample less the five
// plug-ins that act only in folder windows, TOV with the whole sample, in turns. Each run is the
// best of the program's rounds, each figure the best of the runs: under Wine every mouse event
// also crosses to Transparent's low-level hook thread in TOV, whose time swings with the load.
bool measureInputRows(const std::wstring& tov, const std::wstring& samples, int runs) {
  struct Setup {
    const char* name = "";
    std::wstring folder;
    int libraries = -1;  // no TOV
    std::vector<double> mouse, keys;
  };
  Setup setups[3];
  setups[0].name = "no TOV";
  setups[1].name = "TOV, sample less the five";
  setups[2].name = "TOV, shipped sample";
  setups[1].folder = sampleFolder(samples, L"input-less-five", true, setups[1].libraries);
  setups[2].folder = sampleFolder(samples, L"input-sample", false, setups[2].libraries);
  for (int run = 0; run < runs; ++run) {
    for (int turn = 0; turn < 3; ++turn) {
      Setup& setup = setups[(run + turn) % 3];
      Sample sample;
      if (setup.libraries < 0) {
        measureInput(sample);
      } else if (!measure(tov, setup.folder, L"TOV", setup.libraries, sample, Meanwhile::kInput)) {
        return false;
      }
      if (sample.mouseMicroseconds < 0 || sample.keyMicroseconds < 0) {
        std::fprintf(stderr, "startup: the input program's events did not arrive (%s)\n",
                     setup.name);
        return false;
      }
      setup.mouse.push_back(sample.mouseMicroseconds);
      setup.keys.push_back(sample.keyMicroseconds);
    }
  }
  std::printf(
      "\nMouse events and keystrokes of another program on its own window, best of %d runs\n\n",
      runs);
  std::printf("%-30s %12s %12s\n", "", "mouse us", "keys us");
  for (const Setup& setup : setups)
    std::printf("%-30s %12.2f %12.2f\n", setup.name, best(setup.mouse), best(setup.keys));
  auto ratioRow = [&](const char* name, const std::vector<double>& sample,
                      const std::vector<double>& lessFive) {
    double ratio = best(sample) / best(lessFive);
    std::printf("%s, sample / sample less the five: %5.2f%s\n", name, ratio,
                ratio > 1.05 ? "  over 1.05" : "");
  };
  std::printf("\n");
  ratioRow("mouse", setups[2].mouse, setups[1].mouse);
  ratioRow("keys ", setups[2].keys, setups[1].keys);
  std::printf("(the five: Colfit, ColfitXP, Widex, WidexXP, Crevo; target 1.05 or less)\n");
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wcscmp(argv[1], kSendsArgument) == 0) return timeSends();
  if (argc == 3 && std::wcscmp(argv[1], kInputArgument) == 0)
    return timeInput(std::wcscmp(argv[2], L"mouse") == 0);
  if (argc < 3) {
    std::fprintf(stderr, "usage: tov_startup <plug-in folder> <minimal window program> [runs]\n");
    return 2;
  }
  const std::wstring tov = std::wstring(argv[1]) + L"\\TOV.exe";
  const std::wstring minimal = argv[2];
  const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 15;
  wchar_t only[16] = L"";
  GetEnvironmentVariableW(L"TOV_BENCH_ONLY", only, 16);
  if (std::wcscmp(only, L"Input") == 0)
    return argc > 4 && measureInputRows(tov, argv[4], runs) ? 0 : 1;
  OldTaskbar taskbar;

  std::string hookOrder;
  int libraryCount = 0;
  for (const wchar_t* library : kLibraries) {
    if (!taskbar.up() && StrStrIW(library, L"Shuffla") != nullptr) continue;
    hookOrder += "10 " + narrow(library) + ".dll\r\n";
    ++libraryCount;
  }
  const std::wstring all = makeFolder(L"startup-all", hookOrder);
  const std::wstring none = makeFolder(L"startup-none", "");

  // One start of each before measuring: the first start of a program pays for the disk.
  Sample warm;
  if (!measure(tov, none, L"TOV", 0, warm) || !measure(tov, all, L"TOV", libraryCount, warm) ||
      !measure(minimal, currentFolder(), L"TovMinimalWindow", -1, warm)) {
    return 1;
  }
  std::vector<double> emptyTimes, allTimes, minimalTimes, allMemory, emptyMemory, minimalMemory;
  std::vector<double> allImages, emptyImages, minimalImages;
  std::vector<double> allThreads, emptyThreads, minimalThreads;
  for (int run = 0; run < runs; ++run) {
    Sample empty, loaded, least;
    bool ok = run % 2 == 0 ? measure(tov, none, L"TOV", 0, empty) &&
                                 measure(tov, all, L"TOV", libraryCount, loaded)
                           : measure(tov, all, L"TOV", libraryCount, loaded) &&
                                 measure(tov, none, L"TOV", 0, empty);
    ok = ok && measure(minimal, currentFolder(), L"TovMinimalWindow", -1, least);
    if (!ok) return 1;
    emptyTimes.push_back(empty.milliseconds);
    allTimes.push_back(loaded.milliseconds);
    minimalTimes.push_back(least.milliseconds);
    emptyMemory.push_back(empty.privateKilobytes);
    allMemory.push_back(loaded.privateKilobytes);
    minimalMemory.push_back(least.privateKilobytes);
    emptyImages.push_back(empty.imageKilobytes);
    allImages.push_back(loaded.imageKilobytes);
    minimalImages.push_back(least.imageKilobytes);
    emptyThreads.push_back(empty.threads);
    allThreads.push_back(loaded.threads);
    minimalThreads.push_back(least.threads);
  }

  std::printf("Start-up and private memory, median of %d runs, %d plug-ins%s\n\n", runs,
              libraryCount, taskbar.up() ? "" : " (no toolbar taskbar: ShufflaXP left out)");
  std::printf("%-30s %12s %11s %15s %8s\n", "program", "start-up ms", "private KB", "+ images KB",
              "threads");
  auto row = [](const char* name, const std::vector<double>& times,
                const std::vector<double>& memory, const std::vector<double>& images,
                const std::vector<double>& threads) {
    std::printf("%-30s %12.1f %11.0f %15.0f %8.0f\n", name, median(times), median(memory),
                median(memory) + median(images), median(threads));
  };
  row("TOV.exe, empty HookOrder.ini", emptyTimes, emptyMemory, emptyImages, emptyThreads);
  row("TOV.exe, all plug-ins", allTimes, allMemory, allImages, allThreads);
  row("minimal window program", minimalTimes, minimalMemory, minimalImages, minimalThreads);
  const double startRatio = median(allTimes) / median(emptyTimes);
  const double memoryRatio = median(allMemory) / median(minimalMemory);
  const double imageRatio =
      (median(allMemory) + median(allImages)) / (median(minimalMemory) + median(minimalImages));
  auto verdict = [](double ratio) { return ratio > 1.5 ? "  over 1.5" : ""; };
  std::printf("\nstart-up, all / empty:                       %5.2f%s\n", startRatio,
              verdict(startRatio));
  std::printf("private memory, all / minimal:               %5.2f%s\n", memoryRatio,
              verdict(memoryRatio));
  std::printf("private with writable images, all / minimal: %5.2f%s\n", imageRatio,
              verdict(imageRatio));
  if (argc > 4) {
    measureSends(tov, argv[4], runs);
    if (!measureInputRows(tov, argv[4], runs)) return 1;
  }
  return 0;
}
