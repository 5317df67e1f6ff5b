// The word TOV says at its very first start: one notification on its tray icon, saying that TOV
// is running, which plug-ins are in use and where its menu is. Windows 10 and 11 put a new icon
// among the hidden ones, so without it a first-time user sees no sign that anything started.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tov {

// Where TOV.ini records that it was shown (1).
inline constexpr wchar_t kFirstStartSection[] = L"main";
inline constexpr wchar_t kFirstStartKey[] = L"firstStartShown";

// Shown once the tray icon is in the notification area, until TOV.ini records it (TOV writes that
// as it closes, with its window's place, so a start alone never writes the file): a start with
// "/hide" (or one whose icon the shell refused) shows nothing and records nothing, and the first
// start with the icon says it.
bool shouldNoteFirstStart(bool trayIconShown, int recorded);

// What the icon data holds, each without its terminator.
inline constexpr std::size_t kNoticeTitleMaxLength = 63;
inline constexpr std::size_t kNoticeTextMaxLength = 255;

struct Notice {
  std::wstring title;
  std::wstring text;
};
// The notification for the plug-ins in use, in their order; names that would not fit give way to
// an ellipsis.
Notice firstStartNotice(const std::vector<std::wstring>& pluginsInUse);

}  // namespace tov
