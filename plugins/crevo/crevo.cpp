// Crevo: Ctrl+K in an Explorer window or on the desktop makes a new folder. The hook clears the
// file list's selection, so that the Applications key opens the background's context menu, and
// types that key and then W (New) and F (Folder). In the items view of a folder window (Windows
// Vista on) it types the shell's own shortcut, Ctrl+Shift+N, instead. The K itself never reaches
// the window.
#include <items_view.h>
#include <plugin_frame.h>

#include <commctrl.h>

#include <cwchar>

#include "core/new_folder.h"

namespace {

using namespace tov::crevo;

struct SharedState {
  HHOOK hHook;
  bool inUse;
  std::uint8_t triggerKey;
};

TOV_SHARED constinit SharedState state = {nullptr, true, kInitialTriggerKey};

// A list that does not answer within this time is left as it is.
constexpr UINT kListTimeoutMs = 1000;

BOOL CALLBACK findFileList(HWND child, LPARAM found) {
  wchar_t name[kChildClassCapacity];
  if (GetClassNameW(child, name, static_cast<int>(kChildClassCapacity)) == 0 ||
      std::wcscmp(name, kFileListClass) != 0)
    return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

LRESULT askList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(list, message, wParam, lParam, SMTO_ABORTIFHUNG, kListTimeoutMs,
                          &result) == 0)
    return 0;
  return static_cast<LRESULT>(result);
}

void clearSelection(HWND list) {
  // The item record travels by pointer, which means something only inside this process.
  DWORD owner = 0;
  GetWindowThreadProcessId(list, &owner);
  if (owner != GetCurrentProcessId()) return;
  if (askList(list, LVM_GETSELECTEDCOUNT, 0, 0) == 0) return;
  LRESULT count = askList(list, LVM_GETITEMCOUNT, 0, 0);
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = 0;
  for (LRESULT i = 0; i < count; ++i)
    askList(list, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
}

void typeKeys(const KeyEvent* keys, std::size_t count) {
  INPUT inputs[kNewFolderKeys.size()] = {};
  for (std::size_t i = 0; i < count; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i].virtualKey;
    inputs[i].ki.dwFlags = keys[i].up ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(static_cast<UINT>(count), inputs, sizeof(INPUT));
}

LRESULT CALLBACK keyboardProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (isTriggerPress(state.triggerKey, state.inUse, code, wParam, lParam) &&
      GetKeyState(VK_CONTROL) < 0) {
    HWND root = GetAncestor(GetActiveWindow(), GA_ROOTOWNER);
    wchar_t name[kRootClassCapacity];
    if (root != nullptr && GetClassNameW(root, name, static_cast<int>(kRootClassCapacity)) != 0 &&
        isNewFolderWindowClass(name)) {
      // The focus is this thread's own: the window that takes the keys.
      if (isFolderWindowClass(name) && tov::isItemsView(GetFocus())) {
        KeySequence keys = itemsViewNewFolderKeys(GetKeyState(VK_SHIFT) < 0);
        typeKeys(keys.keys.data(), keys.count);
        return 1;
      }
      HWND list = nullptr;
      EnumChildWindows(root, findFileList, reinterpret_cast<LPARAM>(&list));
      if (list != nullptr) clearSelection(list);
      typeKeys(kNewFolderKeys.data(), kNewFolderKeys.size());
      return 1;
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

class Crevo final : public tov::OneHookPlugin<SharedState, state, WH_KEYBOARD, keyboardProcedure> {
 public:
  explicit Crevo(int pluginId) : OneHookPlugin(L"Crevo", pluginId) {}
};

}  // namespace

TOV_PLUGIN_EXPORT(Crevo)
