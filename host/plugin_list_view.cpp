#include "plugin_list_view.h"

#include <windowsx.h>

#include <string>

#include "core/plugin_rules.h"
#include "core/scaling.h"
#include "display_scaling.h"
#include "library_search.h"

namespace tov {

namespace {

constexpr const wchar_t* kColumnHeaders[] = {L"Order", L"ID", L"Name", L"Use", L"Version"};
constexpr int kUseColumn = 3;
constexpr int kVersionColumn = 4;
constexpr int kHeaderMargin = 15;
constexpr COLORREF kTextColour = 0x000000;
constexpr COLORREF kEvenRowColour = 0xFFDDDD;  // rows 0, 2, …
constexpr COLORREF kOddRowColour = 0xFFFFFF;
constexpr wchar_t kFileVersionBlock[] = L"\\StringFileInfo\\041104B0\\FileVersion";

const wchar_t* useText(PluginModule& module) { return module.isUse() ? L"Use" : L"Not Use"; }

// The file the module's library was loaded from; the path as written when that is unknown.
std::wstring libraryFile(const PluginModule& module) {
  std::wstring file(MAX_PATH, L'\0');
  DWORD length = GetModuleFileNameW(module.libraryHandle(), file.data(), MAX_PATH);
  if (module.libraryHandle() == nullptr || length == 0 || length >= MAX_PATH) {
    return module.libraryPath();
  }
  file.resize(length);
  return file;
}

// version.dll, taken from the system folder while the rows are filled: it is not one of the
// libraries Windows always takes from there, so TOV.exe does not import it.
class VersionLibrary {
 public:
  VersionLibrary() : library_(loadSystemLibrary(L"version.dll")) {
    if (library_ == nullptr) return;
    sizeOf = function<decltype(&GetFileVersionInfoSizeW)>("GetFileVersionInfoSizeW");
    read = function<decltype(&GetFileVersionInfoW)>("GetFileVersionInfoW");
    query = function<decltype(&VerQueryValueW)>("VerQueryValueW");
  }
  ~VersionLibrary() {
    if (library_ != nullptr) FreeLibrary(library_);
  }
  VersionLibrary(const VersionLibrary&) = delete;
  VersionLibrary& operator=(const VersionLibrary&) = delete;

  bool usable() const { return sizeOf != nullptr && read != nullptr && query != nullptr; }

  decltype(&GetFileVersionInfoSizeW) sizeOf = nullptr;
  decltype(&GetFileVersionInfoW) read = nullptr;
  decltype(&VerQueryValueW) query = nullptr;

 private:
  template <class Function>
  Function function(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
  }

  HMODULE library_;
};

// The "FileVersion" string of the Japanese Unicode string table, or empty. `block` is reused
// between rows and only grows.
std::wstring fileVersion(const VersionLibrary& library, const std::wstring& file,
                         std::vector<BYTE>& block) {
  if (!library.usable()) return {};
  DWORD ignored = 0;
  DWORD size = library.sizeOf(file.c_str(), &ignored);
  if (size == 0) return {};
  if (block.size() < size) block.resize(size);
  if (!library.read(file.c_str(), 0, size, block.data())) return {};
  void* value = nullptr;
  UINT length = 0;
  if (!library.query(block.data(), kFileVersionBlock, &value, &length) || value == nullptr) {
    return {};
  }
  const auto* text = static_cast<const wchar_t*>(value);
  std::wstring version;
  for (UINT i = 0; i < length && text[i] != L'\0'; ++i) version += text[i];
  return version;
}

}  // namespace

PluginListView::~PluginListView() {
  if (font_ == nullptr) return;
  if (handle() != nullptr) SendMessageW(handle(), WM_SETFONT, 0, FALSE);
  DeleteObject(font_);
}

HWND PluginListView::create(HWND parent, int controlId, const PluginList* plugins) {
  if (!registerSuperclass(WC_LISTVIEWW, kPluginListViewClass)) return nullptr;
  // At no size: the parent's WM_SIZE places it.
  if (!Window::create({.className = kPluginListViewClass,
                       .style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT,
                       .exStyle = WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT,
                       .parent = parent,
                       .controlId = controlId})) {
    return nullptr;
  }
  SendMessageW(handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  // The control starts with the font of the scaling of the window it is created in.
  dpi_ = static_cast<int>(windowDpi(handle()));
  insertColumns();
  plugins_ = plugins;
  fillRows();
  return handle();
}

int PluginListView::headerTextWidth(const wchar_t* header) {
  return static_cast<int>(
             SendMessageW(handle(), LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(header))) +
         scaleForDpi(kHeaderMargin, dpi_);
}

void PluginListView::setDpi(int dpi) {
  if (handle() == nullptr || dpi <= 0 || dpi == dpi_) return;
  LOGFONTW logFont{};
  if (!iconTitleFontForDpi(logFont, static_cast<UINT>(dpi))) return;
  HFONT font = CreateFontIndirectW(&logFont);
  if (font == nullptr) return;
  dpi_ = dpi;
  SendMessageW(handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;
  fitColumns();
}

void PluginListView::insertColumns() {
  int index = 0;
  for (const wchar_t* header : kColumnHeaders) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = headerTextWidth(header);
    column.pszText = const_cast<wchar_t*>(header);
    column.iSubItem = index;
    SendMessageW(handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
    ++index;
  }
}

void PluginListView::setCellText(int row, int column, const wchar_t* text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text);
  SendMessageW(handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&item));
}

void PluginListView::fillRows() {
  VersionLibrary versionLibrary;
  std::vector<BYTE> versionBlock;
  int row = 0;
  for (const std::unique_ptr<PluginModule>& module : *plugins_) {
    std::wstring order = twoDigits(row);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = order.data();
    SendMessageW(handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    setCellText(row, 1, twoDigits(module->getId()).c_str());
    setCellText(row, 2, module->getName());
    setCellText(row, kUseColumn, useText(*module));
    std::wstring version = fileVersion(versionLibrary, libraryFile(*module), versionBlock);
    if (!version.empty()) setCellText(row, kVersionColumn, version.c_str());
    ++row;
  }
  fitColumns();
}

void PluginListView::fitColumns() {
  SendMessageW(handle(), LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE_USEHEADER);
  // Some list views (Wine's) size a first column by its header narrower than the header's text;
  // it never gets narrower than it was inserted.
  int headerWidth = headerTextWidth(kColumnHeaders[0]);
  if (SendMessageW(handle(), LVM_GETCOLUMNWIDTH, 0, 0) < headerWidth) {
    SendMessageW(handle(), LVM_SETCOLUMNWIDTH, 0, headerWidth);
  }
  for (int column = 1; column < static_cast<int>(std::size(kColumnHeaders)); ++column) {
    SendMessageW(handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), LVSCW_AUTOSIZE);
  }
}

void PluginListView::refreshRows(int row) {
  if (handle() == nullptr) return;
  int count = static_cast<int>(SendMessageW(handle(), LVM_GETITEMCOUNT, 0, 0));
  int first = row < 0 ? 0 : row;
  int last = row < 0 ? count - 1 : row;
  if (first >= count) return;
  for (int i = first; i <= last; ++i) {
    if (PluginModule* module = moduleAt(i)) setCellText(i, kUseColumn, useText(*module));
  }
  SendMessageW(handle(), LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
}

int PluginListView::itemAt(POINT clientPoint) {
  LVHITTESTINFO hit{};
  hit.pt = clientPoint;
  return static_cast<int>(SendMessageW(handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

void PluginListView::onDoubleClick(POINT clientPoint) {
  int row = itemAt(clientPoint);
  PluginModule* module = moduleAt(row);
  if (module == nullptr) return;
  module->toggleUse();
  refreshRows(row);
}

void PluginListView::onRightButtonDown(POINT clientPoint) {
  int row = itemAt(clientPoint);
  if (row < 0) return;
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = 0;
  SendMessageW(handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(&state));
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&state));
  SetFocus(handle());
}

void PluginListView::onContextMenu(LPARAM screenPoint) {
  POINT point{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  int row = -1;
  if (point.x == -1 && point.y == -1) {
    // From the keyboard: the first selected row, at the right end of its top edge.
    row = static_cast<int>(
        SendMessageW(handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) return;
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    if (!SendMessageW(handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(&bounds))) {
      return;
    }
    point = {bounds.right, bounds.top};
    ClientToScreen(handle(), &point);
  } else {
    LVHITTESTINFO hit{};
    hit.pt = point;
    ScreenToClient(handle(), &hit.pt);
    row = static_cast<int>(
        SendMessageW(handle(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  }
  if (PluginModule* module = moduleAt(row)) module->showMenu(point, GetParent(handle()));
}

LRESULT PluginListView::onCustomDraw(NMLVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      draw->clrText = kTextColour;
      draw->clrTextBk = draw->nmcd.dwItemSpec % 2 == 0 ? kEvenRowColour : kOddRowColour;
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

bool PluginListView::handleParentMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result) {
  if (handle() == nullptr) return false;
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header == nullptr || header->hwndFrom != handle() || header->code != NM_CUSTOMDRAW) {
      return false;
    }
    result = onCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
    return true;
  }
  if (message == WM_CONTEXTMENU && reinterpret_cast<HWND>(wParam) == handle()) {
    onContextMenu(lParam);
    result = 0;
    return true;
  }
  return false;
}

LRESULT PluginListView::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDBLCLK:
      onDoubleClick({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_RBUTTONDOWN:
      // Never passed on: the control's own handling would open a menu of its own accord.
      onRightButtonDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == handle()) {
        onContextMenu(lParam);
        return 0;
      }
      break;
    default:
      break;
  }
  return defaultProcedure(message, wParam, lParam);
}

}  // namespace tov
