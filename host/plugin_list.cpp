#include "plugin_list.h"

#include "core/plugin_rules.h"
#include "message_box.h"
#include "library_search.h"

namespace tov {

bool PluginList::loadPlugin(const std::wstring& path, IPluginHost& host, HWND owner) {
  auto module = std::make_unique<PluginModule>();
  std::wstring failure;
  // Loaded by its full path: the process's own library search no longer reaches the working
  // folder, which is where users keep plug-ins.
  std::optional<std::wstring> library = findPluginLibrary(path);
  if (!library || !module->load(library->c_str(), &host, liveCount_)) {
    failure = L"Failed to load " + path;
  } else {
    liveCount_ += 1;
    if (!module->start()) {
      failure = std::wstring(L"Failed to hook ") + module->getName();
    } else {
      modules_.push_back(std::move(module));
      return true;
    }
  }
  showMessage(owner, failure, MB_ICONWARNING);
  // Undoes whatever loading achieved.
  destroy(module);
  return false;
}

bool PluginList::canLoadAnother() const { return canLoadAnotherPlugin(liveCount_); }

void PluginList::destroy(std::unique_ptr<PluginModule>& module) {
  if (module == nullptr) return;
  bool live = module->hasPlugin();
  module.reset();
  if (live) liveCount_ -= 1;
}

void PluginList::destroyAll() {
  for (std::unique_ptr<PluginModule>& module : modules_) destroy(module);
  modules_.clear();
}

PluginModule* PluginList::moduleAt(int position) const {
  if (position < 0 || static_cast<std::size_t>(position) >= modules_.size()) return nullptr;
  return modules_[static_cast<std::size_t>(position)].get();
}

}  // namespace tov
