// The host's record of one loaded plug-in library. It drives the plug-in object through IPlugin,
// adds the host's two menu items and the defaults for the reserved command offsets, and owns the
// plug-in's tray icon and state image. The rest of the host talks to plug-ins only through it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "plugin_api.h"
#include "tray_icon.h"

namespace tov {

// The number of plug-in objects that exist: the id the next createInstance gets. Between loads
// it equals the length of the host's plug-in list, so ids are list positions.
extern int liveCount;

class PluginModule final : public IPlugin {
 public:
  PluginModule() = default;
  // Removes the tray icon, destroys the state image, then unloads.
  ~PluginModule() override;
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // IPlugin: forwarded to the plug-in, with the host's additions.
  IPlugin* getInterface() override { return nullptr; }
  int getId() override;
  const wchar_t* getName() override;
  int getCommandBase() override;
  // The plug-in's own items, a separator when there are any, "Is Use" and "Is Use TrayIcon".
  HMENU createMenu() override;
  // Offered to the plug-in first; the host's default follows when it declines.
  bool onCommand(int commandOffset, LPARAM param) override;
  bool start() override;
  bool stop() override;
  // Also brings the tray image in line with the new state.
  bool setUse(bool use) override;
  bool isUse() override;
  // A module is destroyed by its owner, never released.
  bool release() override { return false; }

  // Loads the library and creates the plug-in object with id liveCount. On failure whatever was
  // achieved stays for the destructor to undo.
  bool load(const wchar_t* libraryPath, IPluginHost* host);
  // stop, release, FreeLibrary, in that order. False when nothing was loaded.
  bool unload();
  // Whether a call into a plug-in that may wait (start, stop, setUse, onCommand, unloading) is
  // under way on the host's thread, below the message being handled.
  static bool callUnderWay();

  bool showMenu(POINT screenPoint, HWND ownerWindow);
  bool isTrayIconShown() const;
  // "<name>_use.ico" or "<name>_not_use.ico" from the current folder, else the host's own image.
  HICON loadStateIcon();
  // A null icon returns the tray image to the state images.
  bool setTrayIcon(HICON icon);
  bool showTrayIcon(bool show);
  bool toggleTrayIcon();
  void toggleUse();

  const std::wstring& libraryPath() const { return path; }
  // The plug-in's notification-area icon, or null while it has none.
  const TrayIcon* notificationIcon() const { return trayIcon.get(); }
  HMODULE libraryHandle() const { return library; }

 private:
  std::wstring path;
  HMODULE library = nullptr;
  IPlugin* plugin = nullptr;
  IPluginHost* host = nullptr;
  std::unique_ptr<TrayIcon> trayIcon;
  HICON customIcon = nullptr;  // handed in by the plug-in, not owned
  HICON stateIcon = nullptr;   // owned
};

}  // namespace tov
