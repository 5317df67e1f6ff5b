#include "combinations.h"

namespace tov {

void Combinations::define(char letter, std::wstring name) {
  letters_.push_back(letter);
  names_.push_back(std::move(name));
  members_.emplace_back();
}

void Combinations::setMembers(std::span<const Membership> memberships) {
  for (std::size_t k = 0; k < letters_.size(); ++k) {
    PluginSet set(memberships.size());
    int bit = letters_[k] - 'A';
    for (std::size_t i = 0; i < memberships.size(); ++i) {
      set[i] = bit >= 0 && bit < 26 && (memberships[i] >> bit & 1u) != 0;
    }
    members_[k] = std::move(set);
  }
}

std::optional<PluginSet> Combinations::shift() {
  current_ += 1;
  if (current_ >= static_cast<int>(count())) current_ = kCustomCombination;
  return apply();
}

std::optional<PluginSet> Combinations::select(int index) {
  if (index < kCustomCombination || index >= static_cast<int>(count())) return std::nullopt;
  if (index == current_) return std::nullopt;
  current_ = index;
  return apply();
}

std::optional<PluginSet> Combinations::apply() {
  if (current_ == kCustomCombination && customSet_.empty()) {
    if (count() == 0) return std::nullopt;
    current_ = 0;
  }
  if (current_ == kCustomCombination) return customSet_;
  return members_[static_cast<std::size_t>(current_)];
}

bool Combinations::sync(const PluginSet& inUse) {
  if (inUse.empty()) return true;
  int candidate = kCustomCombination;
  for (std::size_t k = 0; k < count(); ++k) {
    if (members_[k] == inUse) {
      candidate = static_cast<int>(k);
      break;
    }
  }
  if (candidate == kCustomCombination) customSet_ = inUse;
  if (candidate == current_) return false;
  current_ = candidate;
  return true;
}

std::wstring Combinations::tooltip() const {
  if (current_ == kCustomCombination) return L"TOV:Custom";
  std::size_t k = static_cast<std::size_t>(current_);
  std::wstring text = L"TOV:[";
  text += static_cast<wchar_t>(letters_[k]);
  text += L']';
  text += names_[k];
  return text;
}

std::wstring Combinations::iconFile() const {
  if (current_ == kCustomCombination) return L"comb_custom.ico";
  std::wstring file = L"comb_";
  file += static_cast<wchar_t>(letters_[static_cast<std::size_t>(current_)]);
  file += L".ico";
  return file;
}

std::wstring Combinations::menuLabel(std::size_t k) const {
  std::wstring label = L"&";
  label += static_cast<wchar_t>(letters_[k]);
  label += L". ";
  for (wchar_t c : names_[k]) {
    if (c == L'&') label += L'&';
    label += c;
  }
  return label;
}

std::optional<int> combinationOfCommand(int identifier) {
  if (identifier == kCommandSelectCustom) return kCustomCombination;
  if (identifier >= kCommandSelectFirst &&
      identifier < kCommandSelectFirst + static_cast<int>(kSelectableCombinations)) {
    return identifier - kCommandSelectFirst;
  }
  return std::nullopt;
}

}  // namespace tov
