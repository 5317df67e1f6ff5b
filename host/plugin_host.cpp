#include "plugin_host.h"

#include <exception>
#include <string>

#include "core/plugin_rules.h"
#include "explorer_folder.h"
#include "main_window.h"
#include "plugin_list.h"
#include "settings.h"

namespace tov {

void PluginHost::destroyHost() { mainWindow_.destroyHost(); }

HWND PluginHost::getMainWindow() { return mainWindow_.handle(); }

// No exception may cross into a plug-in library: running out of memory on the way is reported as
// the operation's failure.
template <class Result, class Operation>
Result PluginHost::guarded(Result failure, Operation operation) {
  try {
    return operation();
  } catch (const std::exception&) {
    return failure;
  }
}

template <class Operation>
bool PluginHost::onModule(int position, Operation operation) {
  return guarded(false, [&] {
    PluginModule* module = plugins_.moduleAt(position);
    return module != nullptr && operation(*module);
  });
}

bool PluginHost::getHostDirectory(wchar_t* buffer) {
  return guarded(false, [&] {
    if (buffer == nullptr) return false;
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    std::wstring folder = folderOfPath(std::wstring_view(path, length));
    if (folder.empty()) return false;
    lstrcpynW(buffer, folder.c_str(), MAX_PATH);
    return true;
  });
}

bool PluginHost::getExplorerFolder(HWND explorerWindow, wchar_t* buffer) {
  return guarded(false, [&] { return findExplorerFolder(explorerWindow, buffer); });
}

bool PluginHost::showPluginMenu(int position, const POINT* screenPoint) {
  if (screenPoint == nullptr) return false;
  return onModule(position, [&](PluginModule& module) {
    module.showMenu(*screenPoint, mainWindow_.handle());
    return true;
  });
}

int PluginHost::readSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                               int defaultValue) {
  return guarded(defaultValue,
                 [&] { return tov::readSettingInt(base, section, key, defaultValue); });
}

bool PluginHost::writeSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                                 int value) {
  return guarded(false, [&] { return tov::writeSettingInt(base, section, key, value); });
}

bool PluginHost::setTrayIcon(int position, HICON icon) {
  return onModule(position, [&](PluginModule& module) { return module.setTrayIcon(icon); });
}

bool PluginHost::showTrayIcon(int position, bool show) {
  return onModule(position, [&](PluginModule& module) { return module.showTrayIcon(show); });
}

bool PluginHost::toggleTrayIcon(int position) {
  return onModule(position, [](PluginModule& module) { return module.toggleTrayIcon(); });
}

bool PluginHost::isTrayIconShown(int position) {
  return onModule(position, [](PluginModule& module) { return module.isTrayIconShown(); });
}

}  // namespace tov
