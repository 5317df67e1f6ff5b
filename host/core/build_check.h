// Whether this build of TOV suits the Windows it runs on, from what Windows says about the
// process. A hook library is loaded only into programs of its own width: on 64-bit Windows the
// 32-bit build's plug-ins never reach Explorer, which is a 64-bit program, so its folder-window,
// desktop and taskbar plug-ins do nothing there, without any error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/win32_names.h"

namespace tov {

// What Windows answered about the running process. Windows 10 1511 and later have
// IsWow64Process2, which also tells a 32-bit program on 64-bit ARM; older ones only
// IsWow64Process; a Windows with neither runs no 64-bit programs.
struct ProcessMachine {
  // IsWow64Process2's process machine: IMAGE_FILE_MACHINE_UNKNOWN when not running under WOW64.
  std::optional<std::uint16_t> wow64ProcessMachine;
  std::optional<bool> wow64;  // IsWow64Process's answer
};

// A 32-bit program on 64-bit Windows.
bool runsOn64BitWindowsAs32Bit(const ProcessMachine& machine);

// Where the host's settings file remembers that the warning was shown (1; missing or 0: not yet).
inline constexpr wchar_t kWrongBuildSection[] = L"main";
inline constexpr wchar_t kWrongBuildWarnedKey[] = L"warnedOf32BitOn64Bit";

// The warning is shown at the first start of the 32-bit build on 64-bit Windows, and never
// again once the settings file remembers it.
bool shouldWarnOfWrongBuild(const ProcessMachine& machine, int warnedSetting);

// The warning, naming the 64-bit downloads of `version` ("2004.11.15").
std::wstring wrongBuildMessage(std::wstring_view version);

}  // namespace tov
