#include "tray_icon.h"

#include "core/tray_text.h"
#include "display_scaling.h"

namespace tov {

int trayIconSize() { return systemMetricForDpi(SM_CXSMICON, systemDpi()); }

HICON loadTrayIconFile(const std::wstring& file) {
  const int size = trayIconSize();
  return static_cast<HICON>(
      LoadImageW(nullptr, file.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
}

namespace {

// Copies text cut to the field's capacity, terminator included.
template <std::size_t capacity>
void copyCut(wchar_t (&field)[capacity], std::wstring_view text) {
  std::size_t length = text.copy(field, capacity - 1);
  field[length] = L'\0';
}

}  // namespace

TrayIcon::TrayIcon(HWND owner, UINT callbackMessage, HICON icon, std::wstring_view tooltip) {
  // The layout of Windows 2000 on, the first with a notification; the tooltip is still cut to the
  // first layout's 64 characters.
  data_.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data_.hWnd = owner;
  data_.uID = 0;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  setTooltip(tooltip);
}

TrayIcon::~TrayIcon() { remove(); }

void TrayIcon::setTooltip(std::wstring_view tooltip) {
  static_assert(sizeof(data_.szTip) / sizeof(data_.szTip[0]) >= kTooltipCapacity);
  std::wstring_view cut = trayTooltip(tooltip);
  cut.copy(data_.szTip, cut.size());
  data_.szTip[cut.size()] = L'\0';
}

void TrayIcon::add() {
  if (Shell_NotifyIconW(NIM_ADD, &data_)) {
    shown_ = true;
    return;
  }
  // Refused: either the area is not there, or it already holds this icon. Only in the second
  // case does a modify go through.
  shown_ = Shell_NotifyIconW(NIM_MODIFY, &data_) != FALSE;
}

bool TrayIcon::modify() { return Shell_NotifyIconW(NIM_MODIFY, &data_) != FALSE; }

bool TrayIcon::notify(std::wstring_view title, std::wstring_view text) {
  // A copy with the notification alone: the icon's own data never carries NIF_INFO.
  NOTIFYICONDATAW notice = data_;
  notice.uFlags = NIF_INFO;
  copyCut(notice.szInfoTitle, title);
  copyCut(notice.szInfo, text);
  notice.dwInfoFlags = NIIF_INFO;
  return Shell_NotifyIconW(NIM_MODIFY, &notice) != FALSE;
}

bool TrayIcon::remove() {
  if (shown_) shown_ = Shell_NotifyIconW(NIM_DELETE, &data_) == FALSE;
  return !shown_;
}

}  // namespace tov
