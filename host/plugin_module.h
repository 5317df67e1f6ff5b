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

  // Loads the library and creates the plug-in object with `id`. On failure whatever was achieved
  // stays for the destructor to undo.
  bool load(const wchar_t* libraryPath, IPluginHost* host, int id);
  // Whether the plug-in object exists: from a successful load until unload.
  bool hasPlugin() const { return plugin_ != nullptr; }
  // Whether a call into a plug-in that may wait (start, stop, setUse, onCommand, unloading) is
  // under way on the host's thread, below the message being handled.
  static bool callUnderWay();

  // Pops the module's menu up at a screen point for `ownerWindow`, which receives the chosen
  // command; false without a plug-in object.
  bool showMenu(POINT screenPoint, HWND ownerWindow);
  bool isTrayIconShown() const;
  // "<name>_use.ico" or "<name>_not_use.ico" from the current folder, else the host's own image.
  HICON loadStateIcon();
  // A null icon returns the tray image to the state images.
  bool setTrayIcon(HICON icon);
  bool showTrayIcon(bool show);
  bool toggleTrayIcon();
  void toggleUse();

  const std::wstring& libraryPath() const { return path_; }
  // The plug-in's notification-area icon, or null while it has none.
  const TrayIcon* notificationIcon() const { return trayIcon_.get(); }
  HMODULE libraryHandle() const { return library_; }

 private:
  // stop, release, FreeLibrary, in that order: undoes whatever load achieved. False when nothing
  // was loaded. Only the destructor unloads, so that the list counts every plug-in object that
  // goes.
  bool unload();

  std::wstring path_;
  HMODULE library_ = nullptr;
  IPlugin* plugin_ = nullptr;
  IPluginHost* host_ = nullptr;
  std::unique_ptr<TrayIcon> trayIcon_;
  HICON customIcon_ = nullptr;  // handed in by the plug-in, not owned
  HICON stateIcon_ = nullptr;   // owned
};

}  // namespace tov
