#include "host_support.h"

#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <utility>

namespace tov::test {

namespace {

std::wstring currentTestName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (info == nullptr) return L"host";
  return widen(std::string(info->test_suite_name()) + "." + info->name());
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Memory in another process, freed at the end.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, std::size_t size) : size_(size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_ =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_ != nullptr) {
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
  }
  ~RemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool ok() const { return address_ != nullptr; }
  char* address() const { return static_cast<char*>(address_); }
  bool write(std::size_t offset, const void* data, std::size_t size) const {
    return offset + size <= size_ &&
           WriteProcessMemory(process_, address() + offset, data, size, nullptr) != FALSE;
  }
  bool read(std::size_t offset, void* data, std::size_t size) const {
    return offset + size <= size_ &&
           ReadProcessMemory(process_, address() + offset, data, size, nullptr) != FALSE;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  std::size_t size_;
};

constexpr int kTextCapacity = 512;

}  // namespace

HostRun::HostRun() : folder_(freshFolder(currentTestName())) {
  copyFile(joinPath(productDir(), L"TOV.exe"), file(L"TOV.exe"));
  writeFile(file(L"TOV.ini"), "[main]\r\nfirstStartShown=1\r\n");
}

HostRun::HostRun(std::wstring folder) : folder_(std::move(folder)) {}

HostRun::~HostRun() {
  // Message boxes left open would keep the host from closing.
  if (running()) {
    while (auto box = waitForMessageBox(processId(), 200ms)) dismissMessageBox(box->window);
  }
  process_.terminate();
  if (started_ != nullptr) {
    if (running()) {
      if (main_ != nullptr) PostMessageW(main_, WM_CLOSE, 0, 0);
      if (!waitForExit(3s)) TerminateProcess(started_, 99);
    }
    CloseHandle(started_);
  }
}

DWORD HostRun::processId() const { return started_ != nullptr ? startedId_ : process_.id(); }

bool HostRun::running() const {
  if (started_ != nullptr) return WaitForSingleObject(started_, 0) == WAIT_TIMEOUT;
  return process_.running();
}

bool HostRun::waitForExit(Duration timeout) {
  if (started_ == nullptr) return process_.waitForExit(timeout).has_value();
  return waitUntil([&] { return !running(); }, timeout);
}

void HostRun::startWithLinuxEnvironment(const std::string& environment) {
  runUnix("(cd '" + unixPath(folder_) + "' && " + environment +
          " nohup wine TOV.exe >/dev/null 2>&1 &)");
  HWND main = waitForWindowOfClass(L"TOV");
  if (main == nullptr) return;
  GetWindowThreadProcessId(main, &startedId_);
  started_ =
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, startedId_);
}

void HostRun::addPlugin(const std::wstring& name, const std::wstring& library) const {
  copyFile(joinPath(testBinDir(), library), file(name + L".dll"));
}

void HostRun::writeHookOrder(const std::string& bytes) const {
  writeFile(file(L"HookOrder.ini"), bytes);
}

std::string HostRun::hookOrder() const { return readFile(file(L"HookOrder.ini")); }

void HostRun::start(const std::wstring& arguments, const std::wstring& program) {
  process_ = Process::start(file(program), arguments, folder_);
}

HWND HostRun::startWith(const std::string& hookOrder, const std::wstring& arguments) {
  writeHookOrder(hookOrder);
  start(arguments);
  return waitUntilReady();
}

HWND HostRun::waitUntilReady() {
  main_ = waitForWindowOfClass(L"TOV", processId());
  if (main_ == nullptr) return nullptr;
  if (!waitUntil([&] { return listWindow() != nullptr; })) return nullptr;
  // The host answers only once its start-up is over.
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored)) return nullptr;
  return main_;
}

HWND HostRun::listWindow() const {
  HWND main = main_ != nullptr ? main_ : waitForWindowOfClass(L"TOV", processId(), 0ms);
  if (main == nullptr) return nullptr;
  return FindWindowExW(main, nullptr, L"PluginListView", nullptr);
}

std::optional<HostRun::Box> HostRun::nextMessageBox(Duration timeout) {
  std::optional<MessageBoxInfo> box = waitForMessageBox(processId(), timeout);
  if (!box) return std::nullopt;
  Box result{box->caption, box->text, false};
  for (const WindowInfo& child : childWindows(box->window)) {
    if (child.visible && child.className == L"Static" && (child.style & SS_TYPEMASK) == SS_ICON &&
        SendMessageW(child.window, STM_GETICON, 0, 0) != 0) {
      result.hasIcon = true;
    }
  }
  dismissMessageBox(box->window);
  return result;
}

bool HostRun::noMessageBox() { return !waitForMessageBox(processId(), 300ms).has_value(); }

void HostRun::expectMessageBoxes(const std::vector<std::pair<std::wstring, bool>>& expected) {
  for (const auto& [text, icon] : expected) {
    auto box = nextMessageBox();
    ASSERT_TRUE(box) << "missing: " << narrow(text);
    EXPECT_EQ(box->caption, L"TOV");
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->hasIcon, icon) << narrow(text);
  }
}

HWND HostRun::popupMenu(Duration timeout) const {
  return waitForWindowOfClass(L"#32768", processId(), timeout);
}

bool HostRun::escapeMenu(HWND menu) const {
  if (menu == nullptr) menu = popupMenu();
  if (menu == nullptr) return false;
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  return waitUntil([&] { return !IsWindowVisible(menu); });
}

LRESULT HostRun::send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendMessageW(main_, message, wParam, lParam);
}

void HostRun::command(int identifier, LPARAM lParam) const {
  send(WM_COMMAND, static_cast<WPARAM>(identifier), lParam);
}

bool HostRun::quit() {
  PostMessageW(main_, WM_COMMAND, kCommandQuit, 0);
  return waitForExit();
}

bool HostRun::registerFakeShellWindows() {
  markLog();
  pluginCommand(0, kRegisterFakeShellWindows);
  std::vector<std::string> log = logOfSinceMark("Plug");
  return std::find(log.begin(), log.end(), "registerFakeShellWindows -> 1") != log.end();
}

std::vector<std::string> HostRun::log() const { return splitLines(readFile(file(L"calls.log"))); }

std::vector<std::string> HostRun::logOf(const std::string& plugin) const {
  std::vector<std::string> lines;
  for (const std::string& line : log()) {
    if (line.rfind(plugin + " ", 0) == 0) lines.push_back(line.substr(plugin.size() + 1));
  }
  return lines;
}

void HostRun::markLog() { mark_ = log().size(); }

std::vector<std::string> HostRun::logOfSinceMark(const std::string& plugin) const {
  std::vector<std::string> all = log();
  std::vector<std::string> lines;
  for (std::size_t i = mark_; i < all.size(); ++i) {
    if (all[i].rfind(plugin + " ", 0) == 0) lines.push_back(all[i].substr(plugin.size() + 1));
  }
  return lines;
}

std::vector<std::string> actions(const std::vector<std::string>& lines) {
  std::vector<std::string> result;
  for (const std::string& line : lines) {
    if (line == "getName" || line == "isUse" || line == "getId" || line == "getCommandBase") {
      continue;
    }
    result.push_back(line);
  }
  return result;
}

std::string solidIcon(BYTE red, BYTE green, BYTE blue) {
  std::string file;
  auto put16 = [&](unsigned v) {
    file += static_cast<char>(v & 0xFF);
    file += static_cast<char>(v >> 8 & 0xFF);
  };
  auto put32 = [&](unsigned v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  const unsigned pixels = 16 * 16 * 4, mask = 16 * 4, size = 40 + pixels + mask;
  put16(0), put16(1), put16(1);                                // icon directory, one image
  file += '\x10', file += '\x10', file += '\0', file += '\0';  // 16×16
  put16(1), put16(32), put32(size), put32(22);
  put32(40), put32(16), put32(32), put16(1), put16(32);  // bitmap header, double height
  for (int i = 0; i < 6; ++i) put32(0);
  for (unsigned i = 0; i < 16 * 16; ++i) {
    file += static_cast<char>(blue), file += static_cast<char>(green);
    file += static_cast<char>(red), file += '\xFF';
  }
  file.append(mask, '\0');
  return file;
}

std::optional<POINT> findOnScreen(BYTE red, BYTE green, BYTE blue) {
  std::optional<RECT> bounds = boundsOnScreen(red, green, blue);
  if (!bounds) return std::nullopt;
  return POINT{(bounds->left + bounds->right) / 2, (bounds->top + bounds->bottom) / 2};
}

std::optional<RECT> boundsOnScreen(BYTE red, BYTE green, BYTE blue) {
  std::wstring shot = joinPath(workDir(), L"find.png");
  std::wstring out = joinPath(workDir(), L"find.txt");
  DeleteFileW(out.c_str());
  if (!screenshot(shot)) return std::nullopt;
  char colour[32];
  std::snprintf(colour, sizeof colour, "rgb(%d,%d,%d)", red, green, blue);
  runUnix("convert '" + unixPath(shot) + "' -fill black +opaque '" + colour +
              "' -format '%@' info: > '" + unixPath(out) + "' 2>/dev/null",
          30s);
  int width = 0, height = 0, x = 0, y = 0;
  if (std::sscanf(readFile(out).c_str(), "%dx%d+%d+%d", &width, &height, &x, &y) != 4 ||
      width <= 0 || height <= 0) {
    return std::nullopt;
  }
  return RECT{x, y, x + width, y + height};
}

bool trayIconPresent(HWND owner, UINT identifier) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = owner;
  data.uID = identifier;
  data.uFlags = 0;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

int trayIconsOnScreen() {
  HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  RECT bar{};
  if (tray == nullptr || !GetWindowRect(tray, &bar) || bar.bottom <= bar.top) return 0;
  UpdateWindow(tray);
  std::wstring shot = joinPath(workDir(), L"tray.png"), out = joinPath(workDir(), L"tray.txt");
  DeleteFileW(out.c_str());
  if (!screenshot(shot)) return -1;
  // A band as high as an icon through the bar's middle, whose commonest colour is the bar's; a
  // plain bitmap of one row then has 0 in each column where anything else shows.
  const int width = bar.right - bar.left, height = GetSystemMetrics(SM_CYSMICON);
  char band[512];
  std::snprintf(band, sizeof band, "convert '%s' -crop %dx%d+%ld+%ld +repage",
                unixPath(shot).c_str(), width, height, bar.left,
                (bar.top + bar.bottom - height) / 2);
  runUnix(std::string("colour=$(") + band + " -format %c histogram:info:- | sort -rn | head -n 1 " +
              "| grep -o '#[0-9A-Fa-f]*') && " + band + " -alpha off -transparent \"$colour\" " +
              "-alpha extract -scale " + std::to_string(width) +
              "x1! -threshold 0 -compress none pbm:- > '" + unixPath(out) + "'",
          30s);
  std::istringstream bitmap(readFile(out));
  std::string magic, size;
  std::vector<bool> shows;
  bitmap >> magic >> size >> size;
  for (char bit; bitmap >> bit;) shows.push_back(bit == '0');
  if (magic != "P1" || static_cast<int>(shows.size()) != width) return -1;
  // From the right end to the first gap wider than two icons, where the bar's buttons begin.
  int icons = 0, gap = 0;
  for (int x = width - 1; x >= 0 && gap <= 2 * height; --x) {
    if (shows[x] && (x == width - 1 || !shows[x + 1])) ++icons;
    gap = shows[x] ? 0 : (icons > 0 ? gap + 1 : 0);
  }
  return icons;
}

bool notificationShown() {
  const std::vector<WindowInfo> windows = topLevelWindows();
  return std::any_of(windows.begin(), windows.end(), [](const WindowInfo& window) {
    return window.className == L"tooltips_class32" && window.visible &&
           (window.style & TTS_BALLOON) != 0;
  });
}

bool removeTrayIcon(HWND owner, UINT identifier) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = owner;
  data.uID = identifier;
  return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

int listRowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring listCell(HWND list, int row, int column) {
  RemoteBuffer remote(list, sizeof(LVITEMW) + kTextCapacity * sizeof(wchar_t));
  if (!remote.ok()) return L"<no access>";
  LVITEMW item{};
  item.iSubItem = column;
  item.cchTextMax = kTextCapacity;
  item.pszText = reinterpret_cast<wchar_t*>(remote.address() + sizeof(LVITEMW));
  wchar_t empty = L'\0';
  remote.write(sizeof(LVITEMW), &empty, sizeof(empty));
  remote.write(0, &item, sizeof(item));
  LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                reinterpret_cast<LPARAM>(remote.address()));
  if (length <= 0) return L"";
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  remote.read(sizeof(LVITEMW), text.data(), text.size() * sizeof(wchar_t));
  return text;
}

std::vector<std::wstring> listColumnHeaders(HWND list) {
  std::vector<std::wstring> headers;
  RemoteBuffer remote(list, sizeof(LVCOLUMNW) + kTextCapacity * sizeof(wchar_t));
  if (!remote.ok()) return headers;
  for (int index = 0;; ++index) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.cchTextMax = kTextCapacity;
    column.pszText = reinterpret_cast<wchar_t*>(remote.address() + sizeof(LVCOLUMNW));
    remote.write(0, &column, sizeof(column));
    if (!SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(remote.address()))) {
      break;
    }
    wchar_t text[kTextCapacity] = {};
    remote.read(sizeof(LVCOLUMNW), text, sizeof(text) - sizeof(wchar_t));
    headers.emplace_back(text);
  }
  return headers;
}

POINT listRowPoint(HWND list, int row) {
  RemoteBuffer remote(list, sizeof(RECT));
  RECT bounds{};
  bounds.left = LVIR_LABEL;
  remote.write(0, &bounds, sizeof(bounds));
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(remote.address()));
  remote.read(0, &bounds, sizeof(bounds));
  return POINT{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
}

}  // namespace tov::test
