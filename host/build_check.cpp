#include "build_check.h"

#include <windows.h>

#include <string>

#include "core/build_check.h"
#include "main_window.h"
#include "settings.h"
#include "version.h"

namespace tov {

namespace {

using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);

// IsWow64Process2 came with Windows 10 1511, so it is looked up; IsWow64Process is in every
// Windows that runs TOV.
ProcessMachine processMachine() {
  ProcessMachine machine;
  HANDLE process = GetCurrentProcess();
  auto isWow64Process2 = reinterpret_cast<IsWow64Process2Function>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2")));
  USHORT processType = 0;
  USHORT nativeType = 0;
  if (isWow64Process2 != nullptr && isWow64Process2(process, &processType, &nativeType)) {
    machine.wow64ProcessMachine = processType;
    return machine;
  }
  BOOL wow64 = FALSE;
  if (IsWow64Process(process, &wow64)) machine.wow64 = wow64 != FALSE;
  return machine;
}

}  // namespace

void warnOfWrongBuildOnce() {
  const int warned = readSettingInt(kSettingsBase, kWrongBuildSection, kWrongBuildWarnedKey, 0);
  if (!shouldWarnOfWrongBuild(processMachine(), warned)) return;
  const std::wstring version = std::to_wstring(TOV_VERSION_MAJOR) + L"." +
                               std::to_wstring(TOV_VERSION_MINOR) + L"." +
                               std::to_wstring(TOV_VERSION_PATCH);
  MessageBoxW(nullptr, wrongBuildMessage(version).c_str(), kMessageCaption,
              MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
  writeSettingInt(kSettingsBase, kWrongBuildSection, kWrongBuildWarnedKey, 1);
}

}  // namespace tov
