// Crevo: Ctrl+K in an Explorer window or on the desktop makes a new folder. The hook clears the
// file list's selection, so that the Applications key opens the background's context menu, and
// types that key and then W (New) and F (Folder). In the items view of a folder window (Windows
// Vista on) it types the shell's own shortcut, Ctrl+Shift+N, instead. The K itself never reaches
// the window. The hook runs only on the threads of folder windows, the desktop and their lists.
#include <items_view.h>
#include <plugin_frame.h>
#include <thread_hooks.h>
#include <window_classes.h>

#include <commctrl.h>

#include "core/new_folder.h"

namespace {

using namespace tov::crevo;

struct SharedState {
  HHOOK hHook;  // stays null: the hooks are per thread, and only the host keeps their handles
  bool inUse;
  std::uint8_t triggerKey;  // not read: any program can write the section; the key is constant
};

TOV_SHARED constinit SharedState state = {nullptr, true, kInitialTriggerKey};

// A list that answers slowly, or not at all, holds up the program the hook runs in no longer than
// this for each question.
constexpr UINT kListAnswerMs = 500;

// Clears the list's selection in one go, so that the Applications key cannot open the menu of
// items still selected, however many there are.
void clearSelection(HWND list) {
  // The item record travels by pointer, which means something only inside this process.
  DWORD owner = 0;
  GetWindowThreadProcessId(list, &owner);
  if (owner != GetCurrentProcessId()) return;
  // A list of this thread is called directly, whatever the time-out.
  DWORD_PTR selected = 0;
  if (SendMessageTimeoutW(list, LVM_GETSELECTEDCOUNT, 0, 0, SMTO_ABORTIFHUNG, kListAnswerMs,
                          &selected) == 0 ||
      selected == 0)
    return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = 0;
  DWORD_PTR ignored = 0;
  // Item -1 is every item.
  SendMessageTimeoutW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                      reinterpret_cast<LPARAM>(&item), SMTO_ABORTIFHUNG, kListAnswerMs, &ignored);
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
  // The handle is ignored on Windows NT, and this thread's is the host's alone to know.
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The desktop or a folder window, for itself or its file list.
bool isNewFolderWindow(HWND window) {
  tov::ClassName name(window);
  return isNewFolderWindowClass(name.get()) || tov::isDesktopWindow(window, name.get());
}

// The keys go to the thread of the window that has the focus: a folder window's or the desktop's,
// or its list's where that one is another thread's (the desktop's may be).
class NewFolderWindows final : public tov::WatchedWindows {
 public:
  NewFolderWindows() : WatchedWindows({WH_KEYBOARD, keyboardProcedure}) {}

 private:
  HWND watchedWindowOf(HWND window) override {
    HWND root = GetAncestor(window, GA_ROOTOWNER);
    if (root == nullptr || (root != window && !tov::hasClass(window, kFileListClass)))
      return nullptr;
    return isNewFolderWindow(root) ? root : nullptr;
  }
  bool watchThreadsOf(HWND window) override {
    bool fresh = hooks_.watch(window);
    return hooks_.watch(tov::firstDescendant(window, kFileListClass)) || fresh;
  }
};

class Crevo final : public tov::WatchingPlugin<SharedState, state> {
 public:
  Crevo(int pluginId, IPluginHost* pluginHost) : WatchingPlugin(L"Crevo", pluginId, pluginHost) {}

 private:
  tov::WatchedWindows& watchedWindows() override { return windows_; }

  NewFolderWindows windows_;
};

}  // namespace

TOV_PLUGIN_EXPORT(Crevo)
