// The display-scaling calls of Windows 10 (user32, version 1607 on) and of shcore.dll, looked up
// when first needed: TOV.exe imports neither, so it still starts where they are missing (there the
// whole desktop has the system's one scaling, read from the screen) and no shcore.dll lying
// beside it is ever loaded.
#pragma once

#include <windows.h>

namespace tov {

UINT systemDpi();
UINT windowDpi(HWND window);
// The effective scaling of a monitor.
UINT monitorDpi(HMONITOR monitor);
// GetSystemMetrics at a scaling.
int systemMetricForDpi(int index, UINT dpi);
// The font of icon titles at a scaling.
bool iconTitleFontForDpi(LOGFONTW& font, UINT dpi);

}  // namespace tov
