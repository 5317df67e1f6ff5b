// The Explorer window fit on real windows: finds a folder window's file list, measures it and
// moves the window (core/fit.h decides).
#pragma once

#include <windows.h>

#include <thread_hooks.h>

#include "core/fit.h"

namespace tov::explorer_fit {

inline constexpr wchar_t kFileListClass[] = L"SysListView32";

// The file list of a folder window ("CabinetWClass" or "ExploreWClass"): its first descendant of
// class "SysListView32". Null for any other window, and for a list of another program, whose
// item rectangles this program could not read.
HWND findFileList(HWND window);

// Fits a folder window to its file list; false when `window` has none (and is left alone).
bool fitExplorerWindow(HWND window, Variant variant, const FitParameters& parameters);

// The fit plug-ins' hooks are on the threads of folder windows only: a double click on a sizing
// corner of any other program's window is no business of theirs.
class FolderWindows : public WatchedWindows {
 public:
  using WatchedWindows::WatchedWindows;

 protected:
  HWND watchedWindowOf(HWND window) override;
};

}  // namespace tov::explorer_fit
