// The go-up double click on the shell's items view (Windows Vista on), for Pushup and PushupB.
// The view takes no double clicks, so the mouse hook pairs the left presses itself and hands a
// double click to the host. The host asks the view, through its accessibility, whether the point
// is its empty background, and then types Alt+Up, which goes up in these folder windows and file
// dialogs (Backspace goes back in the history there). The question crosses into the view's
// program and is never asked from inside a hook.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/items_view_click.h"

namespace tov::pushup {

// The command the hook posts to the host with the double-clicked view, in both libraries.
inline constexpr int kItemsViewGoUpOffset = 5;

// What the hooks keep of the presses, in the library's shared section: the last left press on an
// items view of a folder window or dialog, and the last double click handed to the host. The
// double click's point is kept in the view's client area together with its size, as the view's
// program saw them: a program that Windows scales for the display sees other numbers than the
// host, and the proportion is what both share.
struct ItemsViewPresses {
  HWND lastView;  // null when the last left press went elsewhere
  DWORD lastTime;
  POINT lastPoint;
  HWND doubleClicked;
  POINT doubleClickPoint;
  SIZE doubleClickClient;
};
inline constexpr ItemsViewPresses kNoPresses = {nullptr, 0, {0, 0}, nullptr, {0, 0}, {0, 0}};

// For the mouse hook, with a left press being taken: records it and, when it completes a double
// click on an items view of a folder window or dialog, posts `plugin`'s command
// kItemsViewGoUpOffset with the view to TOV (postToHost, when TOV runs). The press itself goes on
// to the view.
void noteLeftPress(ItemsViewPresses& presses, const wchar_t* plugin, const MOUSEHOOKSTRUCT& mouse);

// For the host, with the posted view. Anyone can post the command and write the shared section:
// it acts only on an items view of a folder window or dialog that is in front, of a program at
// TOV's integrity level or above, whose double click the hook recorded at a point inside it. The
// view that does not answer within about half a second has not been double-clicked on its
// background. The command is the plug-in's (offset kItemsViewGoUpOffset): false, declined, while
// the plug-in is not in use, else true.
bool goUpItemsView(HWND view, const ItemsViewPresses& presses, bool inUse);

}  // namespace tov::pushup
