// Whether a window is the shell's items view (core/items_view.h): its class and its parent's,
// read without sending anything, so hooks may ask.
#pragma once

#include <windows.h>

#include "core/items_view.h"
#include "window_classes.h"

namespace tov {

inline bool isItemsView(HWND window) {
  ClassName name(window);
  return name.is(kItemsViewClass) &&
         isItemsViewClasses(name.get(), ClassName(GetAncestor(window, GA_PARENT)).get());
}

}  // namespace tov
