// The host's tray menu and the combinations it switches.
#include "main_window.h"
#include "popup_menu.h"
#include "resource.h"

namespace tov {

HMENU MainWindow::createTrayMenu() {
  HMENU menu = CreatePopupMenu();
  HMENU select = CreatePopupMenu();
  if (menu == nullptr || select == nullptr) {
    if (menu != nullptr) DestroyMenu(menu);
    if (select != nullptr) DestroyMenu(select);
    return nullptr;
  }
  AppendMenuW(menu, MF_STRING, kCommandShiftCombination, L"&Shift Combination");

  AppendMenuW(select, MF_STRING | (combinations_.customSelectable() ? MF_ENABLED : MF_GRAYED),
              kCommandSelectCustom, L"&0. Custom");
  for (std::size_t k = 0; k < combinations_.count(); ++k) {
    std::wstring label = combinations_.menuLabel(k);
    if (k < kSelectableCombinations) {
      AppendMenuW(select, MF_STRING, static_cast<UINT_PTR>(kCommandSelectFirst + k), label.c_str());
    } else {
      // Reachable by shifting only: an identifier of its own would run into the plug-ins'.
      AppendMenuW(select, MF_STRING | MF_GRAYED, 0, label.c_str());
    }
  }
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(select), L"Select &Combination");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);

  for (const std::unique_ptr<PluginModule>& module : pluginList) {
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

void MainWindow::showTrayMenu() {
  HMENU menu = createTrayMenu();
  if (menu == nullptr) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  showPopupMenu(menu, cursor, handle());
}

void MainWindow::shiftCombination() {
  if (std::optional<PluginSet> set = combinations_.shift()) applyCombination(*set);
}

void MainWindow::selectCombination(int index) {
  if (std::optional<PluginSet> set = combinations_.select(index)) applyCombination(*set);
}

void MainWindow::applyCombination(const PluginSet& set) {
  for (std::size_t i = 0; i < pluginList.size(); ++i) {
    if (pluginList[i] != nullptr) pluginList[i]->setUse(i < set.size() && set[i]);
  }
  listWindow_.refreshRows(-1);
  updateCombinationIcon();
}

bool MainWindow::syncCombination() {
  PluginSet inUse;
  inUse.reserve(pluginList.size());
  for (const std::unique_ptr<PluginModule>& module : pluginList) {
    inUse.push_back(module != nullptr && module->isUse());
  }
  bool changed = combinations_.sync(inUse);
  if (changed && !inUse.empty()) updateCombinationIcon();
  return changed;
}

void MainWindow::updateCombinationIcon() {
  hostTrayIcon_.setTooltip(combinations_.tooltip());
  if (combinationIcon != nullptr) DestroyIcon(combinationIcon);
  std::wstring file = combinations_.iconFile();
  const int size = trayIconSize();
  combinationIcon = static_cast<HICON>(
      LoadImageW(nullptr, file.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
  HICON image = combinationIcon;
  if (image == nullptr) {
    image = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TOV),
                                          IMAGE_ICON, size, size, LR_SHARED));
  }
  hostTrayIcon_.setIcon(image);
  hostTrayIcon_.modify();
}

}  // namespace tov
