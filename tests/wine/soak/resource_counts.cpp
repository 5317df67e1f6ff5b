#include "resource_counts.h"

#include <winternl.h>

#include <vector>

namespace tov::test {
namespace {

// Where the PEB keeps the address of the process's GDI handle table, and one entry of it.
constexpr std::size_t kPebGdiTable = sizeof(void*) == 8 ? 0xF8 : 0x94;
constexpr std::size_t kGdiTableEntries = 0x10000;
struct GdiTableEntry {
  UINT64 object;
  ULONG owner;
  USHORT unique;
  UCHAR type;  // 0: a free entry
  UCHAR flags;
  UINT64 user;
};
static_assert(sizeof(GdiTableEntry) == 24);

// One entry of SystemHandleInformation (16).
struct SystemHandle {
  ULONG processId;
  BYTE objectType;
  BYTE flags;
  USHORT value;
  PVOID object;
  ACCESS_MASK access;
};
constexpr ULONG kSystemHandleInformation = 16;

template <class F>
F ntdll(const char* name) {
  return reinterpret_cast<F>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

long gdiTableCount(HANDLE process) {
  using Query = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  auto query = ntdll<Query>("NtQueryInformationProcess");
  PROCESS_BASIC_INFORMATION basic{};
  if (query == nullptr ||
      query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
    return -1;
  UINT64 table = 0;
  if (!ReadProcessMemory(
          process, static_cast<BYTE*>(static_cast<void*>(basic.PebBaseAddress)) + kPebGdiTable,
          &table, sizeof(void*), nullptr) ||
      table == 0)
    return -1;
  std::vector<GdiTableEntry> entries(kGdiTableEntries);
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<void*>(static_cast<UINT_PTR>(table)),
                         entries.data(), entries.size() * sizeof(GdiTableEntry), &read))
    return -1;
  long live = 0;
  for (std::size_t i = 0; i < read / sizeof(GdiTableEntry); ++i) live += entries[i].type != 0;
  return live;
}

struct WindowCount {
  DWORD processId;
  long count = 0;
};

BOOL CALLBACK countChild(HWND window, LPARAM param) {
  auto* counted = reinterpret_cast<WindowCount*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  counted->count += owner == counted->processId;
  return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM param) {
  countChild(window, param);
  EnumChildWindows(window, countChild, param);  // every descendant
  return TRUE;
}

long windowCount(DWORD processId) {
  WindowCount counted{processId};
  EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&counted));
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
       window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) {
    countTopLevel(window, reinterpret_cast<LPARAM>(&counted));
  }
  return counted.count;
}

long systemHandleCount(DWORD processId) {
  using Query = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  auto query = ntdll<Query>("NtQuerySystemInformation");
  if (query == nullptr) return -1;
  std::vector<BYTE> buffer(1 << 20);
  for (int attempt = 0; attempt < 4; ++attempt) {
    ULONG needed = 0;
    NTSTATUS status =
        query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      ULONG entries = *reinterpret_cast<ULONG*>(buffer.data());
      const auto* handle = reinterpret_cast<const SystemHandle*>(buffer.data() + sizeof(void*));
      long owned = 0;
      for (ULONG i = 0; i < entries; ++i) owned += handle[i].processId == processId;
      return owned;
    }
    buffer.resize(buffer.size() * 2 + needed);
  }
  return -1;
}

bool guiResourcesAnswer() {
  SetLastError(0);
  DWORD own = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  return own != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED;
}

bool handleCountAnswers() {
  DWORD own = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &own) && own != 0;
}

}  // namespace

ResourceCounts countResources(DWORD processId) {
  ResourceCounts counts;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (process == nullptr) return counts;
  if (guiResourcesAnswer()) {
    counts.gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
    counts.user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
  } else {
    counts.gdi = gdiTableCount(process);
    counts.user = windowCount(processId);
  }
  DWORD handles = 0;
  if (handleCountAnswers()) {
    if (GetProcessHandleCount(process, &handles)) counts.handles = static_cast<long>(handles);
  } else {
    counts.handles = systemHandleCount(processId);
  }
  CloseHandle(process);
  return counts;
}

std::string resourceCountSource() {
  std::string gdi = guiResourcesAnswer() ? "GetGuiResources"
                                         : "GDI: live entries of its GDI handle table; "
                                           "USER: its windows (GetGuiResources answers 0 here)";
  std::string handles = handleCountAnswers() ? "handles: GetProcessHandleCount"
                                             : "handles: its entries in the system's handle list "
                                               "(GetProcessHandleCount answers 0 here)";
  return gdi + "; " + handles;
}

}  // namespace tov::test
