#include <gtest/gtest.h>

#include <string>

#include "plugins/pushdown/core/command_file.h"
#include "plugins/pushdown/core/hold.h"

namespace tov::pushdown {
namespace {

constexpr HoldFacts kHeld{true, true, false, false, true, false, false};
constexpr HoldFacts kReleasedUnseen{false, true, false, false, true, false, false};
constexpr PressFacts kRealPress{true, true, true};
constexpr std::uint32_t kMark = 41;

// A press TOV saw and timed.
HoldWatch timed() {
  HoldWatch watch{};
  EXPECT_TRUE(pressReported(watch, kRealPress));
  return watch;
}

TEST(PushdownHold, OnlyAPressTovSeesItselfIsTimedAndEveryReportEndsWhatWentBefore) {
  for (PressFacts facts : {PressFacts{false, true, true}, PressFacts{true, false, true},
                           PressFacts{true, true, false}}) {
    HoldWatch watch = timed();
    EXPECT_FALSE(pressReported(watch, facts)) << facts.watching << facts.buttonDown;
    EXPECT_EQ(holdFired(watch, kHeld, kMark), HoldAction::kNothing) << "the earlier press's timer";
    EXPECT_EQ(watch.owed, 0u);
  }
  // A hold fired and its release went where no hook runs: the next press owes nothing.
  HoldWatch watch = timed();
  ASSERT_EQ(holdFired(watch, kHeld, kMark), HoldAction::kMaximize);
  EXPECT_EQ(watch.owed, kMark);
  EXPECT_TRUE(pressReported(watch, kRealPress));
  EXPECT_EQ(watch.owed, 0u);
}

TEST(PushdownHold, TheReleaseIsOwedOnceTheButtonWasStillDownWhateverTheHoldDid) {
  HoldWatch watch = timed();
  EXPECT_EQ(holdFired(watch, kReleasedUnseen, kMark), HoldAction::kNothing);
  EXPECT_EQ(watch.owed, 0u);
  HoldFacts gone = kHeld;
  gone.targetGone = true;
  for (bool onDesktop : {false, true}) {
    gone.onDesktop = onDesktop;
    watch = timed();
    EXPECT_EQ(holdFired(watch, gone, kMark), HoldAction::kNothing) << onDesktop;
    EXPECT_EQ(watch.owed, kMark) << onDesktop;
  }
  watch = timed();
  HoldFacts zoomed = kHeld;
  zoomed.zoomed = true;
  EXPECT_EQ(holdFired(watch, zoomed, kMark), HoldAction::kRestore);
  EXPECT_EQ(holdFired(watch, kHeld, kMark + 1), HoldAction::kNothing) << "fires once";
  releaseTaken(watch, kMark + 1);
  EXPECT_EQ(watch.owed, kMark) << "another hold's report";
  releaseTaken(watch, kMark);
  EXPECT_EQ(watch.owed, 0u);
  watch = timed();
  idle(watch);
  EXPECT_EQ(holdFired(watch, kHeld, kMark), HoldAction::kNothing) << "stopped meanwhile";
}

TEST(PushdownHold, EachProgramTakesOneReleasePerHold) {
  std::uint32_t lastTaken = 0;
  EXPECT_FALSE(takesRelease(0, lastTaken));
  EXPECT_TRUE(takesRelease(kMark, lastTaken));
  EXPECT_FALSE(takesRelease(kMark, lastTaken)) << "TOV has not heard of it yet";
  EXPECT_TRUE(takesRelease(kMark + 7, lastTaken));
  EXPECT_EQ(lastTaken, kMark + 7);
  EXPECT_EQ(holdMark(0), 1u);
  EXPECT_EQ(holdMark(kMark), kMark);
}

TEST(PushdownHold, TheTimeLeftCountsFromTheReportAcrossTheTickWrap) {
  EXPECT_EQ(holdTimeLeft(500, 1000, 1000), 500u);
  EXPECT_EQ(holdTimeLeft(500, 1000, 1120), 380u);
  EXPECT_EQ(holdTimeLeft(500, 1000, 1500), 0u);
  EXPECT_EQ(holdTimeLeft(500, 1000, 9000), 0u);
  EXPECT_EQ(holdTimeLeft(500, 0xFFFFFF00u, 0x10u), 228u);
  EXPECT_EQ(holdTimeLeft(500, 1000, 999), 0u) << "stamped after the clock was read";
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
