// The folder a shell window shows, through the shell's automation objects.
#include <exdisp.h>
#include <shlguid.h>
#include <shlwapi.h>

#include "explorer_folder.h"
#include "scoped_win.h"

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
    if (reinterpret_cast<HWND>(window) == explorerWindow) {
      return locationPath(browser.get(), buffer);
    }
  }
  return false;
}

}  // namespace tov
