// Shuffla: a taskbar whose buttons are a tab control; each tab's item data is its window.
#include "taskbar_control.h"

#include <commctrl.h>

namespace tov::shuffla {

const wchar_t kPluginName[] = L"Shuffla";
const wchar_t kSubclassMessageName[] = L"Shuffla::UM_SUBCLASS_TASKBAR";
const wchar_t kUnsubclassMessageName[] = L"Shuffla::UM_UNSUBCLASS_TASKBAR";
const bool kLockDuringMove = false;

namespace {
constexpr wchar_t kTabClass[] = L"SysTabControl32";
}  // namespace

HWND findButtonControl(HWND taskbar) { return firstDescendant(taskbar, kTabClass); }

bool isButtonControl(HWND window) { return hasClass(window, kTabClass); }

int buttonCount(HWND control) {
  return static_cast<int>(SendMessageW(control, TCM_GETITEMCOUNT, 0, 0));
}

HWND buttonWindow(HWND control, int index) {
  TCITEMW item{};
  item.mask = TCIF_PARAM;
  if (!SendMessageW(control, TCM_GETITEMW, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&item)))
    return nullptr;
  return reinterpret_cast<HWND>(item.lParam);
}

int hitTest(HWND control, POINT point) {
  TCHITTESTINFO info{point, 0};
  int hit =
      static_cast<int>(SendMessageW(control, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  return hit < 0 ? -1 : hit;
}

// The focus moves to the button under the pointer.
void showTarget(HWND control, int, int target) {
  if (target != -1) SendMessageW(control, TCM_SETCURFOCUS, static_cast<WPARAM>(target), 0);
}

void clearTarget(HWND) {}

}  // namespace tov::shuffla
