// The report list in the main window's client area: one row per loaded plug-in with its order,
// id, name, in-use state and file version. A double click toggles a plug-in, the context menu
// opens its menu. A superclass of the system's list view under the class "PluginListView".
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "plugin_list.h"
#include "window.h"

namespace tov {

inline constexpr wchar_t kPluginListViewClass[] = L"PluginListView";

class PluginListView final : public Window {
 public:
  PluginListView() = default;
  ~PluginListView() override;

  // Creates and fills the control; its handle, or null.
  HWND create(HWND parent, int controlId, const PluginList* plugins);
  // Rewrites the "Use" column of one row, or of all rows for -1, and redraws them.
  void refreshRows(int row);
  // Gives the list the font and column widths of a display scaled to `dpi` (dots per inch), when
  // it has not got them already.
  void setDpi(int dpi);
  int dpi() const { return dpi_; }

  // Messages the parent passes on: the control's notifications (custom drawing) and context
  // menus that bubbled up. True when taken, with the result in `result`.
  bool handleParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // A header's text width plus the margin every column is inserted with.
  int headerTextWidth(const wchar_t* header);
  void insertColumns();
  void fillRows();
  // Every column as wide as its widest cell, or its header where that is wider.
  void fitColumns();
  void setCellText(int row, int column, const wchar_t* text);
  // The module shown in a row, or null when the row names none.
  PluginModule* moduleAt(int row) const {
    return plugins_ != nullptr ? plugins_->moduleAt(row) : nullptr;
  }
  int itemAt(POINT clientPoint);
  void onDoubleClick(POINT clientPoint);
  void onRightButtonDown(POINT clientPoint);
  void onContextMenu(LPARAM screenPoint);
  LRESULT onCustomDraw(NMLVCUSTOMDRAW* draw);

  const PluginList* plugins_ = nullptr;
  int dpi_ = 0;           // the scaling the font and columns are made for
  HFONT font_ = nullptr;  // ours, once the scaling differs from the one the control began at
};

}  // namespace tov
