// Whether a window is the shell's items view (core/items_view.h): two class names, read into
// buffers on the stack, so hooks may ask.
#pragma once

#include <windows.h>

#include "core/items_view.h"

namespace tov {

inline bool isItemsView(HWND window) {
  constexpr int kCapacity = static_cast<int>(kItemsViewClassCapacity);
  wchar_t name[kCapacity];
  if (window == nullptr || GetClassNameW(window, name, kCapacity) == 0 ||
      std::wcscmp(name, kItemsViewClass) != 0)
    return false;
  wchar_t parent[kCapacity];
  if (GetClassNameW(GetAncestor(window, GA_PARENT), parent, kCapacity) == 0) return false;
  return isItemsViewClasses(name, parent);
}

}  // namespace tov
