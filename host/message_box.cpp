#include "message_box.h"

namespace tov {

void showMessage(HWND owner, const std::wstring& text, UINT type) {
  MessageBoxW(owner, text.c_str(), kMessageCaption, type);
}

}  // namespace tov
