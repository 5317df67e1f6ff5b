#include "combination_switcher.h"

#include "host_tray.h"

namespace tov {

void CombinationSwitcher::shiftCombination() {
  if (std::optional<PluginSet> set = combinations_.shift()) applyCombination(*set);
}

void CombinationSwitcher::selectCombination(int index) {
  if (std::optional<PluginSet> set = combinations_.select(index)) applyCombination(*set);
}

void CombinationSwitcher::applyCombination(const PluginSet& set) {
  for (std::size_t i = 0; i < plugins_.size(); ++i) {
    if (plugins_[i] != nullptr) plugins_[i]->setUse(i < set.size() && set[i]);
  }
  listWindow_.refreshRows(-1);
  updateCombinationIcon();
}

bool CombinationSwitcher::syncCombination() {
  PluginSet inUse;
  inUse.reserve(plugins_.size());
  for (const std::unique_ptr<PluginModule>& module : plugins_) {
    inUse.push_back(module != nullptr && module->isUse());
  }
  bool changed = combinations_.sync(inUse);
  if (changed && !inUse.empty()) updateCombinationIcon();
  return changed;
}

void CombinationSwitcher::updateCombinationIcon() {
  hostIcon_.setTooltip(combinations_.tooltip());
  freeIcon();
  std::wstring file = combinations_.iconFile();
  combinationIcon_ = loadTrayIconFile(file);
  hostIcon_.setIcon(combinationIcon_ != nullptr ? combinationIcon_ : HostTray::defaultImage());
  hostIcon_.modify();
}

void CombinationSwitcher::freeIcon() {
  if (combinationIcon_ != nullptr) DestroyIcon(combinationIcon_);
  combinationIcon_ = nullptr;
}

}  // namespace tov
