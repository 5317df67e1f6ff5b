#include "rules.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "wildcard.h"

namespace tov::chromal {

namespace {

constexpr wchar_t kLineFeed = L'\n';
constexpr wchar_t kEndOfFile = L'\x1A';  // Ctrl+Z

// Field positions of a rule line.
constexpr std::size_t kTextSwitchAt = 0;
constexpr std::size_t kTextColourAt = 2;
constexpr std::size_t kTextBackModeAt = 9;
constexpr std::size_t kTextBackColourAt = 11;
constexpr std::size_t kBackSwitchAt = 18;
constexpr std::size_t kBackColourAt = 20;
constexpr std::size_t kPatternAt = 27;

constexpr long kModeOff = 0;
constexpr long kModeNoColour = 2;

// A decimal number from `at` on, as wcstol reads it: blanks skipped, a sign taken, stopping at
// the first non-digit wherever that is.
long decimalFrom(const std::wstring& line, std::size_t at) {
  return std::wcstol(line.c_str() + at, nullptr, 10);
}

// Two characters copied out alone and read as hexadecimal; the component is the low byte.
std::uint32_t componentAt(const std::wstring& line, std::size_t at) {
  wchar_t pair[3] = {line[at], line[at + 1], L'\0'};
  return static_cast<std::uint32_t>(std::wcstol(pair, nullptr, 16)) & 0xFFu;
}

std::uint32_t colourAt(const std::wstring& line, std::size_t at) {
  return componentAt(line, at) | componentAt(line, at + 2) << 8 | componentAt(line, at + 4) << 16;
}

// "RRGGBB" of a colour value.
void appendHex(std::wstring& text, std::uint32_t colour) {
  constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  for (int shift = 0; shift < 24; shift += 8) {
    text += kDigits[colour >> (shift + 4) & 0xFu];
    text += kDigits[colour >> shift & 0xFu];
  }
}

int textBackMode(const Rule& rule) {
  if (!rule.textBackOn) return 0;
  return rule.textBackColour == kNoColour ? 2 : 1;
}

}  // namespace

std::wstring asTextMode(std::wstring_view fileText) {
  std::wstring text;
  text.reserve(fileText.size());
  for (std::size_t i = 0; i < fileText.size(); ++i) {
    wchar_t c = fileText[i];
    if (c == kEndOfFile) break;
    if (c == L'\r' && i + 1 < fileText.size() && fileText[i + 1] == kLineFeed) continue;
    text += c;
  }
  return text;
}

std::vector<std::wstring> bufferedLines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  constexpr std::size_t kLongest = kLineBuffer - 1;
  while (!text.empty()) {
    std::size_t end = text.find(kLineFeed);
    end = end == std::wstring_view::npos ? text.size() : end + 1;
    end = std::min(end, kLongest);
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

bool readRuleLine(std::wstring_view piece, Rule& rule) {
  // The buffer is a C string: a null character read from the file ends the line there.
  std::wstring line(piece.substr(0, piece.find(L'\0')));
  if (line.size() < kShortestRuleLine) return false;
  if (line.back() == kLineFeed) line.pop_back();
  rule.textColourOn = decimalFrom(line, kTextSwitchAt) == 1;
  rule.textColour = colourAt(line, kTextColourAt);
  long mode = decimalFrom(line, kTextBackModeAt);
  rule.textBackOn = mode != kModeOff;
  rule.textBackColour = mode == kModeNoColour ? kNoColour : colourAt(line, kTextBackColourAt);
  rule.backColourOn = decimalFrom(line, kBackSwitchAt) == 1;
  rule.backColour = colourAt(line, kBackColourAt);
  // A line of exactly 27 characters has lost its line feed from the pattern's column.
  rule.pattern = line.substr(std::min(kPatternAt, line.size()));
  return true;
}

RuleTable readRules(std::wstring_view fileText) {
  RuleTable rules;
  Rule rule;
  for (const std::wstring& line : bufferedLines(asTextMode(fileText))) {
    if (readRuleLine(line, rule)) rules.push_back(rule);
  }
  return rules;
}

Rule builtInRule() { return {true, 0x00FF0000, true, kNoColour, false, 0x00FFFFFF, L"*"}; }

Rule switchedOffRule() { return {false, kNoColour, true, kNoColour, true, kNoColour, L"*"}; }

SentColours sentColours(const Rule& rule) {
  return {rule.backColourOn ? rule.backColour : kNoColour,
          rule.textColourOn ? rule.textColour : kNoColour,
          rule.textBackOn ? rule.textBackColour : kNoColour};
}

bool isColouredWindowClass(const wchar_t* className) {
  return std::wcscmp(className, L"CabinetWClass") == 0 ||
         std::wcscmp(className, L"ExploreWClass") == 0 || std::wcscmp(className, L"Progman") == 0;
}

bool isDesktopClass(const wchar_t* className) { return className[0] == L'P'; }

bool isViewClass(const wchar_t* className) {
  return std::wcscmp(className, L"SysListView32") == 0 ||
         std::wcscmp(className, L"SysTreeView32") == 0;
}

bool isColourMessage(std::uint32_t message) {
  // The six lie between the list view's first and the tree view's last: one range test first
  // keeps the hook cheap for every other message.
  if (message - LVM_SETBKCOLOR > TVM_SETLINECOLOR - LVM_SETBKCOLOR) return false;
  switch (message) {
    case LVM_SETBKCOLOR:
    case LVM_SETTEXTCOLOR:
    case LVM_SETTEXTBKCOLOR:
    case TVM_SETBKCOLOR:
    case TVM_SETTEXTCOLOR:
    case TVM_SETLINECOLOR:
      return true;
    default:
      return false;
  }
}

std::size_t chooseRule(const RuleTable& rules, bool desktop, const wchar_t* folder,
                       CapitalOf capital) {
  if (desktop) return 0;
  if (folder != nullptr) {
    for (std::size_t i = 0; i < rules.size(); ++i) {
      if (wildcardMatch(folder, rules[i].pattern.c_str(), capital)) return i;
    }
  }
  return rules.size() - 1;
}

std::wstring sampleLine(const Rule& rule) {
  int mode = textBackMode(rule);
  std::wstring line;
  line += rule.textColourOn ? L"1 " : L"0 ";
  appendHex(line, rule.textColour);
  line += L' ';
  line += static_cast<wchar_t>(L'0' + mode);
  line += L' ';
  if (mode == 2) {
    line += L"??????";
  } else {
    appendHex(line, rule.textBackColour);
  }
  line += rule.backColourOn ? L" 1 " : L" 0 ";
  appendHex(line, rule.backColour);
  line += L' ';
  line += rule.pattern;
  return line;
}

SampleInk sampleInk(const Rule& rule) {
  bool back = textBackMode(rule) != 0 && rule.textBackColour != kNoColour;
  return {rule.textColourOn ? rule.textColour : 0u, back, rule.textBackColour};
}

}  // namespace tov::chromal
