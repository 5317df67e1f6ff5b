#include "popup_menu.h"

namespace tov {

void showPopupMenu(HMENU menu, POINT screenPoint, HWND owner) {
  // A menu closes on a click elsewhere only when its owner is the foreground window, whatever
  // opened it: the taskbar, the notification area's overflow flyout, another monitor's taskbar.
  // The owner keeps the focus it had when it already was in front (the list window's menu).
  if (GetForegroundWindow() != owner) {
    SetForegroundWindow(owner);
    SetFocus(owner);
  }
  TrackPopupMenu(menu, TPM_LEFTBUTTON, screenPoint.x, screenPoint.y, 0, owner, nullptr);
  // The task switch that lets the same menu open properly the next time.
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(menu);
  // TOV sits idle in the tray nearly all the time, and a menu is the most it does in a while:
  // afterwards it gives the pages it touched back to the system, so that while it waits for the
  // next click it costs the desktop almost no memory. They come back when next needed.
  SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

}  // namespace tov
