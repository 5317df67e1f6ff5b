// What the host tells the user: message boxes with TOV's caption.
#pragma once

#include <windows.h>

#include <string>

namespace tov {

inline constexpr wchar_t kMessageCaption[] = L"TOV";

// A message box owned by `owner` (the main window, once there is one), with TOV's caption.
void showMessage(HWND owner, const std::wstring& text, UINT type);

}  // namespace tov
