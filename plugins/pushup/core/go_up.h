// The decisions of the go-up double click that need no window: which double clicks on which
// lists go up a folder, who does it, and whether the host also opens the parent folder.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tov::pushup {

// The Backspace key as a keyboard would deliver it, WM_KEYDOWN with VK_BACK: these flags say
// repeat count 1 and scan code 0x0E. No key-up follows.
inline constexpr std::intptr_t kBackspaceFlags = 0x000E0001;

// The shell's file list and the file dialogs' list, by exact class name.
bool isFileListClass(const wchar_t* className);
// An Explorer folder window: "CabinetWClass" or "ExploreWClass".
bool isExplorerClass(const wchar_t* className);
// A dialog box ("#32770") or an Office-style dialog (a class beginning with "bosa_sdm_").
bool isDialogClass(const wchar_t* className);

// Where a double click on the empty background of a file list goes up.
enum class GoUp {
  kNone,      // not a folder list of ours: passed on
  kExplorer,  // an Explorer window's list (Pushup posts the key, PushupB asks the host)
  kDialog,    // a dialog's list: both post the key themselves
};
// The Explorer test looks at the list's root owner and comes first; the dialog test looks at its
// root window.
GoUp goUpTarget(const wchar_t* rootOwnerClass, const wchar_t* rootClass);

// Whether a go-up command posted to the host names a window the host may act on: an existing
// file list whose root owner is an Explorer window. Anyone can post the command, so the host
// checks what the hook would have checked.
bool isGoUpCommandTarget(bool windowExists, const wchar_t* listClass,
                         const wchar_t* rootOwnerClass);

// After the key was posted, the host looks the folder up again; when it still reports the folder
// it reported before, the key has not (yet) moved the window and the parent is opened through
// the shell as well. A failed first lookup counts as an empty path; a failed second one stops.
bool shouldOpenParent(const wchar_t* folderBefore, bool foundAfter, const wchar_t* folderAfter);

}  // namespace tov::pushup
