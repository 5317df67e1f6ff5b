#include "first_start.h"

namespace tov {

namespace {

constexpr wchar_t kTitle[] = L"TOV is running";
constexpr wchar_t kInUse[] = L"In use: ";
constexpr wchar_t kNoneInUse[] = L"No plug-in is in use.";
constexpr wchar_t kMenu[] =
    L"\nRight-click TOV's icon beside the clock for its menu (Windows may keep the icon behind "
    L"the ^ arrow).";

std::wstring inUseLine(const std::vector<std::wstring>& names, std::size_t shown) {
  std::wstring line = kInUse;
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0) line += L", ";
    line += names[i];
  }
  if (shown < names.size()) line += shown > 0 ? L", \u2026" : L"\u2026";
  return line + L".";
}

}  // namespace

bool shouldNoteFirstStart(bool trayIconShown, int recorded) {
  return trayIconShown && recorded == 0;
}

Notice firstStartNotice(const std::vector<std::wstring>& pluginsInUse) {
  if (pluginsInUse.empty()) return {kTitle, std::wstring(kNoneInUse) + kMenu};
  std::size_t shown = pluginsInUse.size();
  std::wstring text = inUseLine(pluginsInUse, shown) + kMenu;
  while (text.size() > kNoticeTextMaxLength && shown > 0)
    text = inUseLine(pluginsInUse, --shown) + kMenu;
  return {kTitle, text.substr(0, kNoticeTextMaxLength)};
}

}  // namespace tov
