#include "window_classes.h"

#include <cwchar>

#include "core/middle_button.h"
#include "core/window_rules.h"

namespace tov {

ClassName::ClassName(HWND window) {
  if (window == nullptr || GetClassNameW(window, name_, kCapacity) == 0) name_[0] = L'\0';
}

bool ClassName::is(const wchar_t* name) const { return std::wcscmp(name_, name) == 0; }

bool hasClass(HWND window, const wchar_t* className) { return ClassName(window).is(className); }

ClassName rootOwnerClass(HWND window) { return ClassName(GetAncestor(window, GA_ROOTOWNER)); }

namespace {

struct DescendantSearch {
  const wchar_t* className;
  WindowTest accept;
  LPARAM context;
  HWND found;
};

BOOL CALLBACK matchDescendant(HWND child, LPARAM parameter) {
  auto* search = reinterpret_cast<DescendantSearch*>(parameter);
  if (!hasClass(child, search->className) ||
      (search->accept != nullptr && !search->accept(child, search->context)))
    return TRUE;
  search->found = child;
  return FALSE;
}

}  // namespace

HWND firstDescendant(HWND parent, const wchar_t* className, WindowTest accept, LPARAM context) {
  DescendantSearch search{className, accept, context, nullptr};
  EnumChildWindows(parent, matchDescendant, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool inHiddenTab(HWND view, HWND window) {
  for (HWND above = GetAncestor(view, GA_PARENT); above != nullptr && above != window;
       above = GetAncestor(above, GA_PARENT)) {
    if (hasClass(above, L"ShellTabWindowClass") &&
        (GetWindowLongW(above, GWL_STYLE) & WS_VISIBLE) == 0)
      return true;
  }
  return false;
}

bool isDesktopWindow(HWND window, const wchar_t* className) {
  switch (desktopClass(className)) {
    case DesktopClass::kYes:
      return true;
    case DesktopClass::kIfItHoldsTheShellView:
      return FindWindowExW(window, nullptr, kShellViewClass, nullptr) != nullptr;
    case DesktopClass::kNo:
      break;
  }
  return false;
}

bool isDesktopOrTaskbar(HWND window) { return isDesktopOrTaskbarClass(ClassName(window).get()); }

HWND shownPopupMenu() {
  HWND menu = FindWindowW(kMenuClass, nullptr);
  return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
}

}  // namespace tov
