// What the plug-ins that act on the middle button share: which mouse messages are its presses and
// releases, and which window classes are the desktop and the taskbar.
#pragma once

#include <cstdint>

#include "core/win32_names.h"

namespace tov {

enum class MiddleMessage {
  kOther,    // not a middle press or release (double clicks included)
  kPress,    // WM_MBUTTONDOWN, WM_NCMBUTTONDOWN
  kRelease,  // WM_MBUTTONUP, WM_NCMBUTTONUP
};
MiddleMessage classifyMiddle(std::uintptr_t message);

// "Progman", "Shell_TrayWnd", "Shell_SecondaryTrayWnd" (the taskbar of every further monitor),
// "BaseBar" or "WorkerW", exactly and case-sensitively.
bool isDesktopOrTaskbarClass(const wchar_t* className);

// The popup menu's system class.
inline constexpr wchar_t kMenuClass[] = L"#32768";

}  // namespace tov
