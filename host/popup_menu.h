// How every menu of the host pops up: the tray menu, a plug-in's menu from its tray icon or from
// IPluginHost, and the list window's context menu.
#pragma once

#include <windows.h>

namespace tov {

// Tracks `menu` at a screen point for `owner`, which receives the chosen item as WM_COMMAND, then
// destroys the menu with its submenus.
void showPopupMenu(HMENU menu, POINT screenPoint, HWND owner);

}  // namespace tov
