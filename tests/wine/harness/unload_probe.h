// Whether a fixture could still be rid of a library a hook brought into it: sent kTryUnload with a
// global atom naming the library, it frees the library once, as the system does when it unloads
// a hook's library (Wine loads it once and never frees it), and looks again.
#pragma once

#include <windows.h>

namespace tov::test {

inline constexpr UINT kTryUnload = WM_APP + 40;
enum UnloadAnswer : LRESULT { kLibraryAbsent = 1, kLibraryUnloaded, kLibraryKept };

inline LRESULT tryToUnload(WPARAM atom) {  // in the fixture
  wchar_t name[MAX_PATH];
  HMODULE library = GlobalGetAtomNameW(static_cast<ATOM>(atom), name, MAX_PATH) != 0
                        ? GetModuleHandleW(name)
                        : nullptr;
  if (library == nullptr) return kLibraryAbsent;
  FreeLibrary(library);
  return GetModuleHandleW(name) == nullptr ? kLibraryUnloaded : kLibraryKept;
}

inline LRESULT askToUnload(HWND fixtureWindow, const wchar_t* library) {  // in the test
  ATOM atom = GlobalAddAtomW(library);
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(fixtureWindow, kTryUnload, atom, 0, SMTO_NORMAL, 5000, &answer);
  GlobalDeleteAtom(atom);
  return static_cast<LRESULT>(answer);
}

}  // namespace tov::test
