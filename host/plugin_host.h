// What plug-ins call back into: the IPluginHost that every createInstance receives. It answers
// from the main window, the plug-in list, the settings files and the shell's folder windows; a
// position names a plug-in in the list, which is its id. Runs on the host's thread, like every
// call into a plug-in.
#pragma once

#include <windows.h>

#include "plugin_api.h"

namespace tov {

class MainWindow;
class PluginList;

class PluginHost final : public IPluginHost {
 public:
  PluginHost(MainWindow& mainWindow, PluginList& plugins)
      : mainWindow_(mainWindow), plugins_(plugins) {}
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // The interface's destructor: ends the main window, which owns this object. No plug-in calls
  // it.
  void destroyHost() override;
  HWND getMainWindow() override;
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
  template <class Result, class Operation>
  static Result guarded(Result failure, Operation operation);
  // An operation on the module at a position, guarded; false when the position names none.
  template <class Operation>
  bool onModule(int position, Operation operation);

  MainWindow& mainWindow_;
  PluginList& plugins_;
};

}  // namespace tov
