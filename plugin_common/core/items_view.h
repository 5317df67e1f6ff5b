// The items view of the shell from Windows Vista on: folder windows and the file dialogs show
// their files in a "DirectUIHWND" whose parent is the shell view ("SHELLDLL_DefView"), not in a
// list control. How deep it sits below the top-level window differs between versions (a tab
// window per tab on Windows 11), so only the view and its parent are looked at.
#pragma once

#include <cwchar>

#include "core/window_rules.h"

namespace tov {

inline constexpr wchar_t kItemsViewClass[] = L"DirectUIHWND";

inline bool isItemsViewClasses(const wchar_t* viewClass, const wchar_t* parentClass) {
  return std::wcscmp(viewClass, kItemsViewClass) == 0 &&
         std::wcscmp(parentClass, kShellViewClass) == 0;
}

}  // namespace tov
