// A taskbar of the tests' own, for Shuffla and ShufflaXP: a topmost "Shell_TrayWnd" (found by
// FindWindowW before Wine's own, which lies below it) holding a real button control, a few
// application windows with a button each, and the shell's taskbar list object, answered by a fake
// registered on the taskbar thread whose DeleteTab and AddTab take a window's button out and
// append it, as the real taskbar does, and log the calls.
//
//   taskbar_fixture --log NAME --control tab|toolbar|none [--apps N] [--blank 1]
//
//   tab      a "SysTabControl32" whose items' data are the windows
//   toolbar  an "MSTaskSwWClass" holding a "ToolbarWindow32" whose buttons' data point to records
//            that begin with the window
//   none     the taskbar window alone
//   --blank 1 adds a last toolbar button without a window, as a group header of the shell
//
// Log lines ("<NAME>.log" in the current folder): "app <i> <handle>", "ready", "HrInit",
// "DeleteTab <i>", "AddTab <i>" (i: the application's number), "control LBUTTONDOWN" and
// "control LBUTTONUP" (what reaches the control's own procedure), "SELCHANGE <i>" (a tab chosen),
// "COMMAND <i>" (a toolbar button clicked), "recreated".
//
// Questions sent to the taskbar window (answers computed on the taskbar thread):
//   kButtonApp (i)     the application number of button i, -1 when none
//   kButtonPoint (i)   MAKELONG of the screen point in the middle of button i, -1 when none
//   kCloseApp (i)      destroys application window i (its button goes with it)
//   kRecreate          (posted) destroys the taskbar and makes a new one with the same buttons
//   kDragState         bit 1: the cursor is IDC_NO, bit 2: IDC_ARROW, bit 4: a drag image is up
//   kInsertMark        MAKELONG(toolbar insert mark button as a 16-bit signed number, its flags)
//   kButtonCount       the number of buttons
//   kDragColour        the colour in the middle of the drag image, -1 when there is none
//   kCloseAppKeepButton (i)  destroys application window i but leaves its button, as a shell
//                      that has not noticed yet
//   kHang (ms)         (posted) logs "HANG" and takes no message for that long; kTryUnload: see
//                      unload_probe.h
//
// Application 1 has a red small icon, application 2 a green big icon only, the others none.
#define COBJMACROS
#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "taskbar_fixture.h"

#include "../harness/fixture_log.h"
#include "../harness/unload_probe.h"

namespace {

using tov::test::log;
using tov::test::logFile;

using namespace taskbar_fixture;

constexpr int kMaxApps = 12;
constexpr int kFirstCommand = 100;

enum class Control { kTab, kToolbar, kNone };

Control controlKind = Control::kTab;
HWND taskbar = nullptr;
HWND control = nullptr;
WNDPROC controlProcedure = nullptr;
int appCount = 0;
bool blankButton = false;
HWND apps[kMaxApps] = {};
bool keepButtons = false;  // an application window closing now leaves its button behind

// What a toolbar button's data points to: a record that begins with the window.
struct ButtonRecord {
  HWND window;
  int app;
};
ButtonRecord records[kMaxApps] = {};

int appOf(HWND window) {
  for (int i = 0; i < appCount; ++i) {
    if (apps[i] == window && window != nullptr) return i;
  }
  return -1;
}

// ---- The buttons ------------------------------------------------------------------------------

int buttonCount() {
  if (control == nullptr) return 0;
  UINT message = controlKind == Control::kTab ? TCM_GETITEMCOUNT : TB_BUTTONCOUNT;
  return static_cast<int>(SendMessageW(control, message, 0, 0));
}

HWND buttonWindow(int index) {
  if (controlKind == Control::kTab) {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (!SendMessageW(control, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item)))
      return nullptr;
    return reinterpret_cast<HWND>(item.lParam);
  }
  TBBUTTON button{};
  if (!SendMessageW(control, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button)) ||
      button.dwData == 0)
    return nullptr;
  return reinterpret_cast<const ButtonRecord*>(button.dwData)->window;
}

int buttonOf(HWND window) {
  for (int i = 0, n = buttonCount(); i < n; ++i) {
    if (buttonWindow(i) == window) return i;
  }
  return -1;
}

void appendButton(HWND window) {
  int app = appOf(window);
  if (control == nullptr || app < 0 || buttonOf(window) >= 0) return;
  wchar_t text[16];
  std::swprintf(text, 16, L"app %d", app);
  if (controlKind == Control::kTab) {
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = text;
    item.lParam = reinterpret_cast<LPARAM>(window);
    SendMessageW(control, TCM_INSERTITEMW, buttonCount(), reinterpret_cast<LPARAM>(&item));
  } else {
    records[app] = {window, app};
    TBBUTTON button{};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = kFirstCommand + app;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    button.dwData = reinterpret_cast<DWORD_PTR>(&records[app]);
    button.iString = reinterpret_cast<INT_PTR>(text);
    SendMessageW(control, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
  }
}

void removeButton(HWND window) {
  int index = buttonOf(window);
  if (index < 0) return;
  SendMessageW(control, controlKind == Control::kTab ? TCM_DELETEITEM : TB_DELETEBUTTON, index, 0);
}

LPARAM buttonPoint(int index) {
  if (index < 0 || index >= buttonCount()) return -1;
  RECT rect{};
  UINT message = controlKind == Control::kTab ? TCM_GETITEMRECT : TB_GETITEMRECT;
  SendMessageW(control, message, index, reinterpret_cast<LPARAM>(&rect));
  POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  ClientToScreen(control, &middle);
  return MAKELONG(middle.x, middle.y);
}

// ---- The shell's taskbar list, as far as the tests need it ------------------------------------

class FakeTaskbarList final : public ITaskbarList {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITaskbarList)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE HrInit() override {
    log("HrInit");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE AddTab(HWND window) override {
    log("AddTab %d", appOf(window));
    appendButton(window);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DeleteTab(HWND window) override {
    log("DeleteTab %d", appOf(window));
    removeButton(window);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return S_OK; }
};

class FakeFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return list.QueryInterface(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  FakeTaskbarList list;
};

FakeFactory factory;

// ---- Windows ----------------------------------------------------------------------------------

// Below any plug-in's subclass: what the control itself gets.
LRESULT CALLBACK loggingControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN) log("control LBUTTONDOWN");
  if (message == WM_LBUTTONUP) log("control LBUTTONUP");
  return CallWindowProcW(controlProcedure, window, message, wParam, lParam);
}

LRESULT dragState() {
  HCURSOR cursor = GetCursor();
  LRESULT bits = 0;
  if (cursor != nullptr && cursor == LoadCursorW(nullptr, IDC_NO)) bits |= kCursorNo;
  if (cursor != nullptr && cursor == LoadCursorW(nullptr, IDC_ARROW)) bits |= kCursorArrow;
  if (ImageList_GetDragImage(nullptr, nullptr) != nullptr) bits |= kDragImageUp;
  return bits;
}

// A 16×16 icon of one colour, opaque everywhere.
HICON solidIcon(COLORREF colour) {
  constexpr int kSize = 16;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP image = CreateCompatibleBitmap(screen, kSize, kSize);
  HBITMAP mask = CreateBitmap(kSize, kSize, 1, 1, nullptr);
  RECT all{0, 0, kSize, kSize};
  HGDIOBJ old = SelectObject(dc, image);
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &all, brush);
  SelectObject(dc, mask);
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SelectObject(dc, old);
  DeleteObject(brush);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  ICONINFO info{TRUE, 0, 0, mask, image};
  return CreateIconIndirect(&info);
}

// The drag image drawn on white, read in its middle.
LRESULT dragColour() {
  HIMAGELIST list = ImageList_GetDragImage(nullptr, nullptr);
  if (list == nullptr) return -1;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(dc, canvas);
  RECT all{0, 0, 16, 16};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ImageList_Draw(list, 0, dc, 0, 0, ILD_NORMAL);
  COLORREF colour = GetPixel(dc, 8, 8);
  SelectObject(dc, old);
  DeleteObject(canvas);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return static_cast<LRESULT>(colour);
}

void createTaskbar();

LRESULT CALLBACK taskbarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kButtonApp:
      return appOf(buttonWindow(static_cast<int>(wParam)));
    case kButtonPoint:
      return buttonPoint(static_cast<int>(wParam));
    case kCloseApp:
      if (wParam < static_cast<WPARAM>(appCount) && apps[wParam] != nullptr)
        DestroyWindow(apps[wParam]);
      return 1;
    case kCloseAppKeepButton:
      keepButtons = true;
      if (wParam < static_cast<WPARAM>(appCount) && apps[wParam] != nullptr)
        DestroyWindow(apps[wParam]);
      keepButtons = false;
      return 1;
    case kRecreate:
      DestroyWindow(window);
      createTaskbar();
      log("recreated");
      return 0;
    case kDragState:
      return dragState();
    case kInsertMark: {
      TBINSERTMARK mark{-1, 0};
      if (controlKind == Control::kToolbar)
        SendMessageW(control, TB_GETINSERTMARK, 0, reinterpret_cast<LPARAM>(&mark));
      return MAKELONG(static_cast<WORD>(static_cast<SHORT>(mark.iButton)), mark.dwFlags);
    }
    case kButtonCount:
      return buttonCount();
    case kDragColour:
      return dragColour();
    case kHang:
      log("HANG");
      Sleep(static_cast<DWORD>(wParam));
      return 0;
    case tov::test::kTryUnload:
      return tov::test::tryToUnload(wParam);
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == static_cast<UINT>(TCN_SELCHANGE))
        log("SELCHANGE %d",
            appOf(buttonWindow(static_cast<int>(SendMessageW(control, TCM_GETCURSEL, 0, 0)))));
      return 0;
    }
    case WM_CLOSE:
      // Ending the taskbar ends the fixture, as the harness ends programs.
      PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      if (window == taskbar) {
        taskbar = nullptr;
        control = nullptr;
      }
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK switcherProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) >= kFirstCommand)
    log("COMMAND %d", LOWORD(wParam) - kFirstCommand);
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK appProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    if (!keepButtons) removeButton(window);
    int app = appOf(window);
    if (app >= 0) apps[app] = nullptr;
    log("closed %d", app);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void registerClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name;
  RegisterClassW(&windowClass);
}

// Low on the screen and above every other window, so that FindWindowW finds it first.
void createTaskbar() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  taskbar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", nullptr,
                            WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 900, 1280, 40, nullptr,
                            nullptr, instance, nullptr);
  control = nullptr;
  if (controlKind == Control::kTab) {
    control = CreateWindowExW(0, WC_TABCONTROLW, nullptr,
                              WS_CHILD | WS_VISIBLE | TCS_BUTTONS | TCS_FIXEDWIDTH, 0, 4, 1280, 32,
                              taskbar, nullptr, instance, nullptr);
    SendMessageW(control, TCM_SETITEMSIZE, 0, MAKELPARAM(150, 28));
  } else if (controlKind == Control::kToolbar) {
    HWND switcher = CreateWindowExW(0, L"MSTaskSwWClass", nullptr, WS_CHILD | WS_VISIBLE, 0, 4,
                                    1280, 32, taskbar, nullptr, instance, nullptr);
    control = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN, 0,
        0, 1280, 32, switcher, nullptr, instance, nullptr);
    SendMessageW(control, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(control, TB_SETBUTTONWIDTH, 0, MAKELPARAM(150, 150));
  }
  if (control != nullptr) {
    controlProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(loggingControlProcedure)));
    for (int i = 0; i < appCount; ++i) appendButton(apps[i]);
    if (blankButton && controlKind == Control::kToolbar) {
      TBBUTTON button{};
      button.iBitmap = I_IMAGENONE;
      button.idCommand = kFirstCommand + kMaxApps;
      button.fsState = TBSTATE_ENABLED;
      button.fsStyle = BTNS_BUTTON;
      button.iString = reinterpret_cast<INT_PTR>(L"group");
      SendMessageW(control, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring logName = L"taskbar";
  for (int i = 1; i + 1 < argc; i += 2) {
    std::wstring option = argv[i];
    std::wstring value = argv[i + 1];
    if (option == L"--log") logName = value;
    if (option == L"--blank") blankButton = value == L"1";
    if (option == L"--apps") appCount = std::min(std::max(_wtoi(value.c_str()), 0), kMaxApps);
    if (option == L"--control")
      controlKind = value == L"toolbar" ? Control::kToolbar
                    : value == L"none"  ? Control::kNone
                                        : Control::kTab;
  }
  logFile = CreateFileW((logName + L".log").c_str(), FILE_APPEND_DATA,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  // The shell's taskbar thread has COM ready; the plug-in relies on it.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  DWORD cookie = 0;
  CoRegisterClassObject(CLSID_TaskbarList, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                        &cookie);

  registerClass(L"Shell_TrayWnd", taskbarProcedure);
  registerClass(L"MSTaskSwWClass", switcherProcedure);
  registerClass(L"ShufflaFixtureApp", appProcedure);
  for (int i = 0; i < appCount; ++i) {
    wchar_t title[16];
    std::swprintf(title, 16, L"app %d", i);
    apps[i] = CreateWindowExW(0, L"ShufflaFixtureApp", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              40 + 60 * i, 60 + 40 * i, 260, 140, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (i == 1) SendMessageW(apps[i], WM_SETICON, ICON_SMALL, (LPARAM)solidIcon(RGB(255, 0, 0)));
    if (i == 2) SendMessageW(apps[i], WM_SETICON, ICON_BIG, (LPARAM)solidIcon(RGB(0, 255, 0)));
    log("app %d %llx", i, static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(apps[i])));
  }
  createTaskbar();
  log("ready");

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  CoRevokeClassObject(cookie);
  CoUninitialize();
  return 0;
}
