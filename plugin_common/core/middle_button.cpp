#include "middle_button.h"

#include <cwchar>

namespace tov {

MiddleMessage classifyMiddle(std::uintptr_t message) {
  switch (message) {
    case WM_MBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
      return MiddleMessage::kPress;
    case WM_MBUTTONUP:
    case WM_NCMBUTTONUP:
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
