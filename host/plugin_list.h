// The loaded plug-ins, in the order of HookOrder.ini: a plug-in's position in the list is its id.
// The list also counts the plug-in objects that exist, which gives the next plug-in its id and
// bounds how many can be loaded.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "plugin_api.h"
#include "plugin_module.h"

namespace tov {

class PluginList {
 public:
  using Modules = std::vector<std::unique_ptr<PluginModule>>;

  PluginList() = default;
  ~PluginList() { destroyAll(); }
  PluginList(const PluginList&) = delete;
  PluginList& operator=(const PluginList&) = delete;

  // Creates, loads and starts one plug-in, handing it `host`, and appends it; warns (in a message
  // box owned by `owner`) and returns false when any step fails.
  bool loadPlugin(const std::wstring& path, IPluginHost& host, HWND owner);
  // Whether one more plug-in can receive all of its commands.
  bool canLoadAnother() const;
  // Every module destroyed in list order, first loaded first; the list is emptied only
  // afterwards, so a plug-in that calls back while it stops still finds the others where they
  // were.
  void destroyAll();

  // The module at a position, or null when the position names none.
  PluginModule* moduleAt(int position) const;
  std::size_t size() const { return modules_.size(); }
  bool empty() const { return modules_.empty(); }
  const std::unique_ptr<PluginModule>& operator[](std::size_t position) const {
    return modules_[position];
  }
  // The module loaded last.
  PluginModule& back() const { return *modules_.back(); }
  Modules::const_iterator begin() const { return modules_.begin(); }
  Modules::const_iterator end() const { return modules_.end(); }

 private:
  // Destroys a module and counts its plug-in object, if it had one, as gone.
  void destroy(std::unique_ptr<PluginModule>& module);

  Modules modules_;
  // The plug-in objects that exist: the id the next createInstance gets. Between loads it equals
  // the length of the list, so ids are list positions.
  int liveCount_ = 0;
};

}  // namespace tov
