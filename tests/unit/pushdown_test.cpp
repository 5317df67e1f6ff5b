#include <gtest/gtest.h>

#include <string>

#include "plugins/pushdown/core/command_file.h"
#include "plugins/pushdown/core/hold.h"

namespace tov::pushdown {
namespace {

TEST(PushdownMessages, MiddlePressesAndReleasesOnlyAndExactDesktopClasses) {
  EXPECT_EQ(classifyMiddle(0x207), MiddleMessage::kPress);
  EXPECT_EQ(classifyMiddle(0xA7), MiddleMessage::kPress);
  EXPECT_EQ(classifyMiddle(0x208), MiddleMessage::kRelease);
  EXPECT_EQ(classifyMiddle(0xA8), MiddleMessage::kRelease);
  for (std::uintptr_t other : {0x209u, 0xA9u, 0x200u, 0x201u, 0x202u, 0x204u, 0x205u, 0x20Au})
    EXPECT_EQ(classifyMiddle(other), MiddleMessage::kOther) << other;
  for (const wchar_t* desktop : {L"Progman", L"Shell_TrayWnd", L"BaseBar", L"WorkerW"})
    EXPECT_TRUE(isDesktopClass(desktop)) << desktop;
  for (const wchar_t* other : {L"progman", L"Shell_TrayWnd2", L"BaseBa", L"", L"CabinetWClass"})
    EXPECT_FALSE(isDesktopClass(other)) << other;
}

constexpr std::uint32_t kThread = 7;
constexpr std::uint32_t kOtherThread = 9;
constexpr HoldFacts kHeldOnWindow{true, true, false, false, true, false};

// A press on kThread whose timer got `timer`.
HoldRecord pressed(std::uintptr_t timer) {
  HoldRecord record{};
  EXPECT_EQ(pressStarted(record, kThread), 0u);
  timerStarted(record, timer, kThread);
  return record;
}

TEST(PushdownPress, ShortClickPassesAndCancelsItsTimer) {
  HoldRecord record = pressed(41);
  ReleaseDecision release = pressEnded(record, kThread);
  EXPECT_FALSE(release.swallow);
  EXPECT_EQ(release.cancelTimer, 41u);
  EXPECT_FALSE(timerDue(record, 41, kThread)) << "a timer that slipped through does nothing";
}

TEST(PushdownPress, HoldSwallowsOnlyTheReleaseOfItsOwnPress) {
  HoldRecord record = pressed(41);
  ASSERT_TRUE(timerDue(record, 41, kThread));
  EXPECT_EQ(holdFired(record, kHeldOnWindow), HoldAction::kMaximize);
  EXPECT_TRUE(pressEnded(record, kThread).swallow);
  EXPECT_FALSE(pressEnded(record, kThread).swallow) << "a second release had no press seen";
  // A hold fired, its release went elsewhere, and a new press begins: that one's short click
  // passes whole.
  record = pressed(41);
  ASSERT_TRUE(timerDue(record, 41, kThread));
  holdFired(record, kHeldOnWindow);
  EXPECT_EQ(pressStarted(record, kOtherThread), 0u);
  timerStarted(record, 42, kOtherThread);
  EXPECT_EQ(pressEnded(record, kOtherThread).swallow, false);
}

TEST(PushdownPress, ReleasesOfPressesNeverSeenOrNeverTimedPass) {
  HoldRecord idle{};
  EXPECT_FALSE(pressEnded(idle, kThread).swallow);
  HoldRecord untimed = pressed(0);  // SetTimer refused
  EXPECT_FALSE(pressEnded(untimed, kThread).swallow);
  // The timer came due after the button had gone up where the hook did not see it.
  HoldRecord missed = pressed(41);
  ASSERT_TRUE(timerDue(missed, 41, kThread));
  EXPECT_EQ(holdFired(missed, {false, true, false, false, true, false}), HoldAction::kNothing);
  EXPECT_FALSE(pressEnded(missed, kThread).swallow);
}

TEST(PushdownPress, TimersAreCancelledOnlyOnTheirOwnThreadAndStaleOnesDoNothing) {
  HoldRecord record = pressed(41);
  // A new press elsewhere cannot cancel this thread's timer; when it comes due it is stale.
  EXPECT_EQ(pressStarted(record, kOtherThread), 0u);
  timerStarted(record, 41, kOtherThread);  // the same number on another thread
  EXPECT_FALSE(timerDue(record, 41, kThread));
  // A new press on the timer's own thread cancels it.
  EXPECT_EQ(pressStarted(record, kOtherThread), 41u);
  timerStarted(record, 43, kOtherThread);
  // Released on another thread than the press: passed on, the timer left to come due stale.
  EXPECT_EQ(pressEnded(record, kThread).cancelTimer, 0u);
  EXPECT_FALSE(timerDue(record, 43, kOtherThread));
}

struct HoldCase {
  HoldFacts facts;
  HoldAction action;
  bool swallowsRelease;
};

class PushdownHold : public ::testing::TestWithParam<HoldCase> {};

TEST_P(PushdownHold, ActsAndSwallowsTheRelease) {
  HoldRecord record = pressed(41);
  ASSERT_TRUE(timerDue(record, 41, kThread));
  EXPECT_EQ(holdFired(record, GetParam().facts), GetParam().action);
  EXPECT_EQ(pressEnded(record, kThread).swallow, GetParam().swallowsRelease);
}

// facts: button down, in use, menu open, on the desktop, command enabled, zoomed
INSTANTIATE_TEST_SUITE_P(
    Facts, PushdownHold,
    ::testing::Values(
        HoldCase{{true, true, false, false, true, false}, HoldAction::kMaximize, true},
        HoldCase{{true, true, false, false, false, true}, HoldAction::kRestore, true},
        HoldCase{{true, true, false, true, true, true}, HoldAction::kRunCommand, true},
        HoldCase{{true, true, false, true, false, false}, HoldAction::kNothing, true},
        HoldCase{{true, true, true, false, true, false}, HoldAction::kNothing, true},
        HoldCase{{true, true, true, true, true, false}, HoldAction::kNothing, true},
        HoldCase{{true, false, false, false, true, false}, HoldAction::kNothing, false},
        HoldCase{{false, true, false, true, true, false}, HoldAction::kNothing, false}));

// Bytes as Latin-1, one character each, like a single-byte code page.
std::wstring latin1(std::string_view bytes) {
  std::wstring text;
  for (char byte : bytes) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
  return text;
}

struct FileCase {
  std::string content;
  std::wstring command;
};

class PushdownCommandFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(PushdownCommandFile, FirstLineAsTextModeReadsIt) {
  EXPECT_EQ(commandOfFile(GetParam().content, latin1), GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PushdownCommandFile,
    ::testing::Values(FileCase{"", L"explorer.exe"}, FileCase{"\n", L""}, FileCase{"\r\n", L""},
                      FileCase{"notepad.exe", L"notepad.exe"},
                      FileCase{"C:\\Tools\\run me.bat\r\nsecond\n", L"C:\\Tools\\run me.bat"},
                      FileCase{"  blanks stay \t\n", L"  blanks stay \t"},
                      FileCase{"a\rb\n", L"a\rb"}, FileCase{"ends in CR\r", L"ends in CR\r"},
                      FileCase{"x\r\r\n", L"x\r"}, FileCase{std::string("ab\0cd\n", 6), L"ab"},
                      FileCase{"caf\xE9\n", L"caf\xE9"},
                      FileCase{std::string(300, 'a') + "\n", std::wstring(259, L'a')},
                      FileCase{std::string(259, 'b') + "\n", std::wstring(259, L'b')},
                      FileCase{std::string(258, 'c') + "\nrest", std::wstring(258, L'c')}));

TEST(PushdownCommandLine, NeverEndsInHalfASurrogatePair) {
  std::wstring line = std::wstring(258, L'a') + L"\xD83D\xDE00";
  EXPECT_EQ(commandOfLine(line), std::wstring(258, L'a'));
  EXPECT_EQ(commandOfLine(std::wstring(257, L'a') + L"\xD83D\xDE00"),
            std::wstring(257, L'a') + L"\xD83D\xDE00");
}

}  // namespace
}  // namespace tov::pushdown
