// Chromal's colour rules: reading them from Chromal.conf, the fixed rules that stand in for them,
// which rule colours a window, the colours a rule sends, and its line in the painted sample.
//
// A rule line has fixed columns (positions from 0):
//   0 text colour switch, 2-7 text colour RRGGBB, 9 text background mode, 11-16 its colour,
//   18 background switch, 20-25 background colour, 27 to the end the folder pattern.
// Switches and the mode are read as decimal numbers from their position on, the way wcstol reads
// them (so a digit in a separator column runs on into the next field); each colour component is
// two characters read alone as hexadecimal. Lines of 26 characters or fewer, line feed included,
// are skipped: that is how blank lines and notes are written, as there is no comment syntax.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/win32_names.h"
#include "wildcard.h"

namespace tov::chromal {

// The value by which the list and tree views mean "no colour" (or their default one).
inline constexpr std::uint32_t kNoColour = CLR_NONE;

// Colours are COLORREF values, 0x00BBGGRR.
struct Rule {
  bool textColourOn;
  std::uint32_t textColour;
  bool textBackOn;
  std::uint32_t textBackColour;  // kNoColour: text on a transparent background
  bool backColourOn;
  std::uint32_t backColour;
  std::wstring pattern;  // as written, case and blanks kept
  friend bool operator==(const Rule&, const Rule&) = default;
};
using RuleTable = std::vector<Rule>;

// Lines are read into a buffer of this many characters, terminator included, so a longer line
// is read in pieces of one less.
inline constexpr std::size_t kLineBuffer = 288;
// The shortest line, line feed included, that is read as a rule.
inline constexpr std::size_t kShortestRuleLine = 27;

// The file's text as a runtime reading it in text mode hands it over: CR LF becomes LF, and a
// Ctrl+Z ends it.
std::wstring asTextMode(std::wstring_view fileText);

// The lines of text-mode text as the line buffer receives them: each ends after its line feed
// or after kLineBuffer - 1 characters, and the last one may have no line feed.
std::vector<std::wstring> bufferedLines(std::wstring_view text);

// The rule a line gives, or false when the line is too short. Only a final line feed is dropped
// from the pattern: the piece of an over-long line and an unterminated last line keep their last
// character.
bool readRuleLine(std::wstring_view line, Rule& rule);

// Every rule of a whole file, in order (empty when no line is a rule).
RuleTable readRules(std::wstring_view fileText);

// Blue text on a transparent background, for every folder: used when the file is missing or
// gives no rule.
Rule builtInRule();
// Every colour kNoColour, for every folder: what switching off leaves in the views.
Rule switchedOffRule();

// The values sent to a list and tree for one rule; a colour that is switched off is sent as
// kNoColour.
struct SentColours {
  std::uint32_t back;
  std::uint32_t text;
  std::uint32_t textBack;
};
SentColours sentColours(const Rule& rule);

// The window classes and messages Chromal deals with, compared exactly.
bool isColouredWindowClass(const wchar_t* className);  // a folder window or the desktop
bool isDesktopClass(const wchar_t* className);         // begins with "P", as "Progman" does
bool isViewClass(const wchar_t* className);            // the file list or the folder tree
// The six colour messages of the list and tree views.
bool isColourMessage(std::uint32_t message);

// Which rule colours a window (rules must not be empty): the desktop takes the first rule; a
// folder window the first rule whose pattern matches its folder, else the last rule. `folder`
// is null when the window's folder has no file-system path. Letter case is compared through
// `capital` (wildcard.h).
std::size_t chooseRule(const RuleTable& rules, bool desktop, const wchar_t* folder,
                       CapitalOf capital = runtimeCapital);

// A rule as the painted sample shows it: its line in Chromal.conf's layout (the text background
// colour of mode 2 as "??????"), and the colours it is drawn in.
std::wstring sampleLine(const Rule& rule);
struct SampleInk {
  std::uint32_t text;
  bool setsBackground;  // else the background stays as the previous line left it
  std::uint32_t background;
};
SampleInk sampleInk(const Rule& rule);

}  // namespace tov::chromal
