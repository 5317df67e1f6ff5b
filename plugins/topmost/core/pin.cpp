#include "pin.h"

namespace tov::topmost {

bool isPinPress(std::uintptr_t message, int hitTest) {
  return message == WM_NCRBUTTONDOWN && hitTest == HTCLOSE;
}

bool shouldPin(std::uint32_t exStyle) { return (exStyle & WS_EX_TOPMOST) == 0; }

}  // namespace tov::topmost
