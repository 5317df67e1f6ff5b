#include "plugin_module.h"

#include "core/plugin_rules.h"
#include "main_window.h"
#include "popup_menu.h"
#include "resource.h"

namespace tov {

int liveCount = 0;

namespace {

// Calls into plug-ins under way on the host's thread. A plug-in that waits (for its worker, for
// a view's answer) goes on answering the messages other threads send to the host meanwhile, so a
// message handled below such a call must not unload the plug-ins under it.
int callsUnderWay = 0;

class PluginCall {
 public:
  PluginCall() { ++callsUnderWay; }
  ~PluginCall() { --callsUnderWay; }
  PluginCall(const PluginCall&) = delete;
  PluginCall& operator=(const PluginCall&) = delete;
};

}  // namespace

bool PluginModule::callUnderWay() { return callsUnderWay > 0; }

PluginModule::~PluginModule() {
  trayIcon.reset();
  if (stateIcon != nullptr) DestroyIcon(stateIcon);
  stateIcon = nullptr;
  unload();
}

int PluginModule::getId() { return plugin != nullptr ? plugin->getId() : -1; }

const wchar_t* PluginModule::getName() {
  const wchar_t* name = plugin != nullptr ? plugin->getName() : nullptr;
  return name != nullptr ? name : L"";
}

int PluginModule::getCommandBase() { return plugin != nullptr ? plugin->getCommandBase() : 0; }

bool PluginModule::start() {
  PluginCall call;
  return plugin != nullptr && plugin->start();
}

bool PluginModule::stop() {
  PluginCall call;
  return plugin != nullptr && plugin->stop();
}

bool PluginModule::isUse() { return plugin != nullptr && plugin->isUse(); }

bool PluginModule::load(const wchar_t* libraryPath, IPluginHost* pluginHost) {
  if (library != nullptr || libraryPath == nullptr) return false;
  library = LoadLibraryW(libraryPath);
  if (library == nullptr) return false;
  auto createInstance = reinterpret_cast<CreateInstanceFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, kCreateInstanceExport)));
  if (createInstance == nullptr) return false;
  IPlugin* created = createInstance(pluginHost, liveCount);
  if (created == nullptr) return false;
  liveCount += 1;
  plugin = created;
  host = pluginHost;
  path = libraryPath;
  return true;
}

bool PluginModule::unload() {
  if (library == nullptr) return false;
  PluginCall call;
  if (plugin != nullptr) {
    plugin->stop();
    plugin->release();
    plugin = nullptr;
    liveCount -= 1;
  }
  FreeLibrary(library);
  library = nullptr;
  host = nullptr;
  path.clear();
  return true;
}

HMENU PluginModule::createMenu() {
  HMENU menu = plugin != nullptr ? plugin->createMenu() : nullptr;
  if (menu == nullptr) menu = CreatePopupMenu();
  if (menu == nullptr) return nullptr;
  if (GetMenuItemCount(menu) > 0) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  int base = getCommandBase();
  AppendMenuW(menu, MF_STRING | (isUse() ? MF_CHECKED : MF_UNCHECKED),
              static_cast<UINT_PTR>(base + kOffsetToggleUse), L"Is Use");
  AppendMenuW(menu, MF_STRING | (isTrayIconShown() ? MF_CHECKED : MF_UNCHECKED),
              static_cast<UINT_PTR>(base + kOffsetToggleTrayIcon), L"Is Use TrayIcon");
  return menu;
}

bool PluginModule::showMenu(POINT screenPoint, HWND ownerWindow) {
  if (plugin == nullptr) return false;
  HMENU menu = createMenu();
  if (menu == nullptr) return false;
  showPopupMenu(menu, screenPoint, ownerWindow);
  return true;
}

bool PluginModule::onCommand(int commandOffset, LPARAM param) {
  if (plugin == nullptr) return false;
  if (commandOffset == kOffsetTaskbarCreated && isTrayIconShown()) {
    // The new taskbar's notification area is empty: put the icon back.
    trayIcon->add();
    trayIcon->modify();
  }
  {
    PluginCall call;
    if (plugin->onCommand(commandOffset, param)) return true;
  }
  switch (defaultAction(commandOffset, param)) {
    case DefaultAction::kToggleUse:
      toggleUse();
      return true;
    case DefaultAction::kShowMenu: {
      POINT cursor{};
      GetCursorPos(&cursor);
      showMenu(cursor, host != nullptr ? host->getMainWindow() : nullptr);
      return true;
    }
    case DefaultAction::kToggleTrayIcon:
      toggleTrayIcon();
      return true;
    case DefaultAction::kNone:
      break;
  }
  return false;
}

void PluginModule::toggleUse() { setUse(!isUse()); }

bool PluginModule::setUse(bool use) {
  if (plugin == nullptr) return false;
  bool result = false;
  {
    PluginCall call;
    result = plugin->setUse(use);
  }
  if (trayIcon == nullptr) return result;
  HICON image = customIcon != nullptr ? customIcon : loadStateIcon();
  if (image == nullptr) return result;
  trayIcon->setIcon(image);
  trayIcon->modify();
  return result;
}

HICON PluginModule::loadStateIcon() {
  if (plugin == nullptr) return nullptr;
  bool use = isUse();
  std::wstring file = stateIconFile(getName(), use);
  if (stateIcon != nullptr) DestroyIcon(stateIcon);
  const int size = trayIconSize();
  stateIcon = static_cast<HICON>(
      LoadImageW(nullptr, file.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
  if (stateIcon == nullptr) {
    stateIcon = static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(use ? IDI_PLUGIN_USE : IDI_PLUGIN_NOT_USE),
        IMAGE_ICON, size, size, 0));
  }
  return stateIcon;
}

bool PluginModule::setTrayIcon(HICON icon) {
  if (plugin == nullptr) return false;
  customIcon = icon;
  if (icon == nullptr) icon = loadStateIcon();
  if (trayIcon != nullptr) {
    trayIcon->setIcon(icon);
  } else {
    HWND owner = host != nullptr ? host->getMainWindow() : nullptr;
    trayIcon = std::make_unique<TrayIcon>(owner, WM_TRAYICON, icon, getName());
    trayIcon->setIdentifier(static_cast<UINT>(getId() + 1));
  }
  // Refused while the icon is not in the notification area; that is expected.
  trayIcon->modify();
  return true;
}

bool PluginModule::showTrayIcon(bool show) {
  if (plugin == nullptr) return false;
  if (show) {
    if (trayIcon == nullptr) setTrayIcon(customIcon);
    trayIcon->add();
    trayIcon->modify();
  } else {
    trayIcon.reset();
  }
  return true;
}

bool PluginModule::toggleTrayIcon() {
  if (plugin == nullptr) return false;
  if (trayIcon == nullptr) setTrayIcon(customIcon);
  return showTrayIcon(!isTrayIconShown());
}

bool PluginModule::isTrayIconShown() const { return trayIcon != nullptr && trayIcon->isShown(); }

}  // namespace tov
