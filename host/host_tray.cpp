#include "host_tray.h"

#include "popup_menu.h"
#include "resource.h"

namespace tov {

HICON HostTray::defaultImage() {
  const int size = trayIconSize();
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TOV),
                                       IMAGE_ICON, size, size, LR_SHARED));
}

void HostTray::attach(HWND owner, bool hidden) {
  icon_.setOwner(owner);
  icon_.setIcon(defaultImage());
  if (!hidden) icon_.add();
}

void HostTray::restore() {
  if (icon_.isShown()) show();
}

HMENU HostTray::createTrayMenu(const Combinations& combinations, const PluginList& plugins) const {
  HMENU menu = CreatePopupMenu();
  HMENU select = CreatePopupMenu();
  if (menu == nullptr || select == nullptr) {
    if (menu != nullptr) DestroyMenu(menu);
    if (select != nullptr) DestroyMenu(select);
    return nullptr;
  }
  AppendMenuW(menu, MF_STRING, kCommandShiftCombination, L"&Shift Combination");

  AppendMenuW(select, MF_STRING | (combinations.customSelectable() ? MF_ENABLED : MF_GRAYED),
              kCommandSelectCustom, L"&0. Custom");
  for (std::size_t k = 0; k < combinations.count(); ++k) {
    std::wstring label = combinations.menuLabel(k);
    if (k < kSelectableCombinations) {
      AppendMenuW(select, MF_STRING, static_cast<UINT_PTR>(kCommandSelectFirst + k), label.c_str());
    } else {
      // Reachable by shifting only: an identifier of its own would run into the plug-ins'.
      AppendMenuW(select, MF_STRING | MF_GRAYED, 0, label.c_str());
    }
  }
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(select), L"Select &Combination");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);

  for (const std::unique_ptr<PluginModule>& module : plugins) {
    if (module == nullptr) continue;
    if (HMENU pluginMenu = module->createMenu()) {
      AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(pluginMenu), module->getName());
    }
  }

  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kCommandVersionInfo, L"&Version Info");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kCommandShowWindow, L"Show &Window");
  AppendMenuW(menu, MF_STRING, kCommandHideTrayIcon, L"Hide &TrayIcon");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kCommandQuit, L"&Quit");
  return menu;
}

void HostTray::showTrayMenu(const Combinations& combinations, const PluginList& plugins) const {
  HMENU menu = createTrayMenu(combinations, plugins);
  if (menu == nullptr) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  showPopupMenu(menu, cursor, icon_.owner());
}

}  // namespace tov
