// The decisions of the go-up double click on the shell's items view that need no window. The
// items view's class has no double-click style, so a double click reaches it as two left presses;
// whether the second one landed on the empty background is asked of the view's accessibility.
#pragma once

#include <cstdint>

#include "core/win32_names.h"

namespace tov::pushup {

// One left press (WM_LBUTTONDOWN, the one mouse message the pairing looks at): the window it went
// to, when (milliseconds of the system's tick count, which wraps) and where (screen coordinates).
struct Press {
  std::uintptr_t view;
  std::uint32_t time;
  std::int32_t x, y;
};

// The system's double-click settings: GetDoubleClickTime(), SM_CXDOUBLECLK, SM_CYDOUBLECLK.
struct DoubleClickLimits {
  std::uint32_t time;
  std::int32_t width, height;
};

// Whether `second` makes a double click with the press before it, `first`, as the system pairs
// clicks for windows that ask for double clicks: the same window, at most the double-click time
// later, and inside the double-click rectangle centred on the first press. An empty first press
// (view 0) pairs with nothing.
bool isDoubleClick(const Press& first, const Press& second, const DoubleClickLimits& limits);

// What the accessibility hit test found at the second press: the view itself (a list) or a group
// of items (the empty space inside a group) is the background; an item or anything else is not.
// `role` is an accessibility role, ROLE_SYSTEM_LIST and the like.
bool isBackgroundRole(long role);

}  // namespace tov::pushup
