// The host's main window: owner of the plug-in list, the host's tray icon, the list window and
// the combination state, and the IPluginHost that every plug-in receives. Everything runs on the
// thread that created it.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/combinations.h"
#include "core/hook_order.h"
#include "plugin_api.h"
#include "plugin_list_view.h"
#include "plugin_module.h"
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
inline constexpr wchar_t kHookOrderFile[] = L"HookOrder.ini";
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

  // Creates, loads and starts one plug-in and appends it to the list; warns and returns false
  // when any step fails.
  bool loadPlugin(const std::wstring& path);
  void loadHookOrder();
  // Writes the plug-ins' flags back into HookOrder.ini; false (after telling the user) when the
  // file could not be read or replaced.
  bool saveHookOrder();

  // The tray menu as showTrayMenu pops it up; the caller destroys it.
  HMENU createTrayMenu();
  void showTrayMenu();
  void shiftCombination();
  void applyCombination(const PluginSet& set);
  bool syncCombination();
  void updateCombinationIcon();

  const PluginList& plugins() const { return pluginList; }
  const Combinations& combinations() const { return combinations_; }
  const TrayIcon& hostTrayIcon() const { return hostTrayIcon_; }

 private:
  // What HookOrder.ini said about each loaded plug-in, parallel to pluginList.
  struct HookOrderEntry {
    Membership membership = 0;
    std::optional<FlagLine> flagLine;  // only for lines whose flags were applied
  };

  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT onCreate(bool hideTrayIcon);
  void onSize(int width, int height);
  // The window moved to a monitor of another scaling: the system suggests its new rectangle.
  void onDpiChanged(int dpi, const RECT* suggested);
  void savePlacement();
  void restorePlacement();
  void onEndSession();
  void onTaskbarCreated();
  void onCommand(WPARAM wParam, LPARAM lParam);
  void onPluginCommand(int position, int offset, LPARAM param);
  void onTrayIcon(WPARAM identifier, LPARAM mouseMessage);
  void showHostTrayIcon();
  void showVersionInfo();
  void selectCombination(int index);
  void destroyPluginList();
  PluginModule* moduleAt(int position) const;
  // getExplorerFolder without the guard.
  bool findExplorerFolder(HWND explorerWindow, wchar_t* buffer);
  template <class Result, class Operation>
  static Result guarded(Result failure, Operation operation);
  void warn(const std::wstring& text, UINT type);

  TrayIcon hostTrayIcon_;
  PluginListView listWindow_;
  PluginList pluginList;
  std::vector<HookOrderEntry> hookOrderEntries_;
  Combinations combinations_;
  HICON combinationIcon = nullptr;
  HICON captionIcon_ =
      nullptr;  // the small icon for a monitor of another scaling than the system's
  UINT taskbarCreatedMessage_;
  // While restorePlacement moves the window: a stored placement is in pixels as written, so a
  // change of monitor on the way must not resize it.
  bool placing_ = false;
};

}  // namespace tov
