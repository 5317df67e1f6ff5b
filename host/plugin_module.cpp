#include "plugin_module.h"

#include "core/plugin_rules.h"
#include "host_tray.h"
#include "popup_menu.h"
#include "resource.h"

namespace tov {

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
  trayIcon_.reset();
  if (stateIcon_ != nullptr) DestroyIcon(stateIcon_);
  stateIcon_ = nullptr;
  unload();
}

int PluginModule::getId() { return plugin_ != nullptr ? plugin_->getId() : -1; }

const wchar_t* PluginModule::getName() {
  const wchar_t* name = plugin_ != nullptr ? plugin_->getName() : nullptr;
  return name != nullptr ? name : L"";
}

int PluginModule::getCommandBase() { return plugin_ != nullptr ? plugin_->getCommandBase() : 0; }

bool PluginModule::start() {
  PluginCall call;
  return plugin_ != nullptr && plugin_->start();
}

bool PluginModule::stop() {
  PluginCall call;
  return plugin_ != nullptr && plugin_->stop();
}

bool PluginModule::isUse() { return plugin_ != nullptr && plugin_->isUse(); }

bool PluginModule::load(const wchar_t* libraryPath, IPluginHost* pluginHost, int id) {
  if (library_ != nullptr || libraryPath == nullptr) return false;
  library_ = LoadLibraryW(libraryPath);
  if (library_ == nullptr) return false;
  auto createInstance = reinterpret_cast<CreateInstanceFunction>(
      reinterpret_cast<void*>(GetProcAddress(library_, kCreateInstanceExport)));
  if (createInstance == nullptr) return false;
  IPlugin* created = createInstance(pluginHost, id);
  if (created == nullptr) return false;
  plugin_ = created;
  host_ = pluginHost;
  path_ = libraryPath;
  return true;
}

bool PluginModule::unload() {
  if (library_ == nullptr) return false;
  PluginCall call;
  if (plugin_ != nullptr) {
    plugin_->stop();
    plugin_->release();
    plugin_ = nullptr;
  }
  FreeLibrary(library_);
  library_ = nullptr;
  host_ = nullptr;
  path_.clear();
  return true;
}

HMENU PluginModule::createMenu() {
  HMENU menu = plugin_ != nullptr ? plugin_->createMenu() : nullptr;
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
  if (plugin_ == nullptr) return false;
  HMENU menu = createMenu();
  if (menu == nullptr) return false;
  showPopupMenu(menu, screenPoint, ownerWindow);
  return true;
}

bool PluginModule::onCommand(int commandOffset, LPARAM param) {
  if (plugin_ == nullptr) return false;
  if (commandOffset == kOffsetTaskbarCreated && isTrayIconShown()) {
    // The new taskbar's notification area is empty: put the icon back.
    trayIcon_->show();
  }
  {
    PluginCall call;
    if (plugin_->onCommand(commandOffset, param)) return true;
  }
  switch (defaultAction(commandOffset, param)) {
    case DefaultAction::kToggleUse:
      toggleUse();
      return true;
    case DefaultAction::kShowMenu: {
      POINT cursor{};
      GetCursorPos(&cursor);
      showMenu(cursor, host_ != nullptr ? host_->getMainWindow() : nullptr);
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
  if (plugin_ == nullptr) return false;
  bool result = false;
  {
    PluginCall call;
    result = plugin_->setUse(use);
  }
  if (trayIcon_ == nullptr) return result;
  HICON image = customIcon_ != nullptr ? customIcon_ : loadStateIcon();
  if (image == nullptr) return result;
  trayIcon_->setIcon(image);
  trayIcon_->modify();
  return result;
}

HICON PluginModule::loadStateIcon() {
  if (plugin_ == nullptr) return nullptr;
  bool use = isUse();
  std::wstring file = stateIconFile(getName(), use);
  if (stateIcon_ != nullptr) DestroyIcon(stateIcon_);
  stateIcon_ = loadTrayIconFile(file);
  if (stateIcon_ == nullptr) {
    const int size = trayIconSize();
    stateIcon_ = static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(use ? IDI_PLUGIN_USE : IDI_PLUGIN_NOT_USE),
        IMAGE_ICON, size, size, 0));
  }
  return stateIcon_;
}

bool PluginModule::setTrayIcon(HICON icon) {
  if (plugin_ == nullptr) return false;
  customIcon_ = icon;
  if (icon == nullptr) icon = loadStateIcon();
  if (trayIcon_ != nullptr) {
    trayIcon_->setIcon(icon);
  } else {
    HWND owner = host_ != nullptr ? host_->getMainWindow() : nullptr;
    trayIcon_ = std::make_unique<TrayIcon>(owner, WM_TRAYICON, icon, getName());
    trayIcon_->setIdentifier(static_cast<UINT>(getId() + 1));
  }
  // Refused while the icon is not in the notification area; that is expected.
  trayIcon_->modify();
  return true;
}

bool PluginModule::showTrayIcon(bool show) {
  if (plugin_ == nullptr) return false;
  if (show) {
    if (trayIcon_ == nullptr) setTrayIcon(customIcon_);
    trayIcon_->show();
  } else {
    trayIcon_.reset();
  }
  return true;
}

bool PluginModule::toggleTrayIcon() {
  if (plugin_ == nullptr) return false;
  if (trayIcon_ == nullptr) setTrayIcon(customIcon_);
  return showTrayIcon(!isTrayIconShown());
}

bool PluginModule::isTrayIconShown() const { return trayIcon_ != nullptr && trayIcon_->isShown(); }

}  // namespace tov
