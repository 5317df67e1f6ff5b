#include "middle_button.h"

#include <cwchar>

namespace tov {

MiddleMessage classifyMiddle(std::uintptr_t message) {
  switch (message) {
    case 0x207:  // WM_MBUTTONDOWN
    case 0x0A7:  // WM_NCMBUTTONDOWN
      return MiddleMessage::kPress;
    case 0x208:  // WM_MBUTTONUP
    case 0x0A8:  // WM_NCMBUTTONUP
      return MiddleMessage::kRelease;
    default:
      return MiddleMessage::kOther;
  }
}

namespace {
constexpr const wchar_t* kShellClasses[] = {L"Progman", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd",
                                            L"BaseBar", L"WorkerW"};
}  // namespace

bool isDesktopOrTaskbarClass(const wchar_t* className) {
  for (const wchar_t* shellClass : kShellClasses) {
    if (std::wcscmp(className, shellClass) == 0) return true;
  }
  return false;
}

}  // namespace tov
