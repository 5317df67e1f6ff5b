#include "core/hook_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tov {
namespace {

const CharLayout kWestern = CharLayout::singleByte();
// Shift-JIS: lead bytes 0x81-0x9F and 0xE0-0xFC; trail bytes include ASCII letters and '\'.
const LeadByteRange kShiftJisLeads[] = {{0x81, 0x9F}, {0xE0, 0xFC}};
const CharLayout kShiftJis = CharLayout::doubleByte(kShiftJisLeads);

std::vector<std::string> texts(std::string_view file, const CharLayout& layout = kWestern) {
  std::vector<std::string> result;
  for (const HookOrderPiece& piece : splitHookOrder(file, layout)) {
    result.emplace_back(piece.text);
    if (piece.lineEnd) result.back() += "|";
  }
  return result;
}

TEST(SplitHookOrder, LineEndsOfEveryKind) {
  EXPECT_EQ(texts("a\r\nb\nc"), (std::vector<std::string>{"a|", "b|", "c"}));
  EXPECT_EQ(texts("a\n\r\n\nb\n"), (std::vector<std::string>{"a|", "|", "|", "b|"}));
  // A CR that no line feed follows is part of the line, and so is the first of two CRs.
  EXPECT_EQ(texts("a\rb\r\r\n"), (std::vector<std::string>{"a\rb\r|"}));
  EXPECT_EQ(texts(std::string_view("a\r\n").substr(0, 2)), (std::vector<std::string>{"a\r"}))
      << "a CR that ends the file, whatever lies beyond it";
  EXPECT_TRUE(texts("").empty());
}

TEST(SplitHookOrder, LongLinesBecomeSeveralPiecesOf259Characters) {
  std::string exact(259, 'x');
  EXPECT_EQ(texts(exact + "\r\nnext"), (std::vector<std::string>{exact, "|", "next"}));
  std::string shorter(258, 'y');
  EXPECT_EQ(texts(shorter + "\n"), (std::vector<std::string>{shorter + "|"}));
  std::string longer(600, 'z');
  EXPECT_EQ(texts(longer + "\n"),
            (std::vector<std::string>{std::string(259, 'z'), std::string(259, 'z'),
                                      std::string(82, 'z') + "|"}));
}

TEST(SplitHookOrder, CountsCharactersNotBytesAndNeverSplitsOne) {
  // 259 double-byte characters fill one piece of 518 bytes.
  std::string kanji;
  for (int i = 0; i < 259; ++i) kanji += "\x93\xfa";
  EXPECT_EQ(texts(kanji + "\n", kShiftJis), (std::vector<std::string>{kanji, "|"}));
  // 258 single bytes and a double-byte character: the character opens the next piece.
  std::string mixed = std::string(258, 'a') + "\x93\xfa" + "b";
  EXPECT_EQ(texts(mixed, kShiftJis),
            (std::vector<std::string>{std::string(258, 'a') + "\x93\xfa", "b"}));
  // A trail byte that looks like a line feed does not exist in Shift-JIS, but a lead byte cut
  // off by the end of the file still makes a character.
  EXPECT_EQ(texts("ab\x93", kShiftJis), (std::vector<std::string>{"ab\x93"}));
}

TEST(ParseHookOrderLine, TheKindsOfLine) {
  EXPECT_EQ(parseHookOrderLine("", kWestern).kind, LineKind::kEmpty);
  EXPECT_EQ(parseHookOrderLine("; Transparent", kWestern).kind, LineKind::kComment);
  HookOrderLine empty = parseHookOrderLine("A=", kWestern);
  EXPECT_EQ(empty.kind, LineKind::kDefinition);
  EXPECT_EQ(empty.letter, 'A');
  EXPECT_EQ(empty.name, "");
  HookOrderLine named = parseHookOrderLine("Z=Work & Play", kWestern);
  EXPECT_EQ(named.letter, 'Z');
  EXPECT_EQ(named.name, "Work & Play");
  // Only upper-case letters define; anything else without a space is a bare path.
  HookOrderLine lower = parseHookOrderLine("a=Work", kWestern);
  EXPECT_EQ(lower.kind, LineKind::kBarePlugin);
  EXPECT_EQ(lower.path, "a=Work");
  EXPECT_EQ(parseHookOrderLine("[=x", kWestern).kind, LineKind::kBarePlugin);
  const std::vector<char> endsItsMemory{'A'};  // nothing may be read past it
  EXPECT_EQ(parseHookOrderLine({endsItsMemory.data(), 1}, kWestern).kind, LineKind::kBarePlugin);
  HookOrderLine bare = parseHookOrderLine("ShufflaXP.dll", kWestern);
  EXPECT_EQ(bare.kind, LineKind::kBarePlugin);
  EXPECT_EQ(bare.path, "ShufflaXP.dll");
}

TEST(ParseHookOrderLine, FlagsAndMembership) {
  HookOrderLine both = parseHookOrderLine("11 Transparent.dll", kWestern);
  EXPECT_EQ(both.kind, LineKind::kPluginWithFlags);
  EXPECT_TRUE(both.flagsValid);
  EXPECT_TRUE(both.use);
  EXPECT_TRUE(both.trayIcon);
  EXPECT_EQ(both.membership, 0u);
  EXPECT_EQ(both.path, "Transparent.dll");

  HookOrderLine minimize = parseHookOrderLine("10aB Minimize.dll", kWestern);
  EXPECT_TRUE(minimize.flagsValid);
  EXPECT_TRUE(minimize.use);
  EXPECT_FALSE(minimize.trayIcon);
  EXPECT_EQ(minimize.membership, 1u << 1);  // a removes A, which was not set; B stays

  HookOrderLine removed = parseHookOrderLine("01ABZaz x.dll", kWestern);
  EXPECT_FALSE(removed.use);
  EXPECT_TRUE(removed.trayIcon);
  EXPECT_EQ(removed.membership, 1u << 1);
  HookOrderLine readded = parseHookOrderLine("00AaA x.dll", kWestern);
  EXPECT_EQ(readded.membership, 1u);

  // Any character other than "0" means on.
  HookOrderLine other = parseHookOrderLine("x- y.dll", kWestern);
  EXPECT_TRUE(other.flagsValid);
  EXPECT_TRUE(other.use);
  EXPECT_TRUE(other.trayIcon);
}

TEST(ParseHookOrderLine, PathIsEverythingAfterTheFirstSpace) {
  HookOrderLine line = parseHookOrderLine("11A C:\\Program Files\\TOV\\Topmost.dll ", kWestern);
  EXPECT_TRUE(line.flagsValid);
  EXPECT_EQ(line.path, "C:\\Program Files\\TOV\\Topmost.dll ");
  EXPECT_EQ(parseHookOrderLine("11 ", kWestern).path, "");
}

TEST(ParseHookOrderLine, InvalidFlagFields) {
  // A non-letter among the membership letters.
  HookOrderLine digit = parseHookOrderLine("11A1 x.dll", kWestern);
  EXPECT_EQ(digit.kind, LineKind::kPluginWithFlags);
  EXPECT_FALSE(digit.flagsValid);
  EXPECT_EQ(digit.path, "x.dll");
  // A field of one character: the path still loads, the flags never apply.
  HookOrderLine shortField = parseHookOrderLine("1 Topmost.dll", kWestern);
  EXPECT_EQ(shortField.kind, LineKind::kPluginWithFlags);
  EXPECT_FALSE(shortField.flagsValid);
  EXPECT_EQ(shortField.path, "Topmost.dll");
  // Even when the path looks like membership letters up to a second space.
  EXPECT_FALSE(parseHookOrderLine("1 Topmost dll", kWestern).flagsValid);
  EXPECT_FALSE(parseHookOrderLine(" Topmost.dll", kWestern).flagsValid);
}

TEST(ParseHookOrderLine, DoubleByteCharacters) {
  // A double-byte character as the in-use flag counts as one character meaning "on".
  HookOrderLine wide = parseHookOrderLine(
      "\xfc\xfa"
      "0B x.dll",
      kShiftJis);
  EXPECT_TRUE(wide.flagsValid);
  EXPECT_TRUE(wide.use);
  EXPECT_FALSE(wide.trayIcon);
  EXPECT_EQ(wide.membership, 1u << 1);
  // A trail byte that equals "A" is no membership letter.
  EXPECT_FALSE(parseHookOrderLine("11\x82"
                                  "A x.dll",
                                  kShiftJis)
                   .flagsValid);
  // A trail byte that equals "=" or ";" never makes a definition or comment.
  EXPECT_EQ(parseHookOrderLine("\x81;x", kShiftJis).kind, LineKind::kBarePlugin);
  // The path keeps its bytes, including a trail byte equal to a backslash.
  HookOrderLine path = parseHookOrderLine("11 \x95\x5c\\x.dll", kShiftJis);
  EXPECT_EQ(path.path, "\x95\x5c\\x.dll");
}

// The flag line a plug-in was loaded from, as the host remembers it.
FlagLine lineOf(std::string_view file, std::size_t index) {
  return FlagLine{index, std::string(splitHookOrder(file, kWestern)[index].text)};
}

TEST(RewriteHookOrder, OnlyTheTwoFlagsOfTheUpdatedLinesChange) {
  const std::string file =
      "11 Transparent.dll\r\n1 Topmost.dll\r\n10aB Minimize.dll\r\nA=\r\na=Work\r\n"
      "ShufflaXP.dll\r\n; Transparent\r\n";
  FlagLine transparent = lineOf(file, 0);
  FlagLine minimize = lineOf(file, 2);
  FlagUpdate updates[] = {{&transparent, false, true}, {&minimize, true, false}};
  std::string saved = rewriteHookOrder(file, kWestern, updates);
  std::string expected = file;
  expected[0] = '0';
  EXPECT_EQ(saved, expected);
  EXPECT_EQ(saved.size(), file.size());
}

TEST(RewriteHookOrder, NameThatIsPartOfAnotherNeverTakesItsLine) {
  // PushupB failed to load; Pushup's flags belong in Pushup's own line, not in the first line
  // whose text contains "Pushup".
  const std::string file = "11 PushupB.dll\r\n11 Pushup.dll\r\n";
  FlagLine pushup = lineOf(file, 1);
  FlagUpdate updates[] = {{&pushup, false, false}};
  EXPECT_EQ(rewriteHookOrder(file, kWestern, updates), "11 PushupB.dll\r\n00 Pushup.dll\r\n");
}

TEST(RewriteHookOrder, LinesWithoutAppliedFlagsAreNeverWritten) {
  const std::string file = "1 Topmost.dll\r\nShufflaXP.dll\r\n11A1 x.dll\r\n";
  FlagLine topmost = lineOf(file, 0);
  FlagLine bare = lineOf(file, 1);
  FlagLine invalid = lineOf(file, 2);
  FlagUpdate updates[] = {{&topmost, false, false},
                          {&bare, false, false},
                          {&invalid, false, false},
                          {nullptr, false, false}};
  EXPECT_EQ(rewriteHookOrder(file, kWestern, updates), file);
}

TEST(RewriteHookOrder, LineEndsBecomeCrLfAndNothingElseMoves) {
  const std::string file = "; a\nA=Work\n\n11 x.dll\r\nlast\rline";
  EXPECT_EQ(rewriteHookOrder(file, kWestern, {}), "; a\r\nA=Work\r\n\r\n11 x.dll\r\nlast\rline");
  // A line longer than a piece is written back whole.
  std::string longComment = ";" + std::string(700, 'c') + "\n";
  EXPECT_EQ(rewriteHookOrder(longComment, kWestern, {}), ";" + std::string(700, 'c') + "\r\n");
}

TEST(RewriteHookOrder, BytesNoConversionCouldKeepSurvive) {
  // Bytes the code page leaves undefined (0x81, 0x8D in Western) or that do not form characters
  // stay as they are, in untouched lines and in the updated line's path.
  const std::string file = "; \x81\x8d\xff\n11 C:\\\x81\x8d\\x.dll\n\x90\x01\x02\n";
  FlagLine plugin = lineOf(file, 1);
  FlagUpdate updates[] = {{&plugin, false, true}};
  EXPECT_EQ(rewriteHookOrder(file, kWestern, updates),
            "; \x81\x8d\xff\r\n01 C:\\\x81\x8d\\x.dll\r\n\x90\x01\x02\r\n");
}

TEST(RewriteHookOrder, DoubleByteFlagCharactersAreReplacedWhole) {
  const std::string file =
      "\x93\xfa\x93\xfa"
      "B \x95\x5c.dll\r\n";
  FlagLine line{0, std::string(splitHookOrder(file, kShiftJis)[0].text)};
  FlagUpdate updates[] = {{&line, true, false}};
  EXPECT_EQ(rewriteHookOrder(file, kShiftJis, updates), "10B \x95\x5c.dll\r\n");
}

TEST(RewriteHookOrder, ALongLineKeepsFlagsThatWouldMoveWhereItIsCut) {
  // UTF-8: two four-byte characters as flags take four units of the 259 of the first piece.
  // "11" in their place would let that piece take two more characters of the next one.
  const CharLayout utf8 = CharLayout::utf8();
  const std::string emoji = "\xf0\x9f\x98\x80";
  const std::string file = emoji + emoji + " " + std::string(300, 'p') + "\r\n";
  FlagLine cut{0, std::string(splitHookOrder(file, utf8)[0].text)};
  FlagUpdate updates[] = {{&cut, true, true}};
  EXPECT_EQ(rewriteHookOrder(file, utf8, updates), file);
  // Nor do they go into another line that reads the same after the flags.
  const std::string twin = file + "11 " + std::string(254, 'p') + "\r\n";
  EXPECT_EQ(rewriteHookOrder(twin, utf8, updates), twin);
  // The same flags opening the second piece: "1" would fit the 258 units of the first.
  const std::string rest = std::string(258, 'p') + emoji + emoji + " x.dll\r\n";
  FlagLine second{1, std::string(splitHookOrder(rest, utf8)[1].text)};
  FlagUpdate secondUpdates[] = {{&second, true, true}};
  EXPECT_EQ(rewriteHookOrder(rest, utf8, secondUpdates), rest);
  // A line that fits a piece takes them, the file's last one without a line end too.
  const std::string whole = emoji + emoji + " x.dll";
  FlagLine short_{0, std::string(splitHookOrder(whole, utf8)[0].text)};
  FlagUpdate shortUpdates[] = {{&short_, true, false}};
  EXPECT_EQ(rewriteHookOrder(whole, utf8, shortUpdates), "10 x.dll");
}

TEST(RewriteHookOrder, FollowsLinesTheUserMovedWhileTheHostRan) {
  const std::string loaded = "11 a.dll\r\n11 b.dll\r\n11 b.dll\r\n";
  FlagLine a = lineOf(loaded, 0);
  FlagLine b1 = lineOf(loaded, 1);
  FlagLine b2 = lineOf(loaded, 2);
  FlagUpdate updates[] = {{&a, false, false}, {&b1, false, true}, {&b2, true, false}};
  // Unchanged file: each update goes into its own line, also between identical lines.
  EXPECT_EQ(rewriteHookOrder(loaded, kWestern, updates), "00 a.dll\r\n01 b.dll\r\n10 b.dll\r\n");
  // A comment inserted above: the lines are found where they went.
  EXPECT_EQ(rewriteHookOrder("; new\r\n" + loaded, kWestern, updates),
            "; new\r\n00 a.dll\r\n01 b.dll\r\n10 b.dll\r\n");
  // A line removed or changed beyond its flags is left to the user's edit.
  EXPECT_EQ(rewriteHookOrder("11A a.dll\r\n11 b.dll\r\n", kWestern, updates),
            "11A a.dll\r\n01 b.dll\r\n");
  // Flags the user changed by hand are overwritten, as in an unchanged file.
  EXPECT_EQ(rewriteHookOrder("00 a.dll\r\n", kWestern, updates), "00 a.dll\r\n");
}

}  // namespace
}  // namespace tov
