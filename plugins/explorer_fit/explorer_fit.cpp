#include "explorer_fit.h"

#include <commctrl.h>
#include <no_wait.h>
#include <window_classes.h>

namespace tov::explorer_fit {

namespace {

// The fit runs inside a hook: a list that does not answer at once is given up on.
constexpr UINT kAnswerTimeout = 500;

Rect toRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

Rect screenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return toRect(rect);
}

class ListWindows final : public FitWindows {
 public:
  ListWindows(HWND list, HWND window) : list_(list), window_(window) {}

  std::uint32_t listStyle() override {
    return static_cast<std::uint32_t>(GetWindowLongW(list_, GWL_STYLE));
  }
  int itemCount() override { return static_cast<int>(ask(LVM_GETITEMCOUNT, 0, 0)); }
  bool firstItemRect(ItemPart part, Rect& rect) override {
    RECT item{};
    item.left = part == ItemPart::kBounds ? LVIR_BOUNDS : LVIR_ICON;
    if (ask(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)) == 0) return false;
    rect = toRect(item);
    return true;
  }
  Rect workArea() override {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor))
      return toRect(monitor.rcWork);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return toRect(work);
  }
  Rect listRect() override { return screenRect(list_); }
  Rect windowRect() override { return screenRect(window_); }
  std::uint32_t approximateViewRect(int count, std::uint32_t size) override {
    return static_cast<std::uint32_t>(
        ask(LVM_APPROXIMATEVIEWRECT, static_cast<WPARAM>(count), static_cast<LPARAM>(size)));
  }
  bool headerVisible() override {
    for (HWND child = GetWindow(list_, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      if (hasClass(child, L"SysHeader32")) return IsWindowVisible(child) == 1;
    }
    return false;
  }
  int scrollBarWidth() override { return GetSystemMetrics(SM_CXVSCROLL); }
  // The folder window is this program's, but may be another thread's: that one is asked to
  // move itself (SWP_ASYNCWINDOWPOS) rather than waited for, and is not locked meanwhile.
  void move(int left, int top, int width, int height) override {
    if (!isOwnThreadWindow(window_)) {
      SetWindowPos(window_, nullptr, left, top, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
      return;
    }
    LockWindowUpdate(window_);
    MoveWindow(window_, left, top, width, height, TRUE);
  }
  void unlock() override { LockWindowUpdate(nullptr); }

 private:
  // The list is this program's (findFileList), usually this thread's, so pointers in the
  // message are good and the call is direct; a busy other thread costs a short wait at most.
  LRESULT ask(UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(list_, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeout,
                             &result))
      return 0;
    return static_cast<LRESULT>(result);
  }

  HWND list_;
  HWND window_;
};

}  // namespace

namespace {

bool isFolderWindow(HWND window) {
  ClassName name(window);
  return name.is(L"CabinetWClass") || name.is(L"ExploreWClass");
}

}  // namespace

HWND findFileList(HWND window) {
  if (!isFolderWindow(window)) return nullptr;
  HWND list = firstDescendant(window, kFileListClass);
  if (list == nullptr) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(list, &process);
  return process == GetCurrentProcessId() ? list : nullptr;
}

bool fitExplorerWindow(HWND window, Variant variant, const FitParameters& parameters) {
  HWND list = findFileList(window);
  if (list == nullptr) return false;
  ListWindows windows(list, window);
  fit(windows, variant, parameters);
  return true;
}

// A top-level folder window: the corner double clicks reach its thread.
HWND FolderWindows::watchedWindowOf(HWND window) {
  return GetAncestor(window, GA_ROOT) == window && isFolderWindow(window) ? window : nullptr;
}

}  // namespace tov::explorer_fit
