// The combination state of the host without Windows: the defined combinations and their members,
// the Custom set, the active combination, and what the host icon and tray menu show for them.
// The host feeds in the plug-ins' in-use flags and applies the sets this class hands back.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hook_order.h"

namespace tov {

// One bit per plug-in, bit i for list position i. Two sets are equal when they have the same
// number of bits and every bit is equal.
using PluginSet = std::vector<bool>;

// Menu identifiers of the host's own commands.
inline constexpr int kCommandVersionInfo = 101;
inline constexpr int kCommandShowWindow = 102;
inline constexpr int kCommandHideTrayIcon = 103;
inline constexpr int kCommandQuit = 104;
inline constexpr int kCommandShiftCombination = 200;
inline constexpr int kCommandSelectCustom = 201;
inline constexpr int kCommandSelectFirst = 202;
inline constexpr std::size_t kSelectableCombinations = 26;

inline constexpr int kCustomCombination = -1;

class Combinations {
 public:
  // A definition line, in file order; letters may repeat.
  void define(char letter, std::wstring name);
  // One membership per loaded plug-in, in list order: builds every combination's members.
  void setMembers(std::span<const Membership> memberships);

  std::size_t count() const { return letters_.size(); }
  int current() const { return current_; }
  char letter(std::size_t k) const { return letters_[k]; }
  const std::wstring& name(std::size_t k) const { return names_[k]; }
  const PluginSet& members(std::size_t k) const { return members_[k]; }
  const PluginSet& customSet() const { return customSet_; }

  // The next combination in definition order, Custom after the last. The set to apply, or
  // nothing when nothing is to change.
  std::optional<PluginSet> shift();
  // A combination chosen from the menu (kCustomCombination for Custom). Choosing the active one,
  // or an index that names no combination, changes nothing.
  std::optional<PluginSet> select(int index);
  // The set of the active combination; Custom without a recorded set falls back to the first
  // combination, and to nothing when none is defined.
  std::optional<PluginSet> apply();
  // Matches the plug-ins' current in-use flags against the combinations; flags that match none
  // are recorded as Custom. True when the active combination changed.
  bool sync(const PluginSet& inUse);

  // What the host icon shows for the active combination.
  std::wstring tooltip() const;
  std::wstring iconFile() const;
  // The tray menu's item for combination k: "&" + letter + ". " + name, with the name's own
  // ampersands doubled so that they show.
  std::wstring menuLabel(std::size_t k) const;
  bool customSelectable() const { return !customSet_.empty(); }

 private:
  std::vector<char> letters_;
  std::vector<std::wstring> names_;
  std::vector<PluginSet> members_;
  PluginSet customSet_;
  int current_ = kCustomCombination;
};

// The combination a select command stands for (kCustomCombination for "&0. Custom"), or nothing
// when the identifier is no select command.
std::optional<int> combinationOfCommand(int identifier);

}  // namespace tov
