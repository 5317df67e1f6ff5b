// HookOrder.ini as the host uses it: read once while the main window is created (it loads the
// plug-ins it names and defines the combinations), and the plug-ins' two flags written back on
// "&Quit" and at the end of the Windows session. Nothing else is ever written into it.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "core/combinations.h"
#include "core/hook_order.h"
#include "plugin_api.h"
#include "plugin_list.h"

namespace tov {

inline constexpr wchar_t kHookOrderFile[] = L"HookOrder.ini";

class HookOrderFile {
 public:
  // Loads and starts, through `plugins`, each plug-in the file names, handing it `host`; applies
  // each one's flags and defines `combinations` with their members. Every problem is told in a
  // message box owned by `owner`, one per line.
  void load(HWND owner, PluginList& plugins, IPluginHost& host, Combinations& combinations);
  // Writes the plug-ins' flags back into the lines they were read from; false (after telling the
  // user) when the file could not be read or replaced.
  bool save(HWND owner, const PluginList& plugins) const;
  // The plug-ins are gone: nothing is left to write back.
  void forget() { entries_.clear(); }

 private:
  // What the file said about each loaded plug-in, parallel to the plug-in list.
  struct Entry {
    Membership membership = 0;
    std::optional<FlagLine> flagLine;  // only for lines whose flags were applied
  };

  std::vector<Entry> entries_;
};

}  // namespace tov
