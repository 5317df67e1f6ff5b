// A stand-in for the shell's collection of open shell windows (Wine's own object answers
// E_NOTIMPL). Wine looks up the class's in-process server under the machine's classes only, so a
// per-user registration would not be seen and changing the machine's would outlive a failed test:
// instead registerFakeShellWindows() registers the class object in the calling apartment, where
// CoCreateInstance looks first. The tests have the recorder plug-in call it inside the host. It
// reports the windows listed in "shell_windows.txt" in the current folder, one per line:
//   <window handle, decimal> <location URL>
// A location of "-" makes an item that is no web browser. The file is read on every count, so a
// test can change the windows between calls. A location "<first> => <second>" is a window that
// moves: its location reads as the first once, and as the second from then on.
#include <windows.h>
#include <exdisp.h>
#include <ole2.h>
#include <shlguid.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

LONG objects = 0;
LONG locks = 0;

struct Entry {
  LONG_PTR window;
  std::wstring url;       // empty: not a browser
  std::wstring movedUrl;  // empty: the window stays where it is
};

// Moving windows whose first location has been read.
std::set<LONG_PTR> moved;

std::vector<Entry> readEntries() {
  std::vector<Entry> entries;
  FILE* in = _wfopen(L"shell_windows.txt", L"rb");
  if (in == nullptr) return entries;
  char line[2048];
  while (std::fgets(line, sizeof(line), in) != nullptr) {
    long long window = 0;
    int used = 0;
    if (std::sscanf(line, "%lld %n", &window, &used) < 1) continue;
    std::string url(line + used);
    while (!url.empty() && (url.back() == '\n' || url.back() == '\r')) url.pop_back();
    Entry entry{static_cast<LONG_PTR>(window), {}, {}};
    std::size_t arrow = url.find(" => ");
    if (arrow != std::string::npos) {
      std::string second = url.substr(arrow + 4);
      url.resize(arrow);
      int length = MultiByteToWideChar(CP_UTF8, 0, second.data(), static_cast<int>(second.size()),
                                       nullptr, 0);
      entry.movedUrl.resize(static_cast<std::size_t>(length));
      MultiByteToWideChar(CP_UTF8, 0, second.data(), static_cast<int>(second.size()),
                          entry.movedUrl.data(), length);
    }
    if (url != "-") {
      int length =
          MultiByteToWideChar(CP_UTF8, 0, url.data(), static_cast<int>(url.size()), nullptr, 0);
      entry.url.resize(static_cast<std::size_t>(length));
      MultiByteToWideChar(CP_UTF8, 0, url.data(), static_cast<int>(url.size()), entry.url.data(),
                          length);
    }
    entries.push_back(std::move(entry));
  }
  std::fclose(in);
  return entries;
}

// IDispatch's four operations, none of which the host uses.
#define NO_DISPATCH                                                                               \
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }                \
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }   \
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {      \
    return E_NOTIMPL;                                                                             \
  }                                                                                               \
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, \
                                   UINT*) override {                                              \
    return E_NOTIMPL;                                                                             \
  }

#define REFERENCE_COUNTING                                            \
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; } \
  ULONG STDMETHODCALLTYPE Release() override {                        \
    ULONG left = --references_;                                       \
    if (left == 0) delete this;                                       \
    return left;                                                      \
  }

// An item that is only a dispatch object (a window that is no web browser).
class PlainItem final : public IDispatch {
 public:
  PlainItem() { InterlockedIncrement(&objects); }
  ~PlainItem() { InterlockedDecrement(&objects); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  REFERENCE_COUNTING
  NO_DISPATCH

 private:
  ULONG references_ = 1;
};

class Browser final : public IWebBrowser2 {
 public:
  Browser(LONG_PTR window, std::wstring url, std::wstring movedUrl)
      : window_(window), url_(std::move(url)), movedUrl_(std::move(movedUrl)) {
    InterlockedIncrement(&objects);
  }
  ~Browser() { InterlockedDecrement(&objects); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IWebBrowser &&
        iid != IID_IWebBrowserApp && iid != IID_IWebBrowser2) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IWebBrowser2*>(this);
    AddRef();
    return S_OK;
  }
  REFERENCE_COUNTING
  NO_DISPATCH

  HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* window) override {
    if (window == nullptr) return E_POINTER;
    *window = static_cast<SHANDLE_PTR>(window_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* url) override {
    if (url == nullptr) return E_POINTER;
    const std::wstring* location = &url_;
    if (!movedUrl_.empty() && !moved.insert(window_).second) location = &movedUrl_;
    *url = SysAllocStringLen(location->data(), static_cast<UINT>(location->size()));
    return *url != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GoBack() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoForward() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoHome() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoSearch() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Navigate(BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Refresh() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Refresh2(VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Application(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Parent(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Container(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Type(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Left(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Left(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Top(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Top(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Width(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Width(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Height(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Height(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LocationName(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Quit() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ClientToWindow(int*, int*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE PutProperty(BSTR, VARIANT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetProperty(BSTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_FullName(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Path(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_StatusBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_StatusBar(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_StatusText(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_StatusText(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ToolBar(int*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ToolBar(int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_MenuBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_MenuBar(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_FullScreen(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_FullScreen(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Navigate2(VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE QueryStatusWB(OLECMDID, OLECMDF*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Offline(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RegisterAsBrowser(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_RegisterAsBrowser(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TheaterMode(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_TheaterMode(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_AddressBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_AddressBar(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Resizable(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Resizable(VARIANT_BOOL) override { return E_NOTIMPL; }

 private:
  ULONG references_ = 1;
  LONG_PTR window_;
  std::wstring url_;
  std::wstring movedUrl_;
};

class ShellWindows final : public IShellWindows {
 public:
  ShellWindows() { InterlockedIncrement(&objects); }
  ~ShellWindows() { InterlockedDecrement(&objects); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IShellWindows) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IShellWindows*>(this);
    AddRef();
    return S_OK;
  }
  REFERENCE_COUNTING
  NO_DISPATCH

  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    entries_ = readEntries();
    *count = static_cast<LONG>(entries_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Item(VARIANT index, IDispatch** folder) override {
    if (folder == nullptr) return E_POINTER;
    *folder = nullptr;
    if (index.vt != VT_I4) return E_INVALIDARG;
    if (index.lVal < 0 || static_cast<std::size_t>(index.lVal) >= entries_.size()) {
      return S_FALSE;
    }
    const Entry& entry = entries_[static_cast<std::size_t>(index.lVal)];
    if (entry.url.empty()) {
      *folder = new PlainItem;
    } else {
      *folder = new Browser(entry.window, entry.url, entry.movedUrl);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Register(IDispatch*, LONG, int, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterPending(LONG, VARIANT*, VARIANT*, int, LONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Revoke(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnNavigate(LONG, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnActivated(LONG, VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindWindowSW(VARIANT*, VARIANT*, int, LONG*, int,
                                         IDispatch**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnCreated(LONG, IUnknown*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ProcessAttachDetach(VARIANT_BOOL) override { return E_NOTIMPL; }

 private:
  ULONG references_ = 1;
  std::vector<Entry> entries_;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* windows = new ShellWindows;
    HRESULT result = windows->QueryInterface(iid, out);
    windows->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&locks);
    } else {
      InterlockedDecrement(&locks);
    }
    return S_OK;
  }
};

Factory factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_ShellWindows) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(iid, out);
}

// Makes CoCreateInstance(CLSID_ShellWindows) in this apartment create the fake, for as long as
// the library stays loaded.
extern "C" __declspec(dllexport) HRESULT registerFakeShellWindows() {
  DWORD cookie = 0;
  return CoRegisterClassObject(CLSID_ShellWindows, &factory, CLSCTX_INPROC_SERVER,
                               REGCLS_MULTIPLEUSE, &cookie);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return objects == 0 && locks == 0 ? S_OK : S_FALSE;
}
