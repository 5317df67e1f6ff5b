#include "display_scaling.h"

#include "core/scaling.h"
#include "library_search.h"

namespace tov {

namespace {

// MDT_EFFECTIVE_DPI of shcore's GetDpiForMonitor.
constexpr int kEffectiveDpi = 0;

template <class Function>
Function user32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

using GetDpiForSystemFunction = UINT(WINAPI*)();
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// The screen's scaling as older systems state it.
UINT screenDpi() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return kDefaultDpi;
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi > 0 ? dpi : kDefaultDpi);
}

GetDpiForMonitorFunction getDpiForMonitor() {
  // Loaded once, from the system folder, and kept for the program's life.
  static HMODULE shcore = loadSystemLibrary(L"shcore.dll");
  if (shcore == nullptr) return nullptr;
  return reinterpret_cast<GetDpiForMonitorFunction>(
      reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
}

}  // namespace

UINT systemDpi() {
  static const auto function = user32Function<GetDpiForSystemFunction>("GetDpiForSystem");
  UINT dpi = function != nullptr ? function() : 0;
  return dpi != 0 ? dpi : screenDpi();
}

UINT windowDpi(HWND window) {
  static const auto function = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  UINT dpi = function != nullptr ? function(window) : 0;
  return dpi != 0 ? dpi : systemDpi();
}

UINT monitorDpi(HMONITOR monitor) {
  static const GetDpiForMonitorFunction function = getDpiForMonitor();
  UINT dpiX = 0;
  UINT dpiY = 0;
  if (monitor == nullptr || function == nullptr ||
      FAILED(function(monitor, kEffectiveDpi, &dpiX, &dpiY)) || dpiX == 0) {
    return systemDpi();
  }
  return dpiX;
}

int systemMetricForDpi(int index, UINT dpi) {
  static const auto function =
      user32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
  if (function != nullptr) return function(index, dpi);
  // The metric is given at the system's scaling.
  return scaleForDpi(GetSystemMetrics(index) * kDefaultDpi / static_cast<int>(systemDpi()),
                     static_cast<int>(dpi));
}

bool iconTitleFontForDpi(LOGFONTW& font, UINT dpi) {
  static const auto function =
      user32Function<SystemParametersInfoForDpiFunction>("SystemParametersInfoForDpi");
  if (function != nullptr)
    return function(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0, dpi) != FALSE;
  if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0)) return false;
  font.lfHeight = font.lfHeight * static_cast<LONG>(dpi) / static_cast<LONG>(systemDpi());
  return true;
}

}  // namespace tov
