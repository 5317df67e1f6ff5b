// The host's main window: owner of the plug-in list, the host's tray icon, the list window and
// the combination state, and the IPluginHost that every plug-in receives. Everything runs on the
// thread that created it.
#pragma once

#include <windows.h>

#include <memory>

#include "plugin_api.h"
#include "tray_icon.h"
#include "window.h"

namespace tov {

// Private messages of the host, sent or posted to its main window.
inline constexpr UINT WM_TRAYICON = WM_APP + 5;      // callback of every tray icon of the host
inline constexpr UINT WM_SHOWTRAYICON = WM_APP + 6;  // show the host's tray icon (second start)
inline constexpr UINT WM_HIDETRAYICON = WM_APP + 7;  // hide it

inline constexpr wchar_t kMainWindowClass[] = L"TOV";
inline constexpr wchar_t kMessageCaption[] = L"TOV";
inline constexpr wchar_t kSettingsBase[] = L"TOV";
inline constexpr int kListWindowId = 110;

class MainWindow final : public Window, public IPluginHost {
 public:
  MainWindow();
  ~MainWindow() override;

  // Creates the window; its WM_CREATE loads everything. False when the window was not created.
  bool create(bool hideTrayIcon);

  // IPluginHost
  void destroyHost() override;
  HWND getMainWindow() override { return handle(); }
  int reserved2() override { return 0; }
  int reserved3(int) override { return 0; }
  bool getExplorerFolder(HWND explorerWindow, wchar_t* buffer) override;
  bool getHostDirectory(wchar_t* buffer) override;
  bool showPluginMenu(int position, const POINT* screenPoint) override;
  int readSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                     int defaultValue) override;
  bool writeSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                       int value) override;
  bool setTrayIcon(int position, HICON icon) override;
  bool showTrayIcon(int position, bool show) override;
  bool toggleTrayIcon(int position) override;
  bool isTrayIconShown(int position) override;

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT onCreate(bool hideTrayIcon);
  void onSize(int width, int height);
  void savePlacement();
  void restorePlacement();
  void onEndSession();
  void onTaskbarCreated();
  void onCommand(WPARAM wParam, LPARAM lParam);
  void onTrayIcon(WPARAM identifier, LPARAM mouseMessage);
  void showHostTrayIcon();

  TrayIcon hostTrayIcon_;
  HWND listWindow_ = nullptr;
  UINT taskbarCreatedMessage_;
};

}  // namespace tov
