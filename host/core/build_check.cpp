#include "core/build_check.h"

namespace tov {

bool runsOn64BitWindowsAs32Bit(const ProcessMachine& machine) {
  // IsWow64Process2 is the better answer where Windows has it: IsWow64Process says no for a
  // 32-bit program on 64-bit ARM.
  if (machine.wow64ProcessMachine)
    return *machine.wow64ProcessMachine != IMAGE_FILE_MACHINE_UNKNOWN;
  return machine.wow64.value_or(false);
}

bool shouldWarnOfWrongBuild(const ProcessMachine& machine, int warnedSetting) {
  return warnedSetting == 0 && runsOn64BitWindowsAs32Bit(machine);
}

std::wstring wrongBuildMessage(std::wstring_view version) {
  const std::wstring download = L"TOV-" + std::wstring(version) + L"-x64";
  return L"This is the 32-bit build of TOV, and this Windows is 64-bit.\n\n"
         L"Explorer, a 64-bit program, loads only 64-bit plug-ins: with this build the plug-ins "
         L"for folder windows, the desktop and the taskbar do nothing.\n\n"
         L"Take the 64-bit build instead: " +
         download + L".zip or " + download +
         L"-setup.exe.\n\n"
         L"TOV goes on with the 32-bit build now and does not show this again.";
}

}  // namespace tov
