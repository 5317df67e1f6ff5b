// The decisions of the taskbar button drag that need no window: when a press becomes a drag, and
// the order in which the windows go back onto the taskbar after a drop.
#pragma once

#include <cstddef>

namespace tov::shuffla {

// A press followed by moves that stay within 8 pixels of it (dx² + dy² ≤ 64) is an ordinary click.
bool beyondDragThreshold(int dx, int dy);

// A taskbar button's window, as far as the order is concerned.
using Handle = const void*;

// What the drop knows: the button indices found while dragging and the windows those buttons
// stood for then.
struct Drop {
  int source;           // the dragged button; -1 = none
  int target;           // the button under the pointer at the drop; -1 = none
  Handle sourceWindow;  // the window of the dragged button when the drag began
  Handle targetWindow;  // the window of the target button when the pointer last moved
};

// Writes into `order` (room for count + 1 entries) the windows in their new taskbar order: the
// dragged window taken out, its slot left as a null entry so that no other index moves, and put
// back just after the target when dragged towards higher indices, else just before it. `buttons`
// are the windows of the `count` buttons at the drop. Returns the number of entries written
// (count + 1), or 0 when nothing is to be moved: no source or target, a drop on itself, or a list
// that no longer holds the dragged or the target window where the drag saw them (buttons came or
// went during the drag).
std::size_t planMove(const Handle* buttons, std::size_t count, const Drop& drop, Handle* order);

}  // namespace tov::shuffla
