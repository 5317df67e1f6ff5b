// Windows told apart by their class, as the plug-ins meet them: the shell's windows have no other
// mark that every version keeps. A class name is read once per window into one size of buffer
// and compared exactly; the decisions about which names mean what live in the core folders
// (core/window_rules.h, core/middle_button.h, each plug-in's own), without windows.
//
// Everything here reads what the system keeps about a window and sends it nothing, so a hook may
// ask about any program's windows without waiting on it.
#pragma once

#include <windows.h>

#include "core/window_rules.h"

namespace tov {

// A window's class name, empty for a window that is gone (or a null one).
class ClassName {
 public:
  static constexpr int kCapacity = kClassNameCapacity;  // core/window_rules.h

  explicit ClassName(HWND window);

  const wchar_t* get() const { return name_; }
  // Exactly `name`, letter case included, as the shell's classes are named.
  bool is(const wchar_t* name) const;

 private:
  wchar_t name_[kCapacity];
};

bool hasClass(HWND window, const wchar_t* className);

// The class of the window's root owner: the top-level window that a window, or a popup it owns,
// belongs to (GA_ROOTOWNER), which is what tells a folder window, a dialog or the desktop.
ClassName rootOwnerClass(HWND window);

// The first descendant of `parent` of class `className` (children and theirs, depth first in the
// order EnumChildWindows walks them) that `accept`, when given, lets through; null when none.
using WindowTest = bool (*)(HWND window, LPARAM context);
HWND firstDescendant(HWND parent, const wchar_t* className, WindowTest accept = nullptr,
                     LPARAM context = 0);

// Whether `view` lies in a hidden tab of the folder window `window`. On Windows 11 each tab of a
// folder window is a "ShellTabWindowClass" child holding that tab's views, and only the chosen
// tab's is shown; the tabs of windows between the view and `window` are the ones that count.
bool inHiddenTab(HWND view, HWND window);

// The desktop that holds the icon list: "Progman", or a top-level "WorkerW" holding the shell's
// view (core/window_rules.h). The caller has read the window's class already.
bool isDesktopWindow(HWND window, const wchar_t* className);

// The desktop or a taskbar by class alone (core/middle_button.h), as the middle-button plug-ins
// take them: their windows, not a click on them, are what those plug-ins act on.
bool isDesktopOrTaskbar(HWND window);

// The popup menu shown now ("#32768"), or null: while one is open, a click belongs to it.
HWND shownPopupMenu();

}  // namespace tov
