// One notification-area icon of the host. The icon handle is not owned: whoever sets it frees it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

namespace tov {

// The side of a notification-area icon in pixels: the small icon of the taskbar's scaling, which
// is the system's.
int trayIconSize();
// An icon file (relative to the current folder) loaded at that size; null when it cannot be read.
// The caller destroys it.
HICON loadTrayIconFile(const std::wstring& file);

class TrayIcon {
 public:
  TrayIcon(HWND owner, UINT callbackMessage, HICON icon, std::wstring_view tooltip);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Puts the icon into the notification area. An icon that the area already holds (the shell
  // refuses a second add of the same owner and identifier) counts as shown, so that shown always
  // tells whether the icon is really there.
  void add();
  // add, then modify: the icon put (back) into the notification area as it is now.
  void show() {
    add();
    modify();
  }
  // Sends the current owner, image and tooltip; false when the shell refuses (icon not there).
  bool modify();
  // Shows a notification from the icon (a balloon; a toast on Windows 10 and 11), once: the
  // owner, image and tooltip stay as they are, and no later modify shows it again. False when
  // the shell refuses (icon not there).
  bool notify(std::wstring_view title, std::wstring_view text);
  // Takes the icon out of the area if shown; returns whether it is now not shown.
  bool remove();

  bool isShown() const { return shown_; }
  HICON icon() const { return data_.hIcon; }
  HWND owner() const { return data_.hWnd; }
  UINT identifier() const { return data_.uID; }
  const wchar_t* tooltip() const { return data_.szTip; }
  void setOwner(HWND owner) { data_.hWnd = owner; }
  void setIdentifier(UINT identifier) { data_.uID = identifier; }
  void setIcon(HICON icon) { data_.hIcon = icon; }
  void setTooltip(std::wstring_view tooltip);

 private:
  NOTIFYICONDATAW data_{};
  bool shown_ = false;
};

}  // namespace tov
