#include "plugin_rules.h"

#include "core/command_id.h"

namespace tov {

DefaultAction defaultAction(int offset, std::intptr_t param) {
  switch (offset) {
    case kOffsetTrayEvent:
      if (param == WM_LBUTTONDOWN || param == WM_LBUTTONDBLCLK) return DefaultAction::kToggleUse;
      if (param == WM_RBUTTONUP) return DefaultAction::kShowMenu;
      return DefaultAction::kNone;
    case kOffsetToggleTrayIcon:
      return DefaultAction::kToggleTrayIcon;
    case kOffsetToggleUse:
      return DefaultAction::kToggleUse;
    default:
      return DefaultAction::kNone;
  }
}

std::wstring stateIconFile(std::wstring_view pluginName, bool inUse) {
  std::wstring file(pluginName);
  file += inUse ? L"_use.ico" : L"_not_use.ico";
  return file;
}

bool canLoadAnotherPlugin(int liveCount) { return commandBlockFits(liveCount); }

std::wstring tooManyPluginsMessage(std::wstring_view line) {
  std::wstring text = L"Too many plug-ins: the host holds at most ";
  text += std::to_wstring(kMaxPlugins);
  text += L". This line is not loaded : ";
  text += line;
  return text;
}

std::wstring twoDigits(int value) {
  std::wstring digits = std::to_wstring(value);
  if (digits.size() < 2) digits.insert(0, 1, L'0');  // a sign counts towards the width
  return digits;
}

std::wstring folderOfPath(std::wstring_view path) {
  std::size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring_view::npos) {
    // "C:TOV.exe": only a drive.
    std::size_t colon = path.find(L':');
    if (colon == std::wstring_view::npos) return {};
    return std::wstring(path.substr(0, colon + 1));
  }
  return std::wstring(path.substr(0, separator));
}

SessionEndSteps sessionEndSteps(bool ending, std::uint32_t reasons) {
  if (!ending) return {};
  if ((reasons & ENDSESSION_CLOSEAPP) != 0) return {.save = true, .quit = true};
  return {.save = true, .unload = true};
}

}  // namespace tov
