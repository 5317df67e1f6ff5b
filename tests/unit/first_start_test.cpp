#include "host/core/first_start.h"

#include <gtest/gtest.h>

namespace tov {
namespace {

TEST(FirstStart, OnceAndOnlyWithTheIconShown) {
  EXPECT_TRUE(shouldNoteFirstStart(true, 0));
  EXPECT_FALSE(shouldNoteFirstStart(true, 1));
  EXPECT_FALSE(shouldNoteFirstStart(true, -7)) << "anything recorded counts";
  EXPECT_FALSE(shouldNoteFirstStart(false, 0)) << "/hide, or the shell refused the icon";
}

TEST(FirstStart, NamesThePluginsInUseAndTheMenu) {
  Notice notice = firstStartNotice({L"Transparent", L"Topmost", L"Arrowin"});
  EXPECT_EQ(notice.title, L"TOV is running");
  EXPECT_EQ(notice.text.rfind(L"In use: Transparent, Topmost, Arrowin.\nRight-click", 0), 0u)
      << std::string(notice.text.begin(), notice.text.end());
  EXPECT_NE(firstStartNotice({}).text.find(L"No plug-in is in use."), std::wstring::npos);
}

TEST(FirstStart, NamesThatDoNotFitGiveWayToAnEllipsis) {
  std::vector<std::wstring> many(30, std::wstring(12, L'x'));
  Notice notice = firstStartNotice(many);
  EXPECT_LE(notice.text.size(), kNoticeTextMaxLength);
  EXPECT_LE(notice.title.size(), kNoticeTitleMaxLength);
  EXPECT_NE(notice.text.find(L"x, \u2026.\nRight-click"), std::wstring::npos);
  // One name longer than the whole text: none is shown, the menu line still is.
  notice = firstStartNotice({std::wstring(400, L'y')});
  EXPECT_EQ(notice.text.rfind(L"In use: \u2026.\nRight-click", 0), 0u);
}

}  // namespace
}  // namespace tov
