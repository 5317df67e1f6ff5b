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

TEST(FirstStart, NamesWhatFitsOfThePluginsInUseAndAlwaysTheMenu) {
  EXPECT_EQ(firstStartNotice({L"Transparent", L"Arrowin"})
                .text.rfind(L"In use: Transparent, Arrowin.\nRight-click", 0),
            0u);
  EXPECT_EQ(firstStartNotice({}).text.rfind(L"No plug-in is in use.\nRight-click", 0), 0u);
  Notice notice = firstStartNotice(std::vector<std::wstring>(30, std::wstring(12, L'x')));
  EXPECT_LE(notice.text.size(), kNoticeTextMaxLength);
  EXPECT_LE(notice.title.size(), kNoticeTitleMaxLength);
  EXPECT_NE(notice.text.find(L"x, \u2026.\nRight-click"), std::wstring::npos);
  // A text of exactly the capacity keeps its name.
  std::wstring fits(1 + kNoticeTextMaxLength - firstStartNotice({L"n"}).text.size(), L'n');
  EXPECT_EQ(firstStartNotice({fits}).text.size(), kNoticeTextMaxLength);
  EXPECT_EQ(firstStartNotice({fits}).text.find(fits), 8u);
  // One name longer than the whole text: none is shown, the menu line still is.
  EXPECT_EQ(
      firstStartNotice({std::wstring(400, L'y')}).text.rfind(L"In use: \u2026.\nRight-click", 0),
      0u);
}

}  // namespace
}  // namespace tov
