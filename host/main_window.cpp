#include "main_window.h"

#include <commctrl.h>

#include <exception>

#include "core/command_id.h"
#include "core/plugin_rules.h"
#include "core/scaling.h"
#include "display_scaling.h"
#include "resource.h"
#include "settings.h"

namespace tov {

namespace {

HICON loadSharedIcon(int resource, int size) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource),
                                       IMAGE_ICON, size, size, LR_SHARED));
}

// The scaling of the monitor that holds a point (the primary one when none does).
int dpiAtPoint(POINT point) {
  return static_cast<int>(monitorDpi(MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY)));
}

}  // namespace

MainWindow::MainWindow()
    : hostTrayIcon_(nullptr, WM_TRAYICON, nullptr, L"TOV"),
      taskbarCreatedMessage_(RegisterWindowMessageW(L"TaskbarCreated")) {}

MainWindow::~MainWindow() {
  // The host icon goes first, then the combination state, then the plug-ins in list order.
  hostTrayIcon_.remove();
  if (combinationIcon != nullptr) DestroyIcon(combinationIcon);
  combinationIcon = nullptr;
  destroyPluginList();
  if (captionIcon_ != nullptr) DestroyIcon(captionIcon_);
}

void MainWindow::destroyHost() { delete this; }

bool MainWindow::create(bool hideTrayIcon) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kMainWindowClass;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TOV), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON),
                                                    GetSystemMetrics(SM_CYICON), LR_SHARED));
  windowClass.hIconSm = loadSharedIcon(IDI_TOV, GetSystemMetrics(SM_CXSMICON));
  if (!registerClass(windowClass)) return false;
  bool hide = hideTrayIcon;
  return Window::create({.className = kMainWindowClass,
                         .style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                         .exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE,
                         .x = CW_USEDEFAULT,
                         .y = CW_USEDEFAULT,
                         .width = CW_USEDEFAULT,
                         .height = CW_USEDEFAULT,
                         .parameter = &hide});
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return onCreate(*static_cast<bool*>(creationParameter()));
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      onSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_DPICHANGED:
      onDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      savePlacement();
      DestroyWindow(handle());
      return 0;
    case WM_ENDSESSION:
      onEndSession();
      return 0;
    case WM_COMMAND:
      onCommand(wParam, lParam);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        LRESULT result = defaultProcedure(message, wParam, lParam);
        ShowWindow(handle(), SW_HIDE);
        return result;
      }
      break;
    case WM_TRAYICON:
      onTrayIcon(wParam, lParam);
      return 0;
    case WM_SHOWTRAYICON:
      showHostTrayIcon();
      return 0;
    case WM_HIDETRAYICON:
      hostTrayIcon_.remove();
      return 0;
    default:
      if (message == taskbarCreatedMessage_ && message != 0) {
        onTaskbarCreated();
        return 0;
      }
      break;
  }
  LRESULT result = 0;
  if (listWindow_.handleParentMessage(message, wParam, lParam, result)) return result;
  return defaultProcedure(message, wParam, lParam);
}

LRESULT MainWindow::onCreate(bool hideTrayIcon) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  SetWindowTextW(handle(), L"TOV");

  hostTrayIcon_.setOwner(handle());
  hostTrayIcon_.setIcon(loadSharedIcon(IDI_TOV, trayIconSize()));
  if (!hideTrayIcon) hostTrayIcon_.add();

  loadHookOrder();
  syncCombination();
  listWindow_.create(handle(), kListWindowId, &pluginList);
  restorePlacement();
  return 0;
}

void MainWindow::onSize(int width, int height) {
  if (listWindow_.handle() != nullptr) {
    int margin = scaleForDpi(3, listWindow_.dpi());
    MoveWindow(listWindow_.handle(), margin, margin, width - 2 * margin, height - 2 * margin, TRUE);
  }
}

void MainWindow::onDpiChanged(int dpi, const RECT* suggested) {
  listWindow_.setDpi(dpi);
  // The caption's icon drawn at this scaling's size, not the class's stretched.
  const int iconSize = systemMetricForDpi(SM_CXSMICON, static_cast<UINT>(dpi));
  if (HICON icon =
          static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TOV),
                                        IMAGE_ICON, iconSize, iconSize, 0))) {
    SendMessageW(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    if (captionIcon_ != nullptr) DestroyIcon(captionIcon_);
    captionIcon_ = icon;
  }
  if (!placing_ && suggested != nullptr) {
    SetWindowPos(handle(), nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The margins change with the scaling even where the size did not.
  RECT client{};
  GetClientRect(handle(), &client);
  onSize(client.right, client.bottom);
}

void MainWindow::restorePlacement() {
  // What the file lacks comes from the default placement, which is in units of a 100 % display:
  // scaled by the monitor it lies on. What the file holds are pixels, taken as they are.
  Placement fallback = defaultPlacement(dpiAtPoint({100, 100}));
  int left = tov::readSettingInt(kSettingsBase, L"main", L"left", fallback.left);
  int top = tov::readSettingInt(kSettingsBase, L"main", L"top", fallback.top);
  int width = tov::readSettingInt(kSettingsBase, L"main", L"width", fallback.width);
  int height = tov::readSettingInt(kSettingsBase, L"main", L"height", fallback.height);
  placing_ = true;
  MoveWindow(handle(), left, top, width, height, TRUE);
  placing_ = false;
  // The list was made for the monitor the window was created on.
  listWindow_.setDpi(static_cast<int>(windowDpi(handle())));
}

void MainWindow::savePlacement() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!GetWindowPlacement(handle(), &placement)) return;
  const RECT& r = placement.rcNormalPosition;
  tov::writeSettingInt(kSettingsBase, L"main", L"left", r.left);
  tov::writeSettingInt(kSettingsBase, L"main", L"top", r.top);
  tov::writeSettingInt(kSettingsBase, L"main", L"width", r.right - r.left);
  tov::writeSettingInt(kSettingsBase, L"main", L"height", r.bottom - r.top);
}

void MainWindow::showHostTrayIcon() {
  hostTrayIcon_.add();
  hostTrayIcon_.modify();
}

void MainWindow::warn(const std::wstring& text, UINT type) {
  MessageBoxW(handle(), text.c_str(), kMessageCaption, type);
}

void MainWindow::destroyPluginList() {
  // First loaded, first gone; the list is emptied only afterwards, so a plug-in that calls back
  // while it stops still finds the others where they were.
  for (std::unique_ptr<PluginModule>& module : pluginList) module.reset();
  pluginList.clear();
  hookOrderEntries_.clear();
}

void MainWindow::onEndSession() {
  saveHookOrder();
  // A plug-in waiting in a call below this message (it answers sent messages while it waits)
  // must not be freed under that call: its library stays until the session ends the process.
  if (!PluginModule::callUnderWay()) destroyPluginList();
}

void MainWindow::onTaskbarCreated() {
  if (hostTrayIcon_.isShown()) showHostTrayIcon();
  for (std::size_t i = 0; i < pluginList.size(); ++i) {
    if (PluginModule* module = moduleAt(static_cast<int>(i))) {
      module->onCommand(kOffsetTaskbarCreated, 0);
    }
  }
  listWindow_.refreshRows(-1);
}

PluginModule* MainWindow::moduleAt(int position) const {
  if (position < 0 || static_cast<std::size_t>(position) >= pluginList.size()) return nullptr;
  return pluginList[static_cast<std::size_t>(position)].get();
}

void MainWindow::onCommand(WPARAM wParam, LPARAM lParam) {
  int identifier = static_cast<int>(commandFromWParam(wParam));
  switch (identifier) {
    case kCommandVersionInfo:
      showVersionInfo();
      return;
    case kCommandShowWindow:
      ShowWindow(handle(), SW_SHOW);
      ShowWindow(handle(), SW_RESTORE);
      return;
    case kCommandHideTrayIcon:
      hostTrayIcon_.remove();
      return;
    case kCommandQuit:
      saveHookOrder();
      PostMessageW(handle(), WM_CLOSE, 0, 0);
      return;
    case kCommandShiftCombination:
      shiftCombination();
      return;
    default:
      break;
  }
  if (std::optional<int> combination = combinationOfCommand(identifier)) {
    selectCombination(*combination);
  } else if (std::optional<PluginCommand> command =
                 decodeCommand(static_cast<std::uint32_t>(identifier))) {
    onPluginCommand(command->index, command->offset, lParam);
  }
}

void MainWindow::onPluginCommand(int position, int offset, LPARAM param) {
  PluginModule* module = moduleAt(position);
  if (module == nullptr) return;
  if (!module->onCommand(offset, param)) return;
  // A change of the active combination may have changed every row; otherwise this plug-in's row
  // is brought in line with whatever the command did to it.
  if (syncCombination()) {
    listWindow_.refreshRows(-1);
  } else {
    listWindow_.refreshRows(position);
  }
}

void MainWindow::onTrayIcon(WPARAM identifier, LPARAM mouseMessage) {
  if (identifier == 0) {
    switch (defaultAction(kOffsetTrayEvent, mouseMessage)) {
      case DefaultAction::kToggleUse:
        shiftCombination();
        break;
      case DefaultAction::kShowMenu:
        showTrayMenu();
        break;
      default:
        break;
    }
    return;
  }
  if (identifier > static_cast<WPARAM>(pluginList.size())) return;
  onPluginCommand(static_cast<int>(identifier) - 1, kOffsetTrayEvent, mouseMessage);
}

void MainWindow::showVersionInfo() {
  wchar_t text[256] = L"";
  LoadStringW(GetModuleHandleW(nullptr), IDS_VERSION, text, 256);
  MessageBoxW(handle(), text, kMessageCaption, MB_OK);
}

// The operations plug-ins call back into. No exception may cross into a plug-in library: running
// out of memory on the way is reported as the operation's failure.
template <class Result, class Operation>
Result MainWindow::guarded(Result failure, Operation operation) {
  try {
    return operation();
  } catch (const std::exception&) {
    return failure;
  }
}

bool MainWindow::getHostDirectory(wchar_t* buffer) {
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

bool MainWindow::getExplorerFolder(HWND explorerWindow, wchar_t* buffer) {
  return guarded(false, [&] { return findExplorerFolder(explorerWindow, buffer); });
}

bool MainWindow::showPluginMenu(int position, const POINT* screenPoint) {
  return guarded(false, [&] {
    PluginModule* module = moduleAt(position);
    if (module == nullptr || screenPoint == nullptr) return false;
    module->showMenu(*screenPoint, handle());
    return true;
  });
}

int MainWindow::readSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                               int defaultValue) {
  return guarded(defaultValue,
                 [&] { return tov::readSettingInt(base, section, key, defaultValue); });
}

bool MainWindow::writeSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                                 int value) {
  return guarded(false, [&] { return tov::writeSettingInt(base, section, key, value); });
}

bool MainWindow::setTrayIcon(int position, HICON icon) {
  return guarded(false, [&] {
    PluginModule* module = moduleAt(position);
    return module != nullptr && module->setTrayIcon(icon);
  });
}

bool MainWindow::showTrayIcon(int position, bool show) {
  return guarded(false, [&] {
    PluginModule* module = moduleAt(position);
    return module != nullptr && module->showTrayIcon(show);
  });
}

bool MainWindow::toggleTrayIcon(int position) {
  return guarded(false, [&] {
    PluginModule* module = moduleAt(position);
    return module != nullptr && module->toggleTrayIcon();
  });
}

bool MainWindow::isTrayIconShown(int position) {
  PluginModule* module = moduleAt(position);
  return module != nullptr && module->isTrayIconShown();
}

}  // namespace tov
