// Which press flips a window's always-on-top state, and which way it goes, without Windows.
#pragma once

#include <cstdint>

#include "core/win32_names.h"

namespace tov::topmost {

// A right press on a close button (WM_NCRBUTTONDOWN with HTCLOSE).
bool isPinPress(std::uintptr_t message, int hitTest);

// Whether a window with this extended style is to become always-on-top (it is not yet).
bool shouldPin(std::uint32_t exStyle);

}  // namespace tov::topmost
