// What the sixteen plug-ins add to TOV's start and to its memory.
//
//   tov_startup <folder of TOV.exe and the plug-ins> <minimal window program> [runs]
//               [taskbar fixture]
//
// Start-up: the time from CreateProcess of TOV.exe to its main window (class "TOV") holding a list
// window with one row per library of HookOrder.ini (the list is made once every library is loaded
// and started), with a HookOrder.ini listing all sixteen against an empty one. Memory: TOV's
// private memory (PrivateUsage) once it is up with all sixteen, against the minimal window program
// (bench/minimal_window.cpp) once its window exists. Every figure is the median of the runs; the
// two set-ups of TOV take turns, so that drift of the machine hits both alike.
//
// ShufflaXP starts only where the taskbar's buttons are a toolbar: with the tests' taskbar fixture
// given, it runs first with a toolbar taskbar for the run's length.
#include <windows.h>
//
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const wchar_t* const kLibraries[] = {L"Transparent", L"Fadeon",   L"Topmost",  L"Minimize",
                                     L"Arrowin",     L"Chromal",  L"Pushup",   L"PushupB",
                                     L"Crevo",       L"Colfit",   L"ColfitXP", L"Widex",
                                     L"WidexXP",     L"Pushdown", L"Shuffla",  L"ShufflaXP"};
constexpr DWORD kStartTimeoutMs = 60000;

struct Sample {
  double milliseconds = 0;
  double privateKilobytes = 0;
};

double now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  std::size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
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

// Starts `program` in `folder`, waits for its window of `windowClass` (for TOV: with `rows` rows
// in its list; -1: any window), measures, and ends it as its close button would.
bool measure(const std::wstring& program, const std::wstring& folder, const wchar_t* windowClass,
             int rows, Sample& sample) {
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
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process.hProcess,
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
      sample.privateKilobytes = static_cast<double>(counters.PrivateUsage) / 1024.0;
    }
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

// The tests' taskbar with a toolbar of buttons, found before Wine's own; ended at the end.
class ToolbarTaskbar {
 public:
  explicit ToolbarTaskbar(const std::wstring& fixture) {
    if (fixture.empty()) return;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + fixture + L"\" --log taskbar --control toolbar --apps 2";
    if (!CreateProcessW(fixture.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process_)) {
      return;
    }
    CloseHandle(process_.hThread);
    double start = now();
    while (now() - start < kStartTimeoutMs && taskbar_ == nullptr) {
      HWND first = FindWindowW(L"Shell_TrayWnd", nullptr);
      DWORD owner = 0;
      if (first != nullptr) GetWindowThreadProcessId(first, &owner);
      if (owner == process_.dwProcessId) taskbar_ = first;
      Sleep(5);
    }
  }
  ~ToolbarTaskbar() {
    if (process_.hProcess == nullptr) return;
    if (taskbar_ != nullptr) PostMessageW(taskbar_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
      TerminateProcess(process_.hProcess, 1);
    }
    CloseHandle(process_.hProcess);
  }
  ToolbarTaskbar(const ToolbarTaskbar&) = delete;
  ToolbarTaskbar& operator=(const ToolbarTaskbar&) = delete;
  bool up() const { return taskbar_ != nullptr; }

 private:
  PROCESS_INFORMATION process_{};
  HWND taskbar_ = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: tov_startup <plug-in folder> <minimal window program> [runs] "
                 "[taskbar fixture]\n");
    return 2;
  }
  const std::wstring tov = std::wstring(argv[1]) + L"\\TOV.exe";
  const std::wstring minimal = argv[2];
  const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 15;
  ToolbarTaskbar taskbar(argc > 4 ? argv[4] : L"");

  std::string hookOrder;
  int libraryCount = 0;
  for (const wchar_t* library : kLibraries) {
    if (!taskbar.up() && lstrcmpW(library, L"ShufflaXP") == 0) continue;
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
  }

  std::printf("Start-up and private memory, median of %d runs, %d plug-ins%s\n\n", runs,
              libraryCount, taskbar.up() ? "" : " (no toolbar taskbar: ShufflaXP left out)");
  std::printf("%-34s %12s %12s\n", "program", "start-up ms", "private KB");
  std::printf("%-34s %12.1f %12.0f\n", "TOV.exe, empty HookOrder.ini", median(emptyTimes),
              median(emptyMemory));
  std::printf("%-34s %12.1f %12.0f\n", "TOV.exe, all plug-ins", median(allTimes),
              median(allMemory));
  std::printf("%-34s %12.1f %12.0f\n", "minimal window program", median(minimalTimes),
              median(minimalMemory));
  const double startRatio = median(allTimes) / median(emptyTimes);
  const double memoryRatio = median(allMemory) / median(minimalMemory);
  std::printf("\nstart-up ratio, all / empty:    %5.2f%s\n", startRatio,
              startRatio > 1.5 ? "  over 1.5" : "");
  std::printf("memory ratio, all / minimal:    %5.2f%s\n", memoryRatio,
              memoryRatio > 1.5 ? "  over 1.5" : "");
  return 0;
}
