// The items view of the shell from Windows Vista on: folder windows and the file dialogs show
// their files in a "DirectUIHWND" whose parent is the shell view ("SHELLDLL_DefView"), not in a
// list control. How deep it sits below the top-level window differs between versions (a tab
// window per tab on Windows 11), so only the view and its parent are looked at.
#pragma once

#include <cstddef>
#include <cwchar>

namespace tov {

inline constexpr wchar_t kItemsViewClass[] = L"DirectUIHWND";
inline constexpr wchar_t kShellViewClass[] = L"SHELLDLL_DefView";

// Characters read of a class name for this test, terminator included: one more than the longer
// name, so that a longer name with the same beginning does not pass.
inline constexpr std::size_t kItemsViewClassCapacity = sizeof kShellViewClass / sizeof(wchar_t) + 1;

inline bool isItemsViewClasses(const wchar_t* viewClass, const wchar_t* parentClass) {
  return std::wcscmp(viewClass, kItemsViewClass) == 0 &&
         std::wcscmp(parentClass, kShellViewClass) == 0;
}

}  // namespace tov
