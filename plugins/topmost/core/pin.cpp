#include "pin.h"

namespace tov::topmost {

bool isPinPress(std::uintptr_t message, int hitTest) {
  return message == 0xA4 && hitTest == 20;  // WM_NCRBUTTONDOWN on HTCLOSE
}

bool shouldPin(std::uint32_t exStyle) {
  return (exStyle & 0x8u) == 0;
}  // WS_EX_TOPMOST

}  // namespace tov::topmost
