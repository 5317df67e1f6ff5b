// ShufflaXP: a taskbar whose buttons are a toolbar inside the task switcher window
// ("MSTaskSwWClass"). A button's data points to a record of the shell's that begins with the
// button's window; buttons without one (group headers) are no buttons for the drag.
#include "taskbar_control.h"

#include <commctrl.h>

namespace tov::shuffla {

const wchar_t kPluginName[] = L"ShufflaXP";
const wchar_t kSubclassMessageName[] = L"ShufflaXP::UM_SUBCLASS_TASKBAR";
const wchar_t kUnsubclassMessageName[] = L"ShufflaXP::UM_UNSUBCLASS_TASKBAR";
const bool kLockDuringMove = true;

namespace {

constexpr wchar_t kSwitcherClass[] = L"MSTaskSwWClass";
constexpr wchar_t kToolbarClass[] = L"ToolbarWindow32";
}  // namespace

HWND findButtonControl(HWND taskbar) {
  HWND switcher = firstDescendant(taskbar, kSwitcherClass);
  if (switcher == nullptr) return nullptr;
  return FindWindowExW(switcher, nullptr, kToolbarClass, nullptr);
}

bool isButtonControl(HWND window) { return hasClass(window, kToolbarClass); }

int buttonCount(HWND control) {
  return static_cast<int>(SendMessageW(control, TB_BUTTONCOUNT, 0, 0));
}

HWND buttonWindow(HWND control, int index) {
  TBBUTTON button{};
  if (!SendMessageW(control, TB_GETBUTTON, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&button)) ||
      button.dwData == 0)
    return nullptr;
  return *reinterpret_cast<const HWND*>(button.dwData);
}

int hitTest(HWND control, POINT point) {
  int hit =
      static_cast<int>(SendMessageW(control, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
  if (hit < 0 || buttonWindow(control, hit) == nullptr) return -1;
  return hit;
}

// The insert mark stands after the target when the button travels towards higher indices, where
// it will land, and before it otherwise; no target, no mark.
void showTarget(HWND control, int source, int target) {
  TBINSERTMARK mark{target, source < target && target != -1 ? TBIMHT_AFTER : 0u};
  SendMessageW(control, TB_SETINSERTMARK, 0, reinterpret_cast<LPARAM>(&mark));
}

void clearTarget(HWND control) { showTarget(control, -1, -1); }

}  // namespace tov::shuffla
