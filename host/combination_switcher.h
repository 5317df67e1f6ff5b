// The combinations at work: switching every plug-in's in-use flag to the set of a combination,
// matching the flags against the combinations after a plug-in changed, and showing the active one
// in the host's tray icon. What the combinations are and which one is active is decided without
// Windows, in core/combinations.h.
#pragma once

#include <windows.h>

#include "core/combinations.h"
#include "plugin_list.h"
#include "plugin_list_view.h"
#include "tray_icon.h"

namespace tov {

class CombinationSwitcher {
 public:
  // `plugins` are switched, `listWindow`'s rows follow, `hostIcon` shows the active combination.
  CombinationSwitcher(PluginList& plugins, PluginListView& listWindow, TrayIcon& hostIcon)
      : plugins_(plugins), listWindow_(listWindow), hostIcon_(hostIcon) {}
  ~CombinationSwitcher() { freeIcon(); }
  CombinationSwitcher(const CombinationSwitcher&) = delete;
  CombinationSwitcher& operator=(const CombinationSwitcher&) = delete;

  Combinations& combinations() { return combinations_; }
  const Combinations& combinations() const { return combinations_; }

  // The next combination in definition order, Custom after the last.
  void shiftCombination();
  // A combination chosen from the tray menu; the active one is not applied again.
  void selectCombination(int index);
  // Every plug-in takes its flag from `set`, then the rows and the host icon follow.
  void applyCombination(const PluginSet& set);
  // Matches the plug-ins' in-use flags against the combinations; true when the active one
  // changed.
  bool syncCombination();
  // The host icon's tooltip and image for the active combination.
  void updateCombinationIcon();
  // Destroys the image loaded for the host icon, if any.
  void freeIcon();

 private:
  PluginList& plugins_;
  PluginListView& listWindow_;
  TrayIcon& hostIcon_;
  Combinations combinations_;
  HICON combinationIcon_ = nullptr;  // owned; null while the host icon shows TOV's own image
};

}  // namespace tov
