// The host's own notification-area icon and the tray menu it opens. The icon shows the active
// combination (CombinationSwitcher sets its image and tooltip); the main window routes its clicks:
// a left press or double click shifts the combination, a right release opens the menu.
#pragma once

#include <windows.h>

#include "core/combinations.h"
#include "plugin_list.h"
#include "tray_icon.h"

namespace tov {

// Private messages of the host, sent or posted to its main window.
inline constexpr UINT WM_TRAYICON = WM_APP + 5;      // callback of every tray icon of the host
inline constexpr UINT WM_SHOWTRAYICON = WM_APP + 6;  // show the host's tray icon (second start)
inline constexpr UINT WM_HIDETRAYICON = WM_APP + 7;  // hide it

class HostTray {
 public:
  // The icon has no owner and no image yet; its identifier is 0, its tooltip "TOV".
  HostTray() : icon_(nullptr, WM_TRAYICON, nullptr, L"TOV") {}

  // At the main window's creation: the icon is `owner`'s and shows TOV's own image; it goes into
  // the notification area unless the user started TOV with "/hide".
  void attach(HWND owner, bool hidden);
  // Puts the icon into the notification area and updates it.
  void show() { icon_.show(); }
  void hide() { icon_.remove(); }
  // The taskbar was created anew, with an empty notification area: an icon that was shown is put
  // back.
  void restore();

  // The tray menu as showTrayMenu pops it up; the caller destroys it.
  HMENU createTrayMenu(const Combinations& combinations, const PluginList& plugins) const;
  // Pops the menu up at the cursor for the icon's owner, which receives the chosen command.
  void showTrayMenu(const Combinations& combinations, const PluginList& plugins) const;

  // TOV's own image at the notification area's size, shared (never destroyed): the icon shows it
  // when no combination has an image file.
  static HICON defaultImage();

  TrayIcon& icon() { return icon_; }
  const TrayIcon& icon() const { return icon_; }

 private:
  TrayIcon icon_;
};

}  // namespace tov
