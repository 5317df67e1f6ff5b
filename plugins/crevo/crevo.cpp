// Crevo: Ctrl+K in an Explorer window or on the desktop makes a new folder. The hook clears the
// file list's selection, so that the Applications key opens the background's context menu, and
// types that key and then W (New) and F (Folder). In the items view of a folder window (Windows
// Vista on) it types the shell's own shortcut, Ctrl+Shift+N, instead. The K itself never reaches
// the window.
#include <items_view.h>
#include <plugin_frame.h>
#include <window_classes.h>

#include <commctrl.h>

#include "core/new_folder.h"

namespace {

using namespace tov::crevo;

struct SharedState {
  HHOOK hHook;
  bool inUse;
  std::uint8_t triggerKey;  // not read: any program can write the section; the key is constant
};

TOV_SHARED constinit SharedState state = {nullptr, true, kInitialTriggerKey};

// The whole clearing of a selection is given this long: a list that answers slowly, or not at
// all, holds up the program the hook runs in no longer than that, however many items it has, and
// is left as far as it got.
constexpr DWORD kClearingBudgetMs = 1000;

// One question to the list within what is left of the budget begun at tick `start`; false when
// the budget is spent or the list did not answer in time. Ticks wrap around: their difference,
// taken unsigned, does not mind.
bool askList(HWND list, DWORD start, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer) {
  DWORD elapsed = GetTickCount() - start;
  UINT left = elapsed < kClearingBudgetMs ? kClearingBudgetMs - elapsed : 0;
  DWORD_PTR result = 0;
  if (left == 0 ||
      SendMessageTimeoutW(list, message, wParam, lParam, SMTO_ABORTIFHUNG, left, &result) == 0)
    return false;
  answer = static_cast<LRESULT>(result);
  return true;
}

void clearSelection(HWND list) {
  // The item record travels by pointer, which means something only inside this process.
  DWORD owner = 0;
  GetWindowThreadProcessId(list, &owner);
  if (owner != GetCurrentProcessId()) return;
  // A list of this thread is called directly, whatever the time-out: the budget is checked before
  // every question.
  DWORD start = GetTickCount();
  LRESULT selected = 0;
  LRESULT count = 0;
  if (!askList(list, start, LVM_GETSELECTEDCOUNT, 0, 0, selected) || selected == 0 ||
      !askList(list, start, LVM_GETITEMCOUNT, 0, 0, count))
    return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = 0;
  LRESULT ignored = 0;
  for (LRESULT i = 0; i < count; ++i) {
    if (!askList(list, start, LVM_SETITEMSTATE, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&item), ignored))
      break;
  }
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
  if (isTriggerPress(kInitialTriggerKey, state.inUse, code, wParam, lParam) &&
      GetKeyState(VK_CONTROL) < 0) {
    HWND root = GetAncestor(GetActiveWindow(), GA_ROOTOWNER);
    tov::ClassName name(root);
    // The desktop's list may hang under a top-level "WorkerW" rather than "Progman" (Windows 10,
    // once a slideshow or Task View has run).
    if (isNewFolderWindowClass(name.get()) || tov::isDesktopWindow(root, name.get())) {
      // The focus is this thread's own: the window that takes the keys.
      if (isFolderWindowClass(name.get()) && tov::isItemsView(GetFocus())) {
        KeySequence keys = itemsViewNewFolderKeys(GetKeyState(VK_SHIFT) < 0);
        typeKeys(keys.keys.data(), keys.count);
        return 1;
      }
      if (HWND list = tov::firstDescendant(root, kFileListClass)) clearSelection(list);
      typeKeys(kNewFolderKeys.data(), kNewFolderKeys.size());
      return 1;
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

class Crevo final : public tov::OneHookPlugin<SharedState, state, WH_KEYBOARD, keyboardProcedure> {
 public:
  Crevo(int pluginId, IPluginHost* pluginHost) : OneHookPlugin(L"Crevo", pluginId, pluginHost) {}
};

}  // namespace

TOV_PLUGIN_EXPORT(Crevo)
