// PushupB: Pushup with the Explorer half done by the host. A left double click on the empty
// background of an Explorer window's file list is handed to the host process, which posts the
// Backspace key, looks the window's folder up before and after, and opens the parent folder
// through the shell when the folder did not change. Dialog lists get the key from the hook, as
// in Pushup. On the shell's items view PushupB does what Pushup does (items_view_go_up.h): Alt+Up
// goes up wherever that view exists, and a folder lookup right after the key would race it and
// open a second window.
#include <plugin_frame.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <window_classes.h>
#include <window_facts.h>

#include "items_view_go_up.h"
#include "list_double_click.h"

namespace {

using namespace tov::pushup;

struct SharedState {
  HHOOK hHook;
  bool inUse;
  // Neither read nor written any more: the hook posts to TOV through its session block
  // (postToHost), not to a window and commands that any program could write here.
  HWND hostWindow;
  std::int32_t goUpCommand;
  std::int32_t itemsViewCommand;
  ItemsViewPresses presses;
};

TOV_SHARED constinit SharedState state = {nullptr, true, nullptr, 0, 0, kNoPresses};

constexpr wchar_t kName[] = L"PushupB";

constexpr int kGoUpOffset = tov::kFirstPluginOffset;

LRESULT CALLBACK mouseProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && state.inUse && wParam == WM_LBUTTONDOWN) {
    noteLeftPress(state.presses, kName, *reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam));
  } else if (code >= 0 && state.inUse && wParam == WM_LBUTTONDBLCLK) {
    HWND list = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->hwnd;
    switch (doubleClickTarget(list)) {
      case GoUp::kExplorer:
        // Without TOV there is nobody to ask, and the double click goes on to the list.
        if (!tov::postToHost(kName, kGoUpOffset, reinterpret_cast<LPARAM>(list))) break;
        return 1;
      case GoUp::kDialog:
        postBackspace(list);
        return 1;
      case GoUp::kNone:
        break;
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

using Base = tov::OneHookPlugin<SharedState, state, WH_MOUSE, mouseProcedure>;

class PushupB final : public Base {
 public:
  PushupB(int pluginId, IPluginHost* pluginHost) : Base(kName, pluginId, pluginHost) {}

  // Offset 4 is the hook's go-up command, offset 5 its double click on an items view; the in-use
  // flag is the host's "Is Use" (offset 3) alone.
  bool initialize() override {
    return setCommand(kGoUpOffset, &PushupB::goUpFromList) &&
           setCommand(kItemsViewGoUpOffset, &PushupB::goUpFromItemsView);
  }

 private:
  bool goUpFromList(LPARAM param) {
    if (host == nullptr) return false;
    HWND list = reinterpret_cast<HWND>(param);
    // Any program can post this command: act only on what the hook itself would have sent, in a
    // program at TOV's integrity level or above (a sandboxed one has no folder window).
    if (!isGoUpTarget(list) || !tov::atOurLevelOrAbove(list)) return false;
    goUpFolder(list);
    return true;
  }

  bool goUpFromItemsView(LPARAM view) {
    return goUpItemsView(reinterpret_cast<HWND>(view), state.presses, state.inUse);
  }

  static bool isGoUpTarget(HWND list) {
    // A handle that names no window reads as no class at all.
    return isGoUpCommandTarget(IsWindow(list) != FALSE, tov::ClassName(list).get(),
                               tov::rootOwnerClass(list).get());
  }

  void goUpFolder(HWND list) {
    HWND explorer = GetAncestor(list, GA_ROOTOWNER);
    wchar_t before[MAX_PATH];
    if (!host->getExplorerFolder(explorer, before)) before[0] = L'\0';
    before[MAX_PATH - 1] = L'\0';
    postBackspace(list);
    // Right away, without waiting for the key: when the window still shows the same folder, the
    // shell is asked to open its parent as well.
    wchar_t after[MAX_PATH];
    bool found = host->getExplorerFolder(explorer, after);
    after[MAX_PATH - 1] = L'\0';
    if (!shouldOpenParent(before, found, after)) return;
    PathRemoveFileSpecW(after);
    // The shell's default verb runs a program as readily as it opens a folder: only a folder.
    DWORD attributes = GetFileAttributesW(after);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      return;
    ShellExecuteW(nullptr, nullptr, after, nullptr, nullptr, SW_SHOW);
  }
};

}  // namespace

TOV_PLUGIN_EXPORT(PushupB)
