#include "main_window.h"

#include <commctrl.h>

#include "core/command_id.h"
#include "core/plugin_rules.h"
#include "core/scaling.h"
#include "display_scaling.h"
#include "resource.h"
#include "settings.h"

namespace tov {

namespace {

// The scaling of the monitor that holds a point (the primary one when none does).
int dpiAtPoint(POINT point) {
  return static_cast<int>(monitorDpi(MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY)));
}

}  // namespace

MainWindow::MainWindow()
    : pluginHost_(*this, pluginList_),
      combinationSwitcher_(pluginList_, listWindow_, hostTray_.icon()),
      taskbarCreatedMessage_(RegisterWindowMessageW(L"TaskbarCreated")) {}

MainWindow::~MainWindow() {
  // The host icon goes first, then the combination state, then the plug-ins in list order.
  hostTray_.hide();
  combinationSwitcher_.freeIcon();
  destroyPluginList();
  if (captionIcon_ != nullptr) DestroyIcon(captionIcon_);
}

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
  const int smallIconSize = GetSystemMetrics(SM_CXSMICON);
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(
      instance, MAKEINTRESOURCEW(IDI_TOV), IMAGE_ICON, smallIconSize, smallIconSize, LR_SHARED));
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
    case WM_QUERYENDSESSION:
      // Yes, at once, with nothing done yet: another program may still cancel the end, and the
      // restart manager asks this way before it asks TOV alone to close (WM_ENDSESSION).
      return TRUE;
    case WM_ENDSESSION:
      onEndSession(wParam != FALSE, static_cast<std::uint32_t>(lParam));
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
      hostTray_.show();
      return 0;
    case WM_HIDETRAYICON:
      hostTray_.hide();
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

  hostTray_.attach(handle(), hideTrayIcon);

  // Without it the plug-ins still load; only their hooks' commands find no TOV.
  sessionBlock_.create(handle());
  loadHookOrder();
  syncCombination();
  listWindow_.create(handle(), kListWindowId, &pluginList_);
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
  int left = readSettingInt(kSettingsBase, L"main", L"left", fallback.left);
  int top = readSettingInt(kSettingsBase, L"main", L"top", fallback.top);
  int width = readSettingInt(kSettingsBase, L"main", L"width", fallback.width);
  int height = readSettingInt(kSettingsBase, L"main", L"height", fallback.height);
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
  writeSettingInt(kSettingsBase, L"main", L"left", r.left);
  writeSettingInt(kSettingsBase, L"main", L"top", r.top);
  writeSettingInt(kSettingsBase, L"main", L"width", r.right - r.left);
  writeSettingInt(kSettingsBase, L"main", L"height", r.bottom - r.top);
}

bool MainWindow::loadPlugin(const std::wstring& path) {
  return pluginList_.loadPlugin(path, pluginHost_, handle());
}

void MainWindow::loadHookOrder() {
  hookOrderFile_.load(handle(), pluginList_, pluginHost_, combinationSwitcher_.combinations());
}

bool MainWindow::saveHookOrder() { return hookOrderFile_.save(handle(), pluginList_); }

HMENU MainWindow::createTrayMenu() const {
  return hostTray_.createTrayMenu(combinations(), pluginList_);
}

void MainWindow::showTrayMenu() const { hostTray_.showTrayMenu(combinations(), pluginList_); }

void MainWindow::destroyPluginList() {
  pluginList_.destroyAll();
  hookOrderFile_.forget();
}

void MainWindow::onEndSession(bool ending, std::uint32_t reasons) {
  SessionEndSteps steps = sessionEndSteps(ending, reasons);
  if (steps.save) saveHookOrder();
  // A plug-in waiting in a call below this message (it answers sent messages while it waits)
  // must not be freed under that call: its library stays until the session ends the process.
  if (steps.unload && !PluginModule::callUnderWay()) destroyPluginList();
  // Posted, as "&Quit" does: the plug-ins are freed once the message loop ends, never under a call.
  if (steps.quit) PostMessageW(handle(), WM_CLOSE, 0, 0);
}

void MainWindow::onTaskbarCreated() {
  hostTray_.restore();
  for (std::size_t i = 0; i < pluginList_.size(); ++i) {
    if (PluginModule* module = pluginList_.moduleAt(static_cast<int>(i))) {
      module->onCommand(kOffsetTaskbarCreated, 0);
    }
  }
  listWindow_.refreshRows(-1);
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
      hostTray_.hide();
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
    combinationSwitcher_.selectCombination(*combination);
  } else if (std::optional<PluginCommand> command =
                 decodeCommand(static_cast<std::uint32_t>(identifier))) {
    onPluginCommand(command->index, command->offset, lParam);
  }
}

void MainWindow::onPluginCommand(int position, int offset, LPARAM param) {
  PluginModule* module = pluginList_.moduleAt(position);
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
  if (identifier > static_cast<WPARAM>(pluginList_.size())) return;
  onPluginCommand(static_cast<int>(identifier) - 1, kOffsetTrayEvent, mouseMessage);
}

void MainWindow::showVersionInfo() {
  wchar_t text[256] = L"";
  LoadStringW(GetModuleHandleW(nullptr), IDS_VERSION, text, 256);
  showMessage(handle(), text, MB_OK);
}

}  // namespace tov
