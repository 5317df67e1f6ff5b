#include "plugin_support.h"

#include "items_accessible.h"
#include "session_block.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace tov::test {

LoadedPlugin::LoadedPlugin(const std::wstring& path, bool start, int id) : startWanted_(start) {
  library_ = LoadLibraryW(path.c_str());
  if (library_ == nullptr) return;
  auto factory = exported<CreateInstanceFunction>(kCreateInstanceExport);
  if (factory == nullptr) return;
  plugin_ = factory(nullptr, id);
  if (plugin_ != nullptr && start) started_ = plugin_->start();
}

LoadedPlugin::~LoadedPlugin() {
  if (plugin_ != nullptr) {
    plugin_->stop();
    plugin_->release();
  }
  if (library_ != nullptr) FreeLibrary(library_);
}

std::vector<LoadedPlugin::MenuItem> LoadedPlugin::menuItems() const {
  std::vector<MenuItem> items;
  HMENU menu = plugin_->createMenu();
  if (menu == nullptr) return items;
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    items.push_back({text, GetMenuItemID(menu, i), (state & MF_CHECKED) != 0});
  }
  DestroyMenu(menu);
  return items;
}

std::wstring productLibrary(const wchar_t* file) { return joinPath(productDir(), file); }

void* sharedSectionOf(HMODULE library) {
  auto* base = reinterpret_cast<BYTE*>(library);
  auto* headers = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
  for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
    if (std::memcmp(section->Name, ".plugin", 8) == 0) return base + section->VirtualAddress;
  }
  return nullptr;
}

SessionBlockOverride::SessionBlockOverride(HWND window, const wchar_t* plugin, int base)
    : mapping_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(SessionValues), kSessionBlockName)) {
  if (mapping_ == nullptr) return;
  view_ = static_cast<SessionValues*>(
      MapViewOfFile(mapping_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(SessionValues)));
  if (view_ == nullptr) return;
  auto* bytes = reinterpret_cast<BYTE*>(view_);
  saved_.assign(bytes, bytes + sizeof(SessionValues));
  if (!isSessionBlock(*view_)) resetSessionValues(*view_, 0);
  view_->hostWindow = reinterpret_cast<std::uintptr_t>(window);
  setSessionValue(*view_, plugin, base);
}

SessionBlockOverride::~SessionBlockOverride() {
  if (view_ != nullptr) {
    std::memcpy(view_, saved_.data(), saved_.size());
    UnmapViewOfFile(view_);
  }
  if (mapping_ != nullptr) CloseHandle(mapping_);
}

int hostLikeCommands = 0;

HWND createHostLikeWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) ++hostLikeCommands;
    return DefWindowProcW(window, message, wParam, lParam);
  };
  windowClass.lpszClassName = kHostWindowClass;
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, kHostWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                         nullptr);
}

Fixture::Fixture(const std::wstring& name, const std::vector<std::wstring>& layouts, bool peek,
                 const std::string& linuxEnvironment)
    : logPath_(joinPath(workDir(), name + L".log")) {
  DeleteFileW(logPath_.c_str());
  std::wstring arguments = L"--log " + name + (peek ? L" --peek" : L"");
  for (const std::wstring& layout : layouts) arguments += L" \"" + layout + L"\"";
  std::wstring program = joinPath(testBinDir(), L"window_fixture.exe");
  if (linuxEnvironment.empty()) {
    process_ = Process::start(program, arguments);
    if (!process_.started()) return;
  } else {
    runUnix("(cd '" + unixPath(workDir()) + "' && " + linuxEnvironment + " nohup wine '" +
            unixPath(program) + "' " + narrow(arguments) + " >/dev/null 2>&1 &)");
  }
  ready_ = waitForLine("ready");
  for (const std::string& line : lines()) {
    std::istringstream words(line);
    std::size_t index = 0;
    std::string event;
    std::string handle;
    if (words >> index >> event >> handle && event == "created") {
      if (windows_.size() <= index) windows_.resize(index + 1);
      windows_[index] = reinterpret_cast<HWND>(std::strtoull(handle.c_str(), nullptr, 16));
    }
  }
  ready_ = ready_ && windows_.size() == layouts.size();
  if (ready_ && !process_.started()) {
    DWORD id = 0;
    GetWindowThreadProcessId(windows_[0], &id);
    process_ = Process::adopt(id);
  }
  // Let the new windows settle on the desktop before any input arrives.
  if (ready_) settle();
}

HWND Fixture::window(std::size_t index) const {
  return index < windows_.size() ? windows_[index] : nullptr;
}

std::vector<std::string> Fixture::lines() const {
  std::vector<std::string> result;
  std::istringstream text(readFile(logPath_));
  std::string line;
  while (std::getline(text, line)) result.push_back(line);
  return result;
}

void Fixture::mark() {
  settle();
  mark_ = lines().size();
}

std::vector<std::string> Fixture::linesSinceMark() const {
  std::vector<std::string> all = lines();
  if (mark_ >= all.size()) return {};
  return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(mark_), all.end());
}

bool Fixture::sawSinceMark(const std::string& text) const {
  return countLines(linesSinceMark(), text) > 0;
}

bool Fixture::waitForLine(const std::string& text, Duration timeout) const {
  return waitUntil([&] { return countLines(lines(), text) > 0; }, timeout);
}

void Fixture::settle() const {
  for (HWND window : windows_) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result);
  }
  pumpMessages(std::chrono::milliseconds(50));
}

std::optional<POINT> hitTestPoint(HWND window, int code) {
  auto hit = [&](int x, int y) {
    DWORD_PTR result = HTNOWHERE;
    SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_NORMAL, 2000, &result);
    return static_cast<int>(static_cast<LRESULT>(result));
  };
  RECT rect;
  if (!GetWindowRect(window, &rect)) return std::nullopt;
  if (code == HTCLIENT) {
    RECT client;
    GetClientRect(window, &client);
    POINT centre{(client.right - client.left) / 2, (client.bottom - client.top) / 2};
    ClientToScreen(window, &centre);
    return centre;
  }
  // The caption row: going down from the top edge in the middle of the window.
  int middleX = (rect.left + rect.right) / 2;
  int top = -1;
  int bottom = -1;
  for (int y = rect.top; y < rect.top + 60 && y < rect.bottom; ++y) {
    if (hit(middleX, y) == HTCAPTION) {
      if (top < 0) top = y;
      bottom = y;
    } else if (top >= 0) {
      break;
    }
  }
  if (top < 0) return std::nullopt;
  int row = (top + bottom) / 2;
  // The run of `code` along that row, looked for from the right where the buttons are.
  int first = -1;
  int last = -1;
  for (int x = rect.right - 1; x >= rect.left; --x) {
    if (hit(x, row) == code) {
      if (last < 0) last = x;
      first = x;
    } else if (last >= 0) {
      break;
    }
  }
  if (first < 0) return std::nullopt;
  return POINT{(first + last) / 2, row};
}

namespace {
std::string at(POINT point) {
  return "mousemove " + std::to_string(point.x) + " " + std::to_string(point.y) + " ";
}
}  // namespace

void clickAt(POINT point, int button) { xdotool(at(point) + "click " + std::to_string(button)); }

void pressAt(POINT point, int button) {
  xdotool(at(point) + "mousedown " + std::to_string(button));
}

void releaseAt(POINT point, int button) {
  xdotool(at(point) + "mouseup " + std::to_string(button));
}

void wheelAt(POINT point, int notches) {
  if (notches == 0) return;
  int count = notches > 0 ? notches : -notches;
  xdotool(at(point) + "click --repeat " + std::to_string(count) + " --delay 30 " +
          (notches > 0 ? "4" : "5"));
}

void waitPastDoubleClick() { pumpMessages(std::chrono::milliseconds(GetDoubleClickTime() + 100)); }

std::string hitCode(int code) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(code));
  return text;
}

HWND itemsViewOf(HWND window) {
  HWND found = nullptr;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM result) {
        wchar_t name[32], parent[32];
        GetClassNameW(child, name, 32);
        GetClassNameW(GetParent(child), parent, 32);
        if (!IsWindowVisible(child) || std::wstring(name) != L"DirectUIHWND" ||
            std::wstring(parent) != L"SHELLDLL_DefView")
          return TRUE;
        *reinterpret_cast<HWND*>(result) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

POINT itemsViewPoint(HWND view, ItemsSpot spot) {
  RECT client{};
  GetClientRect(view, &client);
  const RECT& item = kItemRects[0];
  POINT point = spot == ItemsSpot::kItem ? POINT{(item.left + item.right) / 2, item.bottom - 5}
                : spot == ItemsSpot::kGroup
                    ? POINT{client.right - 40, (kGroupTop + kGroupBottom) / 2}
                    : POINT{client.right - 40, client.bottom - 30};
  ClientToScreen(view, &point);
  return point;
}

std::size_t countLines(const std::vector<std::string>& lines, const std::string& text) {
  std::size_t count = 0;
  for (const std::string& line : lines) {
    if (line.find(text) != std::string::npos) ++count;
  }
  return count;
}

}  // namespace tov::test
