#include "list_double_click.h"

#include <commctrl.h>

namespace tov::pushup {

void readClassName(HWND window, wchar_t (&name)[kClassNameCapacity]) {
  if (GetClassNameW(window, name, static_cast<int>(kClassNameCapacity)) == 0) name[0] = L'\0';
}

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

GoUp doubleClickTarget(HWND list) {
  wchar_t name[kClassNameCapacity];
  readClassName(list, name);
  if (!isFileListClass(name) || hasSelection(list)) return GoUp::kNone;
  wchar_t rootOwner[kClassNameCapacity];
  readClassName(GetAncestor(list, GA_ROOTOWNER), rootOwner);
  wchar_t root[kClassNameCapacity];
  readClassName(GetAncestor(list, GA_ROOT), root);
  return goUpTarget(rootOwner, root);
}

void postBackspace(HWND list) { PostMessageW(list, WM_KEYDOWN, VK_BACK, kBackspaceFlags); }

}  // namespace tov::pushup
