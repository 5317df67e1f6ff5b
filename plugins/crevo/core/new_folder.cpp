#include "new_folder.h"

#include <cwchar>

namespace tov::crevo {

bool isTriggerPress(std::uint8_t triggerKey, bool inUse, int code, std::uintptr_t virtualKey,
                    std::intptr_t keystrokeFlags) {
  constexpr std::uint32_t kReleaseOrRepeat = 0xC0000000u;  // bits 31 and 30
  return virtualKey == triggerKey && inUse &&
         (static_cast<std::uint32_t>(keystrokeFlags) & kReleaseOrRepeat) == 0 && code >= 0 &&
         code != HC_NOREMOVE;
}

bool isNewFolderWindowClass(const wchar_t* className) {
  for (const wchar_t* name : {L"Progman", L"CabinetWClass", L"ExploreWClass"}) {
    if (std::wcscmp(className, name) == 0) return true;
  }
  return false;
}

bool isFolderWindowClass(const wchar_t* className) {
  return std::wcscmp(className, L"CabinetWClass") == 0 ||
         std::wcscmp(className, L"ExploreWClass") == 0;
}

NewFolderWay newFolderWay(std::uint32_t windowsVersion, NewFolderPlace place) {
  unsigned major = windowsVersion & 0xFFu;
  unsigned minor = (windowsVersion >> 8) & 0xFFu;
  bool shortcutExists = major > 6 || (major == 6 && minor >= 1);
  if (!shortcutExists || place == NewFolderPlace::kOtherFolderWindow)
    return NewFolderWay::kMenuKeys;
  return NewFolderWay::kShortcut;
}

}  // namespace tov::crevo
