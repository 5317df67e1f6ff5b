// The part of the go-up double click that Pushup and PushupB share: where a left double click
// on a list goes up, and the Backspace key that does it.
#pragma once

#include <windows.h>

#include "core/go_up.h"

namespace tov::pushup {

// Where a double click on `list` goes up: nowhere unless it is a file list with no item
// selected (a double click on an item is that item's), inside an Explorer window or a dialog.
GoUp doubleClickTarget(HWND list);

// Posts the Backspace key to the list, as the keyboard would: the list's own window goes up.
void postBackspace(HWND list);

// Where a double click inside `window` goes up, by the classes of its root owner and its root
// window alone: for a list and for the shell's items view alike.
GoUp goUpTargetOf(HWND window);

}  // namespace tov::pushup
