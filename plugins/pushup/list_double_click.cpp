#include "list_double_click.h"

#include <commctrl.h>
#include <window_classes.h>

namespace tov::pushup {

namespace {

// A list that does not answer within this time is treated as having a selection: the double
// click is then passed on untouched rather than the program held up.
constexpr UINT kQueryTimeoutMs = 1000;

bool hasSelection(HWND list) {
  DWORD_PTR selected = 0;
  if (SendMessageTimeoutW(list, LVM_GETSELECTEDCOUNT, 0, 0, SMTO_ABORTIFHUNG, kQueryTimeoutMs,
                          &selected) == 0)
    return true;
  return selected != 0;
}

}  // namespace

GoUp goUpTargetOf(HWND window) {
  return goUpTarget(rootOwnerClass(window).get(), ClassName(GetAncestor(window, GA_ROOT)).get());
}

GoUp doubleClickTarget(HWND list) {
  if (!isFileListClass(ClassName(list).get()) || hasSelection(list)) return GoUp::kNone;
  return goUpTargetOf(list);
}

void postBackspace(HWND list) { PostMessageW(list, WM_KEYDOWN, VK_BACK, kBackspaceFlags); }

}  // namespace tov::pushup
