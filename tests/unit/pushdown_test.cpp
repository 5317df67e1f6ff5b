#include <gtest/gtest.h>

#include <string>

#include "plugins/pushdown/core/command_file.h"
#include "plugins/pushdown/core/hold.h"

namespace tov::pushdown {
namespace {

constexpr std::uint32_t kThread = 7;
constexpr std::uint32_t kOtherThread = 9;
constexpr HoldFacts kHeld{true, true, false, false, true, false, false};
constexpr HoldFacts kReleasedUnseen{false, true, false, false, true, false, false};

// A press on `thread` whose timer got `timer`.
HoldRecord pressed(std::uintptr_t timer, std::uint32_t thread = kThread) {
  HoldRecord record{};
  pressStarted(record, thread);
  timerStarted(record, timer, thread);
  return record;
}

TEST(PushdownPress, OnlyTheReleaseOfAPressWhoseHoldFiredIsSwallowed) {
  HoldRecord record = pressed(41);
  ASSERT_TRUE(timerDue(record, 41, kThread));
  EXPECT_EQ(holdFired(record, kHeld), HoldAction::kMaximize);
  EXPECT_TRUE(pressEnded(record, kThread).swallow);
  EXPECT_FALSE(pressEnded(record, kThread).swallow) << "a release whose press was never seen";
  HoldRecord untimed = pressed(0);  // SetTimer refused
  EXPECT_FALSE(pressEnded(untimed, kThread).swallow);
  // The button went up where the hook did not see it before the timer came due.
  HoldRecord missed = pressed(41);
  ASSERT_TRUE(timerDue(missed, 41, kThread));
  EXPECT_EQ(holdFired(missed, kReleasedUnseen), HoldAction::kNothing);
  EXPECT_FALSE(pressEnded(missed, kThread).swallow);
  // A hold fired but its release went elsewhere: the next press's short click passes whole.
  HoldRecord next = pressed(41);
  ASSERT_TRUE(timerDue(next, 41, kThread));
  holdFired(next, kHeld);
  pressStarted(next, kThread);
  timerStarted(next, 42, kThread);
  EXPECT_FALSE(pressEnded(next, kThread).swallow);
}

TEST(PushdownPress, AWindowGoneBeforeTheHoldGetsNothingButItsReleaseIsTaken) {
  HoldFacts gone = kHeld;
  gone.targetGone = true;
  for (bool onDesktop : {false, true}) {
    gone.onDesktop = onDesktop;
    HoldRecord record = pressed(41);
    ASSERT_TRUE(timerDue(record, 41, kThread));
    EXPECT_EQ(holdFired(record, gone), HoldAction::kNothing) << onDesktop;
    EXPECT_TRUE(pressEnded(record, kThread).swallow) << onDesktop;
  }
}

TEST(PushdownPress, TimersAreCancelledOnlyOnTheirOwnThreadAndStaleOnesDoNothing) {
  HoldRecord record = pressed(41);
  ReleaseDecision shortClick = pressEnded(record, kThread);
  EXPECT_FALSE(shortClick.swallow);
  EXPECT_EQ(shortClick.cancelTimer, 41u);
  EXPECT_FALSE(timerDue(record, 41, kThread)) << "a timer that slipped through does nothing";
  // A new press elsewhere cannot cancel this thread's timer, which then comes due stale, even
  // when the other thread's timer has the same number.
  record = pressed(41);
  EXPECT_EQ(pressStarted(record, kOtherThread), 0u);
  timerStarted(record, 41, kOtherThread);
  EXPECT_FALSE(timerDue(record, 41, kThread));
  EXPECT_EQ(pressStarted(record, kOtherThread), 41u);
  timerStarted(record, 43, kOtherThread);
  // Released on another thread than the press: passed on; the timer comes due stale.
  EXPECT_EQ(pressEnded(record, kThread).cancelTimer, 0u);
  EXPECT_FALSE(timerDue(record, 43, kOtherThread));
}

// Bytes as Latin-1, one character each, like a single-byte code page.
std::wstring latin1(std::string_view bytes) {
  std::wstring text;
  for (char byte : bytes) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
  return text;
}

TEST(PushdownCommandFile, FirstLineAsATextModeStreamReadsIt) {
  const std::pair<std::string, std::wstring> cases[] = {
      {"", L"explorer.exe"},
      {"\r\n", L""},
      {"C:\\Tools\\run me.bat\r\nsecond\n", L"C:\\Tools\\run me.bat"},
      {"  blanks stay \t", L"  blanks stay \t"},
      {"a\rb\r\r\n", L"a\rb\r"},
      {std::string("ab\0cd\n", 6), L"ab"},
      {"caf\xE9\n", L"caf\xE9"},
      {std::string(300, 'a') + "\n", std::wstring(259, L'a')},
      {std::string(260, 'b'), std::wstring(259, L'b')},
      {std::string(258, 'c') + "\nrest", std::wstring(258, L'c')},
  };
  for (const auto& [content, command] : cases)
    EXPECT_EQ(commandOfFile(content, latin1), command) << content;
  // Cut at the limit, a character outside the basic plane goes whole or not at all.
  for (wchar_t high : {L'\xD800', L'\xD83D', L'\xDBFF'})
    EXPECT_EQ(commandOfLine(std::wstring(258, L'a') + high + L'\xDE00'), std::wstring(258, L'a'));
}

}  // namespace
}  // namespace tov::pushdown
