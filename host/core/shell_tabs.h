// Which of the shell's open windows answers for a folder window. The shell lists one entry per
// browser, and on Windows 11 a folder window holds one browser per tab, every one of them
// reporting the folder window's handle: the entry that counts is the one whose view the shown
// tab holds.
#pragma once

namespace tov {

// Where an entry's view lies, as far as the shell let it be seen.
enum class TabPlace {
  kHidden,   // inside a tab that is not shown
  kUnknown,  // no view to be had (the browser is between folders, or tells none)
  kShown,    // in the shown tab, or in a window without tabs
};

// Takes the entries that name the window, in the shell's order, and keeps the best so far: the
// first in the shown tab; else the first whose place is unknown; else the first of all, as the
// lookup did before tabs.
class TabChoice {
 public:
  // Offers the next entry naming the window: true when it becomes the choice.
  bool offer(TabPlace place);
  // Whether the choice can no longer change: the shown tab's entry was found.
  bool settled() const { return chosen_ && place_ == TabPlace::kShown; }

 private:
  bool chosen_ = false;
  TabPlace place_ = TabPlace::kHidden;
};

}  // namespace tov
