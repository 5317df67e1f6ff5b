#include "window_rules.h"

#include <cwchar>

namespace tov {

DesktopClass desktopClass(const wchar_t* className) {
  if (std::wcscmp(className, L"Progman") == 0) return DesktopClass::kYes;
  if (std::wcscmp(className, L"WorkerW") == 0) return DesktopClass::kIfItHoldsTheShellView;
  return DesktopClass::kNo;
}

bool mayActOn(IntegrityLevel target, IntegrityLevel own) {
  if (!own) return true;
  return target && *target <= *own;
}

bool isAtOrAbove(IntegrityLevel level, IntegrityLevel own) {
  if (!own) return true;
  return level && *level >= *own;
}

}  // namespace tov
