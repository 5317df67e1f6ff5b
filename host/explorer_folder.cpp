// The folder a shell window shows, through the shell's automation objects.
#include <exdisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <utility>
#include <vector>

#include "core/shell_tabs.h"
#include "explorer_folder.h"
#include "scoped_win.h"
#include "window_classes.h"

namespace tov {

namespace {

// The file-system path of a shell window's location, when it has one.
bool locationPath(IWebBrowser2* browser, wchar_t* buffer) {
  ComString url;
  if (FAILED(browser->get_LocationURL(url.out())) || url.get() == nullptr) return false;
  wchar_t path[MAX_PATH];
  DWORD length = MAX_PATH;
  if (PathCreateFromUrlW(url.get(), path, &length, 0) != S_OK) return false;
  lstrcpynW(buffer, path, MAX_PATH);
  return true;
}

// Where the view of a browser that names `window` lies: the browser's shell view, as the
// folder window's top browser serves it, gives its window, whose tab shows or not.
TabPlace tabPlaceOf(IWebBrowser2* browser, HWND window) {
  ComPointer<IServiceProvider> services;
  ComPointer<IShellBrowser> shellBrowser;
  ComPointer<IShellView> view;
  HWND viewWindow = nullptr;
  if (FAILED(browser->QueryInterface(IID_IServiceProvider, services.out())) || !services ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, shellBrowser.out())) ||
      !shellBrowser || FAILED(shellBrowser->QueryActiveShellView(view.typedOut())) || !view ||
      FAILED(view->GetWindow(&viewWindow)) || IsWindow(viewWindow) == FALSE) {
    return TabPlace::kUnknown;
  }
  return inHiddenTab(viewWindow, window) ? TabPlace::kHidden : TabPlace::kShown;
}

}  // namespace

bool findExplorerFolder(HWND explorerWindow, wchar_t* buffer) {
  if (buffer == nullptr) return false;
  lstrcpynW(buffer, L"unkown", MAX_PATH);
  ComPointer<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                              windows.out())) ||
      windows.get() == nullptr) {
    return false;
  }
  long count = 0;
  if (FAILED(windows->get_Count(&count))) return false;
  // On Windows 11 every tab of the window has an entry that names it.
  std::vector<ComPointer<IWebBrowser2>> named;
  for (long index = 0; index < count; ++index) {
    VARIANT position;
    VariantInit(&position);
    position.vt = VT_I4;
    position.lVal = index;
    ComPointer<IDispatch> item;
    if (FAILED(windows->Item(position, item.typedOut())) || item.get() == nullptr) continue;
    ComPointer<IWebBrowser2> browser;
    if (FAILED(item->QueryInterface(IID_IWebBrowser2, browser.out())) || browser.get() == nullptr) {
      continue;
    }
    SHANDLE_PTR window = 0;
    if (FAILED(browser->get_HWND(&window))) continue;
    if (reinterpret_cast<HWND>(window) == explorerWindow) named.push_back(std::move(browser));
  }
  if (named.empty()) return false;
  // Their views are asked about, each a round trip to the shell's process, only where several
  // name the window.
  std::size_t chosen = 0;
  TabChoice choice;
  for (std::size_t i = 0; named.size() > 1 && i < named.size() && !choice.settled(); ++i) {
    if (choice.offer(tabPlaceOf(named[i].get(), explorerWindow))) chosen = i;
  }
  return locationPath(named[chosen].get(), buffer);
}

}  // namespace tov
