#include "main_window.h"

#include <commctrl.h>

#include "resource.h"
#include "settings.h"

namespace tov {

namespace {

HICON loadSharedIcon(int resource, int size) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource),
                                       IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace

MainWindow::MainWindow()
    : hostTrayIcon_(nullptr, WM_TRAYICON, nullptr, L"TOV"),
      taskbarCreatedMessage_(RegisterWindowMessageW(L"TaskbarCreated")) {}

MainWindow::~MainWindow() {
  // The host icon goes first, then the combination state, then the plug-ins in list order.
  hostTrayIcon_.remove();
}

void MainWindow::destroyHost() {
  delete this;
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
  windowClass.hIconSm = loadSharedIcon(IDI_TOV, GetSystemMetrics(SM_CXSMICON));
  if (!registerClass(windowClass))
    return false;
  bool hide = hideTrayIcon;
  return Window::create(kMainWindowClass, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, nullptr,
                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, &hide);
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
  return defaultProcedure(message, wParam, lParam);
}

LRESULT MainWindow::onCreate(bool hideTrayIcon) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  SetWindowTextW(handle(), L"TOV");

  hostTrayIcon_.setOwner(handle());
  hostTrayIcon_.setIcon(loadSharedIcon(IDI_TOV, 16));
  if (!hideTrayIcon)
    hostTrayIcon_.add();

  restorePlacement();
  return 0;
}

void MainWindow::onSize(int width, int height) {
  if (listWindow_ != nullptr)
    MoveWindow(listWindow_, 3, 3, width - 6, height - 6, TRUE);
}

void MainWindow::restorePlacement() {
  int left = tov::readSettingInt(kSettingsBase, L"main", L"left", 100);
  int top = tov::readSettingInt(kSettingsBase, L"main", L"top", 100);
  int width = tov::readSettingInt(kSettingsBase, L"main", L"width", 400);
  int height = tov::readSettingInt(kSettingsBase, L"main", L"height", 300);
  MoveWindow(handle(), left, top, width, height, TRUE);
}

void MainWindow::savePlacement() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!GetWindowPlacement(handle(), &placement))
    return;
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

void MainWindow::onEndSession() {}

void MainWindow::onTaskbarCreated() {
  if (hostTrayIcon_.isShown())
    showHostTrayIcon();
}

void MainWindow::onCommand(WPARAM, LPARAM) {}

void MainWindow::onTrayIcon(WPARAM, LPARAM) {}

bool MainWindow::getExplorerFolder(HWND, wchar_t* buffer) {
  if (buffer != nullptr)
    lstrcpynW(buffer, L"unkown", MAX_PATH);
  return false;
}

bool MainWindow::getHostDirectory(wchar_t* buffer) {
  if (buffer == nullptr)
    return false;
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return false;
  wchar_t* slash = nullptr;
  for (wchar_t* p = path; *p != L'\0'; ++p) {
    if (*p == L'\\' || *p == L'/')
      slash = p;
  }
  if (slash == nullptr)
    return false;
  *slash = L'\0';
  lstrcpynW(buffer, path, MAX_PATH);
  return true;
}

bool MainWindow::showPluginMenu(int, const POINT*) {
  return false;
}

int MainWindow::readSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                               int defaultValue) {
  return tov::readSettingInt(base, section, key, defaultValue);
}

bool MainWindow::writeSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                                 int value) {
  return tov::writeSettingInt(base, section, key, value);
}

bool MainWindow::setTrayIcon(int, HICON) {
  return false;
}
bool MainWindow::showTrayIcon(int, bool) {
  return false;
}
bool MainWindow::toggleTrayIcon(int) {
  return false;
}
bool MainWindow::isTrayIconShown(int) {
  return false;
}

}  // namespace tov
