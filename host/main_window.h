// The host's main window. It owns the parts of the host and wires them together: the plug-in
// list and the IPluginHost the plug-ins call back into, HookOrder.ini, the host's tray icon and
// menu, the combinations, and the list window that fills its client area. Itself it handles the
// window's messages, routes commands and tray clicks, and keeps the window's placement.
// Everything runs on the thread that created it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "combination_switcher.h"
#include "core/combinations.h"
#include "hook_order_file.h"
#include "host_tray.h"
#include "message_box.h"
#include "plugin_host.h"
#include "plugin_list.h"
#include "plugin_list_view.h"
#include "session_block.h"
#include "tray_icon.h"
#include "window.h"

namespace tov {

inline constexpr const wchar_t* kMainWindowClass = kHostWindowClass;  // "TOV"
inline constexpr wchar_t kSettingsBase[] = L"TOV";
inline constexpr int kListWindowId = 110;

class MainWindow final : public Window {
 public:
  MainWindow();
  ~MainWindow() override;

  // Creates the window; its WM_CREATE loads everything. False when the window was not created.
  bool create(bool hideTrayIcon);
  // The end of the host, the plug-ins with it: what main() does last, and what the plug-ins'
  // IPluginHost does for its destructor.
  void destroyHost() { delete this; }

  // Creates, loads and starts one plug-in and appends it to the list; warns and returns false
  // when any step fails.
  bool loadPlugin(const std::wstring& path);
  void loadHookOrder();
  // Writes the plug-ins' flags back into HookOrder.ini; false (after telling the user) when the
  // file could not be read or replaced.
  bool saveHookOrder();

  // The tray menu as showTrayMenu pops it up; the caller destroys it.
  HMENU createTrayMenu() const;
  void showTrayMenu() const;
  void shiftCombination() { combinationSwitcher_.shiftCombination(); }
  void applyCombination(const PluginSet& set) { combinationSwitcher_.applyCombination(set); }
  bool syncCombination() { return combinationSwitcher_.syncCombination(); }
  void updateCombinationIcon() { combinationSwitcher_.updateCombinationIcon(); }

  const PluginList& plugins() const { return pluginList_; }
  const Combinations& combinations() const { return combinationSwitcher_.combinations(); }
  const TrayIcon& hostTrayIcon() const { return hostTray_.icon(); }

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT onCreate(bool hideTrayIcon);
  void onSize(int width, int height);
  // The window moved to a monitor of another scaling: the system suggests its new rectangle.
  void onDpiChanged(int dpi, const RECT* suggested);
  void savePlacement();
  void restorePlacement();
  // WM_ENDSESSION: `ending` its wParam, `reasons` its lParam.
  void onEndSession(bool ending, std::uint32_t reasons);
  void onTaskbarCreated();
  void onCommand(WPARAM wParam, LPARAM lParam);
  void onPluginCommand(int position, int offset, LPARAM param);
  void onTrayIcon(WPARAM identifier, LPARAM mouseMessage);
  void showVersionInfo();
  void destroyPluginList();

  // Where the hooks in other programs find this window and the plug-ins' command bases; set up
  // before the first plug-in loads, and taken down after the last has gone.
  SessionBlock sessionBlock_;
  // Declared in the order they are built: each part is handed the ones above it.
  HostTray hostTray_;
  PluginListView listWindow_;
  PluginList pluginList_;
  PluginHost pluginHost_;
  HookOrderFile hookOrderFile_;
  CombinationSwitcher combinationSwitcher_;
  // The caption's small icon for a monitor of another scaling than the system's; owned.
  HICON captionIcon_ = nullptr;
  UINT taskbarCreatedMessage_;
  // While restorePlacement moves the window: a stored placement is in pixels as written, so a
  // change of monitor on the way must not resize it.
  bool placing_ = false;
};

}  // namespace tov
