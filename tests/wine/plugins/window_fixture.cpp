// A small program with windows for the window plug-ins' tests: it makes the windows it is told
// to and writes what reaches them into "<log>.log" in its current folder, one line per event.
//
//   window_fixture --log NAME [--peek] LAYOUT...
//   LAYOUT = x,y,w,h[:option...]   options: class=NAME title=TEXT tool hidden owned popup region
//                                         disabled bottom
// Windows are made in order, each shown on top of the ones before; "owned" windows are owned by
// the first one. --peek looks at every message without removing it before taking it, as some
// programs do. Posting kOpenMenu (lParam = screen point) opens a popup menu; kTakeCapture makes
// the window take the mouse capture.
//
// Log lines: "<window index> <EVENT> <details>"; "<index> created <handle>" for each window, then
// "ready" once every window is shown.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kOpenMenu = WM_APP + 1;
constexpr UINT kTakeCapture = WM_APP + 2;

HANDLE logFile = INVALID_HANDLE_VALUE;
std::vector<HWND> windows;

void log(const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(line, sizeof line - 1, format, args);
  va_end(args);
  if (length < 0) return;
  if (length > static_cast<int>(sizeof line) - 2) length = static_cast<int>(sizeof line) - 2;
  line[length++] = '\n';
  DWORD written = 0;
  WriteFile(logFile, line, static_cast<DWORD>(length), &written, nullptr);
}

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
    case WM_NCLBUTTONDOWN:
      return "NCLBUTTONDOWN";
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

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  int index = indexOf(window);
  if (const char* name = keyEventName(message)) {
    // The Shift keys as this program sees them when the key arrives.
    log("%d %s %02X %08X L%d R%d", index, name, static_cast<unsigned>(wParam),
        static_cast<unsigned>(lParam), isDown(VK_LSHIFT) ? 1 : 0, isDown(VK_RSHIFT) ? 1 : 0);
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
};

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

HWND makeWindow(const Layout& layout, int index) {
  registerClass(layout.className);
  std::wstring title = layout.title.empty() ? L"Fixture " + std::to_wstring(index) : layout.title;
  DWORD style = layout.popup ? WS_POPUP | WS_CAPTION | WS_SYSMENU : WS_OVERLAPPEDWINDOW;
  if (layout.disabled) style |= WS_DISABLED;
  DWORD exStyle = layout.tool ? WS_EX_TOOLWINDOW : 0;
  HWND owner = layout.owned && !windows.empty() ? windows[0] : nullptr;
  HWND window = CreateWindowExW(exStyle, layout.className.c_str(), title.c_str(), style, layout.x,
                                layout.y, layout.width, layout.height, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return nullptr;
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
  for (const Layout& layout : layouts) {
    HWND window = makeWindow(layout, static_cast<int>(windows.size()));
    if (window == nullptr) {
      log("failed %d", static_cast<int>(windows.size()));
      return 4;
    }
    windows.push_back(window);
    log("%d created %llX", static_cast<int>(windows.size() - 1),
        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  }
  log("ready");
  int result = run(peek);
  CloseHandle(logFile);
  return result;
}
