// Chromal's rules: reading Chromal.conf, the folder patterns, the choice of rule, the sample line.
#include <gtest/gtest.h>

#include <cwctype>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <string>

#include "plugins/chromal/core/rules.h"
#include "plugins/chromal/core/wildcard.h"

namespace tov::chromal {
namespace {

// ---- Reading lines into rules --------------------------------------------------------------

struct LineCase {
  const wchar_t* line;
  Rule rule;
};

// The line as the test's name shows it.
void PrintTo(const LineCase& lineCase, std::ostream* out) {
  for (const wchar_t* c = lineCase.line; *c != L'\0'; ++c)
    *out << (*c == L'\n' ? std::string("\\n") : std::string(1, static_cast<char>(*c)));
}

class ChromalRuleLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ChromalRuleLine, ReadsTheFixedColumns) {
  Rule rule{};
  ASSERT_TRUE(readRuleLine(GetParam().line, rule));
  EXPECT_EQ(rule, GetParam().rule);
}

INSTANTIATE_TEST_SUITE_P(
    ChromalLines, ChromalRuleLine,
    ::testing::Values(
        // Blue text on a transparent background, the background switch off, every folder.
        LineCase{L"1 0000FF 2 123456 0 FFFFFF *\n",
                 {true, 0x00FF0000, true, kNoColour, false, 0x00FFFFFF, L"*"}},
        // Components are red, green, blue; lower-case digits read the same.
        LineCase{L"1 102030 1 a0b0c0 1 0a0b0c C:\\Windows\\*\n",
                 {true, 0x302010, true, 0xC0B0A0, true, 0x0C0B0A, L"C:\\Windows\\*"}},
        // Any mode but 0 and 2 is on with its colour; an off switch keeps its colour.
        LineCase{L"0 FF0000 3 00FF00 0 0000FF D:\\*\n",
                 {false, 0x0000FF, true, 0x00FF00, false, 0xFF0000, L"D:\\*"}},
        LineCase{L"1 000000 0 00FF00 1 000000 D:\\*\n",
                 {true, 0, false, 0x00FF00, true, 0, L"D:\\*"}},
        // A digit in the separator column runs the switch on into the colour: 100000 is off.
        // A letter reads as 0.
        LineCase{L"100000FF 2 000000 x 000000 *\n",
                 {false, 0xFF0000, true, kNoColour, false, 0, L"*"}},
        // A sign is read; a pair with no hexadecimal digit is 0, one with a leading one stops
        // there, and "-1" is the low byte of -1.
        LineCase{L"+1ZZ0G-1 2 000000 1 000000 *\n",
                 {true, 0xFF0000, true, kNoColour, true, 0, L"*"}},
        // Patterns keep case and blanks; 27 characters with the line feed give an empty one.
        LineCase{L"1 000000 1 000000 1 000000 My Folder \n",
                 {true, 0, true, 0, true, 0, L"My Folder "}},
        LineCase{L"1 000000 1 000000 1 000000\n", {true, 0, true, 0, true, 0, L""}},
        // Without a line feed (the last line of a file) nothing is cut from the pattern.
        LineCase{L"1 000000 1 000000 1 000000 C:\\*", {true, 0, true, 0, true, 0, L"C:\\*"}}));

TEST(ChromalRules, LinesOfTwentySixCharactersOrFewerAreSkipped) {
  Rule rule{};
  EXPECT_FALSE(readRuleLine(L"1 000000 1 000000 1 00000\n", rule));  // 26 with the line feed
  EXPECT_FALSE(readRuleLine(L"\n", rule));
  EXPECT_FALSE(readRuleLine(L"", rule));
  // A null character read from the file ends the line where it stands.
  EXPECT_FALSE(readRuleLine(std::wstring(L"1 000000 1 000000 1\0 000000 *\n", 30), rule));
}

TEST(ChromalRules, FileOfNotesAndBlankLinesGivesNoRule) {
  EXPECT_TRUE(readRules(L"").empty());
  EXPECT_TRUE(readRules(L"Chromal colours\r\n\r\n   \nfolders by rule\n").empty());
}

TEST(ChromalRules, TextModeJoinsCarriageReturnAndLineFeedAndStopsAtControlZ) {
  RuleTable rules = readRules(
      L"1 0000FF 2 000000 0 FFFFFF C:\\a*\r\n"
      L"1 00FF00 2 000000 0 FFFFFF C:\\b\r*\r\n"
      L"1 FF0000 2 000000 0 FFFFFF C:\\c*\x1A\n"
      L"1 FF0000 2 000000 0 FFFFFF never read\n");
  ASSERT_EQ(rules.size(), 3u);
  EXPECT_EQ(rules[0].pattern, L"C:\\a*");
  EXPECT_EQ(rules[1].pattern, L"C:\\b\r*") << "a lone carriage return is a character";
  EXPECT_EQ(rules[2].pattern, L"C:\\c*") << "Ctrl+Z ends the file";
  EXPECT_EQ(rules[0].textColour, 0xFF0000u);
  EXPECT_EQ(asTextMode(L"a\nb\r\nc\r\n"), L"a\nb\nc\n") << "the file's last line end too";
  EXPECT_EQ(asTextMode(std::wstring_view(L"a\r\n").substr(0, 2)), L"a\r") << "a CR that ends it";
}

TEST(ChromalRules, OverlongLineIsReadInPiecesOfTheBuffer) {
  const std::wstring head = L"1 0000FF 2 000000 0 FFFFFF ";
  // 300 characters: a first piece of 287 that keeps its last character, and 13 more, too short
  // to be a rule of their own.
  std::wstring pattern(300 - head.size() - 1, L'p');
  pattern[kLineBuffer - 2 - head.size()] = L'Z';  // the piece's last character
  RuleTable rules = readRules(head + pattern + L"\n");
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_EQ(rules[0].pattern.size(), kLineBuffer - 1 - head.size());
  EXPECT_EQ(rules[0].pattern.back(), L'Z');

  // A rest of 27 characters or more is read as a rule of its own.
  std::wstring second = L"1 00FF00 2 000000 0 FFFFFF tail\n";
  rules = readRules(head + std::wstring(kLineBuffer - 1 - head.size(), L'q') + second);
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(rules[1].pattern, L"tail");

  // Exactly the buffer's length with the line feed: read whole.
  std::wstring whole = head + std::wstring(kLineBuffer - 2 - head.size(), L'w') + L"\n";
  EXPECT_EQ(bufferedLines(whole).size(), 1u);
}

TEST(ChromalRules, SampleLineReadsBackAsTheSameRule) {
  for (const Rule& rule : {Rule{true, 0x0A0B0C, true, 0x102030, false, 0xFFFFFF, L"C:\\Users\\*"},
                           Rule{false, 0x000000, false, 0xABCDEF, true, 0x00FF00, L"?:\\x"}}) {
    Rule back{};
    ASSERT_TRUE(readRuleLine(sampleLine(rule) + L"\n", back));
    EXPECT_EQ(back, rule);
    // The sample paints a text background only when it is on and has a colour of its own.
    EXPECT_EQ(sampleInk(rule).setsBackground, rule.textBackOn);
  }
  EXPECT_FALSE(sampleInk(builtInRule()).setsBackground);
  EXPECT_EQ(sampleLine(builtInRule()), L"1 0000FF 2 ?????? 0 FFFFFF *");
  EXPECT_EQ(sampleLine(switchedOffRule()), L"0 FFFFFF 2 ?????? 1 FFFFFF *");
}

// ---- Choosing a rule -------------------------------------------------------------------------

RuleTable patterns(std::initializer_list<const wchar_t*> list) {
  RuleTable rules;
  for (const wchar_t* pattern : list) rules.push_back({true, 0, true, 0, true, 0, pattern});
  return rules;
}

TEST(ChromalRules, ChoiceOfRule) {
  RuleTable rules = patterns({L"c:\\windows", L"C:\\Users\\*", L"C:\\*", L"D:\\*"});
  EXPECT_EQ(chooseRule(rules, false, L"C:\\WINDOWS"), 0u) << "case ignored";
  EXPECT_EQ(chooseRule(rules, false, L"C:\\Windows\\System32"), 2u) << "no final * no subfolder";
  EXPECT_EQ(chooseRule(rules, false, L"C:\\Users\\me"), 1u) << "the first match";
  EXPECT_EQ(chooseRule(rules, false, L"E:\\"), 3u) << "the last rule is the fallback";
  EXPECT_EQ(chooseRule(rules, false, nullptr), 3u) << "a folder without a path";
  EXPECT_EQ(chooseRule(rules, true, L"D:\\x"), 0u) << "the desktop takes the first rule";
  EXPECT_EQ(chooseRule(patterns({L""}), false, L"C:\\"), 0u);
  EXPECT_TRUE(isDesktopClass(L"Progman"));
  EXPECT_FALSE(isDesktopClass(L"CabinetWClass"));
}

TEST(ChromalRules, WindowClassesAndColourMessagesByExactValue) {
  for (const wchar_t* name : {L"CabinetWClass", L"ExploreWClass", L"Progman"})
    EXPECT_TRUE(isColouredWindowClass(name) && !isViewClass(name)) << name;
  for (const wchar_t* name : {L"SysListView32", L"SysTreeView32"})
    EXPECT_TRUE(isViewClass(name) && !isColouredWindowClass(name)) << name;
  EXPECT_FALSE(isColouredWindowClass(L"WorkerW") || isViewClass(L"SysTreeView"));
  for (std::uint32_t message : {LVM_SETBKCOLOR, LVM_SETTEXTCOLOR, LVM_SETTEXTBKCOLOR,
                                TVM_SETBKCOLOR, TVM_SETTEXTCOLOR, TVM_SETLINECOLOR})
    EXPECT_TRUE(isColourMessage(message)) << message;
  // Either side of the range, and inside it between the two views' messages.
  for (std::uint32_t other : {0, LVM_SETBKCOLOR - 1, TVM_SETLINECOLOR + 1, LVM_SETTEXTBKCOLOR + 1})
    EXPECT_FALSE(isColourMessage(other)) << other;
}

// The shipped Chromal.conf: its first rule colours the desktop (white text for a wallpaper) and
// must never be taken by a folder window, where white text would sit on a white list.
TEST(ChromalRules, ShippedSampleKeepsTheDesktopRuleForTheDesktop) {
  std::ifstream file(TOV_SOURCE_DIR "/host/samples/Chromal.conf", std::ios::binary);
  ASSERT_TRUE(file) << "the sample is missing";
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  RuleTable rules = readRules(asTextMode(std::wstring(bytes.begin(), bytes.end())));
  ASSERT_GE(rules.size(), 2u);
  EXPECT_EQ(chooseRule(rules, true, nullptr), 0u);
  for (const wchar_t* folder : {L"C:\\", L"C:\\Users\\me\\Desktop", L"C:\\Windows\\System32",
                                L"D:\\Data", L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"}) {
    EXPECT_NE(chooseRule(rules, false, folder), 0u) << folder;
  }
}

// ---- The matcher ------------------------------------------------------------------------------

// The plain backtracking recursion the matcher must agree with.
bool referenceMatch(const wchar_t* path, const wchar_t* pattern) {
  if (*pattern == L'\0') return *path == L'\0';
  if (*pattern == L'*') {
    return referenceMatch(path, pattern + 1) ||
           (*path != L'\0' && referenceMatch(path + 1, pattern));
  }
  if (*path == L'\0') return false;
  if (*pattern != L'?' && std::towupper(*pattern) != std::towupper(*path)) return false;
  return referenceMatch(path + 1, pattern + 1);
}

TEST(ChromalWildcard, NullNeverMatches) {
  EXPECT_FALSE(wildcardMatch(nullptr, L"*"));
  EXPECT_FALSE(wildcardMatch(L"C:\\", nullptr));
}

TEST(ChromalWildcard, AgreesWithTheRecursionOnGeneratedInputs) {
  std::mt19937 random(20261208);
  const std::wstring pathLetters = L"aAb\\?*";  // wildcard characters in a path are plain
  const std::wstring patternLetters = L"aBb\\?**";
  auto make = [&](const std::wstring& letters, std::size_t longest) {
    std::wstring text(random() % (longest + 1), L' ');
    for (wchar_t& c : text) c = letters[random() % letters.size()];
    return text;
  };
  for (int i = 0; i < 100000; ++i) {
    std::wstring path = make(pathLetters, 12);
    std::wstring pattern = make(patternLetters, 8);
    ASSERT_EQ(wildcardMatch(path.c_str(), pattern.c_str()),
              referenceMatch(path.c_str(), pattern.c_str()))
        << "path \"" << std::string(path.begin(), path.end()) << "\" pattern \""
        << std::string(pattern.begin(), pattern.end()) << "\"";
  }
}

TEST(ChromalWildcard, ManyStarsOnALongPathFinishAtOnce) {
  std::wstring path(259, L'a');
  EXPECT_FALSE(wildcardMatch(path.c_str(), L"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(wildcardMatch(path.c_str(), L"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a"));
}

}  // namespace
}  // namespace tov::chromal
