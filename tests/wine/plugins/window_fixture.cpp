// A small program with windows for the window plug-ins' tests: it makes the windows it is told
// to and writes what reaches them into "<log>.log" in its current folder, one line per event.
//
//   window_fixture --log NAME [--peek] LAYOUT...
//   LAYOUT = x,y,w,h[:option...]   options: class=NAME title=TEXT tool hidden owned popup region
//                                         disabled bottom
//                                         tree list=VIEW items=N selected=N noheader early
//                                         shellview items tabs=N
//                                         holdtimer closeonmiddle ownedby=HANDLE slowlist=MS
//                                         callhook
// Windows are made in order, each shown on top of the ones before; "owned" windows are owned by
// the first one, "ownedby=HANDLE" (hexadecimal) by any window, of another program too. --peek looks
// at every message without removing it before taking it, as some programs do. Posting kOpenMenu
// (lParam = screen point) opens a popup menu; kTakeCapture makes the window take the mouse capture.
//
// Folder windows: "tree" puts a real "SysTreeView32" with a few items in the left third of the
// client area; "list=VIEW" (list, report, icon, smallicon) a real "SysListView32" in the rest, with
// "items=N" items (none by default), the first "selected=N" of them selected, and in report view a
// column header unless "noheader". Both follow the window's size, as a folder window's views do.
// "early" makes the views while the window is being created (WM_CREATE), so that they are there
// when its creation is announced to shell hooks. "shellview" puts the views in a child of the
// shell view's class ("SHELLDLL_DefView") that fills the client area, as the desktop has them.
// "items" makes the shell's window tree of Windows Vista on instead of a list: DUIViewWndClassName
// > DirectUIHWND > CtrlNotifySink > SHELLDLL_DefView > DirectUIHWND, the items view, which answers
// accessibility questions (items_accessible.h) and takes the focus when pressed. With "tree" the
// tree sits beside it in CtrlNotifySink > NamespaceTreeControl; "tabs=N" wraps both in N
// "ShellTabWindowClass" windows, of which only the last is shown (Windows 11's tabs). The trees of
// hidden tabs log as "<index>.hiddentree", the items view as "<index>.items", its keys followed by
// "C<ctrl> S<shift> A<alt>" as its thread sees them.
// Posting kSetOwnTextColour (lParam = colour) to a window makes it set its list's text colour the
// way the shell does (wParam 0); kHang (wParam = milliseconds) keeps its thread from taking
// messages for that long; kTryUnload: see unload_probe.h. "slowlist=MS": the list takes that long
// over each LVM_SETITEMSTATE. Posting kReportNumbers logs "<index> NUMBERS <printed> <read> <sep>":
// 1.5 printed and "1.5" read (times ten) by this program's msvcrt.dll, whose locale a library may
// have changed, and the decimal separator of the user's locale (hexadecimal).
//
// "callhook" (any window): a WH_CALLWNDPROC hook of this program's own on its thread, installed
// before any window, logs "CALLHOOK <message> <wParam>" for each LVM_SETTEXTCOLOR it is passed. A
// hook installed later, a plug-in's, is called before it and must pass the message on.
//
// "holdtimer": a middle press on the window starts a timer of the double-click time and a little
// more; when it comes due the window logs "HOLDTIMER". A hook's timer set for the same press on
// this thread, due earlier, has then come due too.
// "closeonmiddle": a middle press destroys the window at once (a hook has seen the press by then),
// after starting the first window's hold timer when that one has "holdtimer".
//
// Log lines: "<window index> <EVENT> <details>"; "<index> created <handle>" for each window, with
// "<index> tree <handle>" and "<index> list <handle>" for its views, then "ready" once every window
// is shown. What reaches a view after that is logged as "<index>.tree ..." or "<index>.list ...":
// keys and mouse buttons as for windows, and every list or tree message (LVM_*, TVM_*) as
// "MSG <message> <wParam> <lParam>" in hexadecimal.
#include <windows.h>
//
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "../harness/fixture_log.h"
#include "../harness/unload_probe.h"
#include "items_accessible.h"

namespace {

using tov::test::log;
using tov::test::logFile;

constexpr UINT kOpenMenu = WM_APP + 1;
constexpr UINT kTakeCapture = WM_APP + 2;
constexpr UINT kSetOwnTextColour = WM_APP + 3;
constexpr UINT kHang = WM_APP + 4;
constexpr UINT kReportNumbers = WM_APP + 5;
constexpr wchar_t kHoldTimerProperty[] = L"TovFixtureHoldTimer";
constexpr wchar_t kCloseOnMiddleProperty[] = L"TovFixtureCloseOnMiddle";
constexpr UINT_PTR kHoldTimer = 0x484F;

std::vector<HWND> windows;

// The views of each window (null where it has none).
struct Views {
  HWND tree = nullptr;
  HWND list = nullptr;
  DWORD slowMs = 0;          // slowlist=
  HWND shellView = nullptr;  // their parent, when not the window itself
};
std::vector<Views> views;
bool ready = false;

int indexOf(HWND window) {
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (windows[i] == window) return static_cast<int>(i);
  }
  return -1;
}

bool isDown(int key) { return GetKeyState(key) < 0; }

const char* keyEventName(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
      return "KEYDOWN";
    case WM_KEYUP:
      return "KEYUP";
    case WM_SYSKEYDOWN:
      return "SYSKEYDOWN";
    case WM_SYSKEYUP:
      return "SYSKEYUP";
    default:
      return nullptr;
  }
}

const char* mouseEventName(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
      return "LBUTTONDOWN";
    case WM_LBUTTONUP:
      return "LBUTTONUP";
    case WM_RBUTTONDOWN:
      return "RBUTTONDOWN";
    case WM_RBUTTONUP:
      return "RBUTTONUP";
    case WM_MBUTTONDOWN:
      return "MBUTTONDOWN";
    case WM_MBUTTONUP:
      return "MBUTTONUP";
    case WM_MBUTTONDBLCLK:
      return "MBUTTONDBLCLK";
    case WM_LBUTTONDBLCLK:
      return "LBUTTONDBLCLK";
    case WM_RBUTTONDBLCLK:
      return "RBUTTONDBLCLK";
    case WM_NCLBUTTONDOWN:
      return "NCLBUTTONDOWN";
    case WM_NCLBUTTONDBLCLK:
      return "NCLBUTTONDBLCLK";
    case WM_NCRBUTTONDOWN:
      return "NCRBUTTONDOWN";
    case WM_NCRBUTTONUP:
      return "NCRBUTTONUP";
    case WM_NCRBUTTONDBLCLK:
      return "NCRBUTTONDBLCLK";
    case WM_NCMBUTTONDOWN:
      return "NCMBUTTONDOWN";
    case WM_NCMBUTTONUP:
      return "NCMBUTTONUP";
    default:
      return nullptr;
  }
}

// The tree takes the left third of the client area, the list the rest (all of it without a tree).
void layoutViews(const Views& windowViews, int width, int height) {
  if (windowViews.shellView != nullptr)
    MoveWindow(windowViews.shellView, 0, 0, width, height, TRUE);
  int treeWidth = windowViews.tree != nullptr ? width / 3 : 0;
  if (windowViews.tree != nullptr) MoveWindow(windowViews.tree, 0, 0, treeWidth, height, TRUE);
  if (windowViews.list != nullptr)
    MoveWindow(windowViews.list, treeWidth, 0, width - treeWidth, height, TRUE);
}

enum ViewKind : DWORD_PTR { kTreeView, kListView, kItemsView, kHiddenTree };
const char* const kViewKinds[] = {"tree", "list", "items", "hiddentree"};

bool isViewMessage(UINT message) {
  return (message >= LVM_FIRST && message < LVM_FIRST + 0x100) ||
         (message >= TV_FIRST && message < TV_FIRST + 0x100);
}

LRESULT CALLBACK viewProcedure(HWND view, UINT message, WPARAM wParam, LPARAM lParam,
                               UINT_PTR /*id*/, DWORD_PTR data) {
  if (ready) {
    int index = static_cast<int>(data >> 2);
    const char* kind = kViewKinds[data & 3];
    if (const char* name = keyEventName(message)) {
      if ((data & 3) == kItemsView) {
        log("%d.%s %s %02X %08X C%d S%d A%d", index, kind, name, static_cast<unsigned>(wParam),
            static_cast<unsigned>(lParam), isDown(VK_CONTROL), isDown(VK_SHIFT), isDown(VK_MENU));
      } else {
        log("%d.%s %s %02X %08X", index, kind, name, static_cast<unsigned>(wParam),
            static_cast<unsigned>(lParam));
      }
    } else if (const char* mouse = mouseEventName(message)) {
      log("%d.%s %s %X", index, kind, mouse, static_cast<unsigned>(wParam));
    } else if (message == WM_CHAR) {
      log("%d.%s CHAR %04X", index, kind, static_cast<unsigned>(wParam));
    } else if (isViewMessage(message)) {
      log("%d.%s MSG %04X %llX %llX", index, kind, message, static_cast<unsigned long long>(wParam),
          static_cast<unsigned long long>(static_cast<ULONG_PTR>(lParam)));
      DWORD slowMs = views[static_cast<std::size_t>(index)].slowMs;
      if (message == LVM_SETITEMSTATE && slowMs != 0) Sleep(slowMs);
    }
  }
  return DefSubclassProc(view, message, wParam, lParam);
}

// The window being created with "early" views, and its index.
struct Layout;
const Layout* earlyLayout = nullptr;
int earlyIndex = -1;
void makeViews(HWND window, const Layout& layout, int index);

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  int index = indexOf(window);
  if (const char* name = keyEventName(message)) {
    // The Shift keys and whether Caps Lock is on, as this program sees them when the key arrives.
    log("%d %s %02X %08X L%d R%d C%d", index, name, static_cast<unsigned>(wParam),
        static_cast<unsigned>(lParam), isDown(VK_LSHIFT) ? 1 : 0, isDown(VK_RSHIFT) ? 1 : 0,
        GetKeyState(VK_CAPITAL) & 1);
  } else if (const char* mouse = mouseEventName(message)) {
    log("%d %s %X", index, mouse, static_cast<unsigned>(wParam));
  }
  switch (message) {
    case WM_CHAR:
      log("%d CHAR %04X", index, static_cast<unsigned>(wParam));
      break;
    case WM_MOUSEWHEEL:
      log("%d MOUSEWHEEL %d", index, GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_CONTEXTMENU:
      // No system menu: it would hold the next click.
      log("%d CONTEXTMENU", index);
      return 0;
    case WM_SYSCOMMAND:
      log("%d SYSCOMMAND %04X", index, static_cast<unsigned>(wParam & 0xFFF0));
      break;
    case WM_WINDOWPOSCHANGING: {
      const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (!(position->flags & SWP_NOZORDER))
        log("%d POSCHANGING after %lld", index,
            static_cast<long long>(reinterpret_cast<INT_PTR>(position->hwndInsertAfter)));
      break;
    }
    case WM_CAPTURECHANGED:
      log("%d CAPTURECHANGED", index);
      break;
    case kOpenMenu: {
      HMENU menu = CreatePopupMenu();
      AppendMenuW(menu, MF_STRING, 1, L"First");
      AppendMenuW(menu, MF_STRING, 2, L"Second");
      SetForegroundWindow(window);
      log("%d MENUOPEN", index);
      int chosen =
          static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD, static_cast<short>(LOWORD(lParam)),
                                          static_cast<short>(HIWORD(lParam)), 0, window, nullptr));
      DestroyMenu(menu);
      log("%d MENU %d", index, chosen);
      return 0;
    }
    case kTakeCapture:
      SetCapture(window);
      log("%d CAPTURE %d", index, GetCapture() == window ? 1 : 0);
      return 0;
    case kSetOwnTextColour:
      if (index >= 0 && views[index].list != nullptr)
        SendMessageW(views[index].list, LVM_SETTEXTCOLOR, 0, lParam);
      return 0;
    case tov::test::kTryUnload:
      return tov::test::tryToUnload(wParam);
    case kReportNumbers: {
      HMODULE runtime = GetModuleHandleW(L"msvcrt.dll");
      auto print = reinterpret_cast<int (*)(char*, size_t, const char*, ...)>(
          reinterpret_cast<void*>(GetProcAddress(runtime, "_snprintf")));
      auto read = reinterpret_cast<double (*)(const char*, char**)>(
          reinterpret_cast<void*>(GetProcAddress(runtime, "strtod")));
      char printed[16] = "";
      print(printed, sizeof printed - 1, "%.1f", 1.5);
      wchar_t separator[4] = L"";
      GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4);
      log("%d NUMBERS %s %d %X", index, printed, static_cast<int>(read("1.5", nullptr) * 10),
          static_cast<unsigned>(separator[0]));
      return 0;
    }
    case kHang:
      log("%d HANG %u", index, static_cast<unsigned>(wParam));
      Sleep(static_cast<DWORD>(wParam));
      log("%d AWAKE", index);
      return 0;
    case WM_CREATE:
      if (earlyLayout != nullptr) {
        makeViews(window, *earlyLayout, earlyIndex);
        RECT client{};
        GetClientRect(window, &client);
        layoutViews(views[static_cast<std::size_t>(earlyIndex)], client.right, client.bottom);
      }
      break;
    case WM_SIZE:
      if (index >= 0) layoutViews(views[index], LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_MBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
      if (GetPropW(window, kCloseOnMiddleProperty) != nullptr && index > 0) {
        if (GetPropW(windows[0], kHoldTimerProperty) != nullptr)
          SetTimer(windows[0], kHoldTimer, GetDoubleClickTime() + 100, nullptr);
        DestroyWindow(window);
        return 0;
      }
      if (GetPropW(window, kHoldTimerProperty) != nullptr)
        SetTimer(window, kHoldTimer, GetDoubleClickTime() + 100, nullptr);
      break;
    case WM_TIMER:
      if (wParam == kHoldTimer) {
        KillTimer(window, kHoldTimer);
        log("%d HOLDTIMER", index);
        return 0;
      }
      break;
    case WM_DESTROY:
      log("%d DESTROY", index);
      if (index == 0) PostQuitMessage(0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

struct Layout {
  int x = 0, y = 0, width = 200, height = 150;
  std::wstring className = L"TovFixture";
  std::wstring title;
  bool tool = false, hidden = false, owned = false, popup = false, region = false, disabled = false,
       bottom = false;
  bool tree = false, header = true, early = false, holdTimer = false, closeOnMiddle = false,
       shellView = false;
  bool itemsView = false, callHook = false;
  int tabs = 0;
  int listView = -1;  // LVS_ICON, LVS_REPORT, LVS_SMALLICON or LVS_LIST; or none
  int items = 0, selected = 0;
  DWORD slowMs = 0;
  HWND owner = nullptr;  // ownedby=
};

// The view as the list's style states it, which is what a folder window's list shows too.
int viewOf(const std::wstring& name) {
  if (name == L"list") return LVS_LIST;
  if (name == L"report") return LVS_REPORT;
  if (name == L"icon") return LVS_ICON;
  if (name == L"smallicon") return LVS_SMALLICON;
  return -1;
}

std::vector<std::wstring> split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::wstring::npos) return parts;
    start = end + 1;
  }
}

bool parseLayout(const std::wstring& text, Layout& layout) {
  std::vector<std::wstring> parts = split(text, L':');
  std::vector<std::wstring> numbers = split(parts[0], L',');
  if (numbers.size() != 4) return false;
  layout.x = std::wcstol(numbers[0].c_str(), nullptr, 10);
  layout.y = std::wcstol(numbers[1].c_str(), nullptr, 10);
  layout.width = std::wcstol(numbers[2].c_str(), nullptr, 10);
  layout.height = std::wcstol(numbers[3].c_str(), nullptr, 10);
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::wstring& option = parts[i];
    if (option.rfind(L"class=", 0) == 0) {
      layout.className = option.substr(6);
    } else if (option.rfind(L"title=", 0) == 0) {
      layout.title = option.substr(6);
    } else if (option == L"tool") {
      layout.tool = true;
    } else if (option == L"hidden") {
      layout.hidden = true;
    } else if (option == L"owned") {
      layout.owned = true;
    } else if (option == L"popup") {
      layout.popup = true;
    } else if (option == L"region") {
      layout.region = true;
    } else if (option == L"disabled") {
      layout.disabled = true;
    } else if (option == L"bottom") {
      layout.bottom = true;
    } else if (option == L"tree") {
      layout.tree = true;
    } else if (option.rfind(L"list=", 0) == 0) {
      layout.listView = viewOf(option.substr(5));
      if (layout.listView < 0) return false;
    } else if (option.rfind(L"items=", 0) == 0) {
      layout.items = std::wcstol(option.c_str() + 6, nullptr, 10);
    } else if (option.rfind(L"selected=", 0) == 0) {
      layout.selected = std::wcstol(option.c_str() + 9, nullptr, 10);
    } else if (option == L"noheader") {
      layout.header = false;
    } else if (option == L"shellview") {
      layout.shellView = true;
    } else if (option == L"callhook") {
      layout.callHook = true;
    } else if (option == L"early") {
      layout.early = true;
    } else if (option.rfind(L"slowlist=", 0) == 0) {
      layout.slowMs = static_cast<DWORD>(std::wcstoul(option.c_str() + 9, nullptr, 10));
    } else if (option == L"holdtimer") {
      layout.holdTimer = true;
    } else if (option.rfind(L"ownedby=", 0) == 0) {
      layout.owner = reinterpret_cast<HWND>(
          static_cast<UINT_PTR>(std::wcstoull(option.c_str() + 8, nullptr, 16)));
    } else if (option == L"items") {
      layout.itemsView = true;
    } else if (option.rfind(L"tabs=", 0) == 0) {
      layout.tabs = std::wcstol(option.c_str() + 5, nullptr, 10);
    } else if (option == L"closeonmiddle") {
      layout.closeOnMiddle = true;
    } else {
      return false;
    }
  }
  return true;
}

void registerClass(const std::wstring& name) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = name.c_str();
  RegisterClassW(&windowClass);  // a second window of the class finds it registered
}

HIMAGELIST blankImages(int size) {
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32, 1, 1);
  HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  ImageList_AddIcon(images, icon);
  return images;
}

HWND makeTree(HWND parent, int index, ViewKind kind = kTreeView) {
  HWND tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS, 0, 0, 0, 0,
                              parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (tree == nullptr) return nullptr;
  TVINSERTSTRUCTW insert{};
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  wchar_t desktop[] = L"Desktop", folder[] = L"Folder";
  insert.item.pszText = desktop;
  HTREEITEM root = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  insert.hParent = root;
  insert.item.pszText = folder;
  SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  SetWindowSubclass(tree, viewProcedure, 1, (static_cast<DWORD_PTR>(index) << 2) | kind);
  return tree;
}

HWND makeList(HWND parent, const Layout& layout, int index) {
  DWORD style = WS_CHILD | WS_VISIBLE | LVS_SHOWSELALWAYS | static_cast<DWORD>(layout.listView);
  if (!layout.header) style |= LVS_NOCOLUMNHEADER;
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 0, 0, 0, 0, parent,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  if (list == nullptr) return nullptr;
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(blankImages(32)));
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(blankImages(16)));
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 150;
  wchar_t name[] = L"Name";
  column.pszText = name;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  for (int i = 0; i < layout.items; ++i) {
    std::wstring text = L"Item " + std::to_wstring(i + 1);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = i;
    item.pszText = text.data();
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  for (int i = 0; i < layout.selected && i < layout.items; ++i) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&state));
  }
  SetWindowSubclass(list, viewProcedure, 1, (static_cast<DWORD_PTR>(index) << 2) | kListView);
  return list;
}

// The shell's windows around the items view answer nothing themselves; the view answers
// WM_GETOBJECT with its accessible object (a window property) and takes the focus when pressed.
constexpr wchar_t kAccessibleProperty[] = L"TovFixtureAccessible";

LRESULT CALLBACK shellProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* accessible =
      static_cast<tov::test::ItemsAccessible*>(GetPropW(window, kAccessibleProperty));
  if (accessible != nullptr) {
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT)
      return LresultFromObject(tov::test::kAccessibleInterface, wParam, accessible);
    if (message == WM_LBUTTONDOWN) SetFocus(window);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND shellChild(const wchar_t* className, HWND parent, RECT place, bool shown = true) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = shellProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, className, L"", WS_CHILD | WS_CLIPCHILDREN | (shown ? WS_VISIBLE : 0),
                         place.left, place.top, place.right - place.left, place.bottom - place.top,
                         parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void makeShellViews(HWND window, const Layout& layout, int index) {
  RECT client{};
  GetClientRect(window, &client);
  RECT whole{0, 0, client.right, client.bottom};
  int treeWidth = layout.tree ? client.right / 3 : 0;
  int tabs = layout.tabs > 0 ? layout.tabs : 1;
  for (int tab = 0; tab < tabs; ++tab) {
    bool shown = tab == tabs - 1;
    HWND top = layout.tabs > 0 ? shellChild(L"ShellTabWindowClass", window, whole, shown) : window;
    HWND frame = shellChild(L"DirectUIHWND", shellChild(L"DUIViewWndClassName", top, whole), whole);
    if (layout.tree) {
      RECT left{0, 0, treeWidth, client.bottom};
      HWND control = shellChild(L"NamespaceTreeControl", shellChild(L"CtrlNotifySink", frame, left),
                                {0, 0, treeWidth, client.bottom});
      HWND tree = makeTree(control, index, shown ? kTreeView : kHiddenTree);
      MoveWindow(tree, 0, 0, treeWidth, client.bottom, TRUE);
    }
    RECT right{treeWidth, 0, client.right, client.bottom};
    RECT inside{0, 0, client.right - treeWidth, client.bottom};
    HWND view = shellChild(
        L"DirectUIHWND",
        shellChild(L"SHELLDLL_DefView", shellChild(L"CtrlNotifySink", frame, right), inside),
        inside);
    auto* accessible = new tov::test::ItemsAccessible(
        view, index, new tov::test::ItemsAccessible(view, index, nullptr));
    SetPropW(view, kAccessibleProperty, accessible);
    SetWindowSubclass(view, viewProcedure, 1, (static_cast<DWORD_PTR>(index) << 2) | kItemsView);
  }
}

void makeViews(HWND window, const Layout& layout, int index) {
  if (layout.itemsView) return makeShellViews(window, layout, index);
  Views& windowViews = views[static_cast<std::size_t>(index)];
  if (layout.shellView) {
    windowViews.shellView = shellChild(L"SHELLDLL_DefView", window, {0, 0, 0, 0});
    window = windowViews.shellView;
  }
  if (layout.tree) windowViews.tree = makeTree(window, index);
  if (layout.listView >= 0) windowViews.list = makeList(window, layout, index);
  windowViews.slowMs = layout.slowMs;
}

HWND makeWindow(const Layout& layout, int index) {
  registerClass(layout.className);
  std::wstring title = layout.title.empty() ? L"Fixture " + std::to_wstring(index) : layout.title;
  DWORD style = layout.popup ? WS_POPUP | WS_CAPTION | WS_SYSMENU : WS_OVERLAPPEDWINDOW;
  if (layout.disabled) style |= WS_DISABLED;
  DWORD exStyle = layout.tool ? WS_EX_TOOLWINDOW : 0;
  HWND owner = layout.owned && !windows.empty() ? windows[0] : layout.owner;
  earlyLayout = layout.early ? &layout : nullptr;
  earlyIndex = index;
  HWND window = CreateWindowExW(exStyle, layout.className.c_str(), title.c_str(), style, layout.x,
                                layout.y, layout.width, layout.height, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  earlyLayout = nullptr;
  if (window == nullptr) return nullptr;
  if (!layout.early) makeViews(window, layout, index);
  // Sizes that came before the window was listed were not passed on to its views.
  RECT client{};
  GetClientRect(window, &client);
  layoutViews(views[static_cast<std::size_t>(index)], client.right, client.bottom);
  if (layout.holdTimer) SetPropW(window, kHoldTimerProperty, reinterpret_cast<HANDLE>(1));
  if (layout.closeOnMiddle) SetPropW(window, kCloseOnMiddleProperty, reinterpret_cast<HANDLE>(1));
  if (layout.region) {
    // The whole window, in window coordinates: the shape is the rectangle, only expressed the
    // way window regions are.
    SetWindowRgn(window, CreateRectRgn(0, 0, layout.width, layout.height), TRUE);
  }
  if (!layout.hidden) ShowWindow(window, SW_SHOW);
  if (layout.bottom)
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  UpdateWindow(window);
  return window;
}

LRESULT CALLBACK ownCallHook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code >= 0 && sent->message == LVM_SETTEXTCOLOR)
    log("CALLHOOK %04X %llX", sent->message, static_cast<unsigned long long>(sent->wParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

int run(bool peek) {
  MSG message;
  for (;;) {
    if (peek) {
      // Look first, without removing: keyboard hooks see this with HC_NOREMOVE.
      while (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) WaitMessage();
      if (const char* name = keyEventName(message.message))
        log("%d PEEK %s %02X", indexOf(message.hwnd), name, static_cast<unsigned>(message.wParam));
    }
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring logName = L"fixture";
  bool peek = false;
  std::vector<Layout> layouts;
  for (int i = 1; i < argc; ++i) {
    std::wstring argument = argv[i];
    if (argument == L"--log" && i + 1 < argc) {
      logName = argv[++i];
    } else if (argument == L"--peek") {
      peek = true;
    } else {
      Layout layout;
      if (!parseLayout(argument, layout)) {
        std::fprintf(stderr, "window_fixture: bad window %ls\n", argument.c_str());
        return 2;
      }
      layouts.push_back(layout);
    }
  }
  std::wstring logPath = logName + L".log";
  logFile = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (logFile == INVALID_HANDLE_VALUE) return 3;
  // The items view's accessible objects are called from other programs through this apartment.
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  views.resize(layouts.size());
  for (const Layout& layout : layouts) {
    if (layout.callHook)
      SetWindowsHookExW(WH_CALLWNDPROC, ownCallHook, nullptr, GetCurrentThreadId());
  }
  for (const Layout& layout : layouts) {
    HWND window = makeWindow(layout, static_cast<int>(windows.size()));
    if (window == nullptr) {
      log("failed %d", static_cast<int>(windows.size()));
      return 4;
    }
    windows.push_back(window);
    int index = static_cast<int>(windows.size() - 1);
    log("%d created %llX", index,
        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    const Views& windowViews = views[static_cast<std::size_t>(index)];
    if (windowViews.tree != nullptr)
      log("%d tree %llX", index,
          static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(windowViews.tree)));
    if (windowViews.list != nullptr)
      log("%d list %llX", index,
          static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(windowViews.list)));
  }
  ready = true;
  log("ready");
  int result = run(peek);
  CloseHandle(logFile);
  return result;
}
