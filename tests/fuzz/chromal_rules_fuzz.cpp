// Chromal.conf as Chromal reads it, any wide text: every rule is read without a fault, picking a
// rule for any folder stays within the table, and a rule's line in the sample reads back as the
// same rule.
#include "fuzz_text.h"
#include "plugins/chromal/core/rules.h"

using namespace tov::chromal;
using tov::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(bytes), size);
  // The first half of the input is the file, the rest a folder to colour.
  std::wstring text = tov::fuzz::wideOf(input.substr(0, size / 2 & ~std::size_t{1}));
  std::wstring folder = tov::fuzz::wideOf(input.substr(size / 2 & ~std::size_t{1}));

  RuleTable rules = readRules(text);
  for (const std::wstring& line : bufferedLines(asTextMode(text))) {
    require(line.size() < kLineBuffer, "a line overran the line buffer");
  }
  for (const Rule& rule : rules) {
    require(rule.pattern.size() < kLineBuffer, "a pattern longer than a line");
    Rule back{};
    require(readRuleLine(sampleLine(rule) + L"\n", back) && back == rule,
            "a rule's sample line reads as another rule");
    sentColours(rule);
    sampleInk(rule);
  }
  if (!rules.empty()) {
    require(chooseRule(rules, false, folder.c_str()) < rules.size(), "no rule chosen");
    require(chooseRule(rules, false, nullptr) < rules.size(), "no rule chosen without a folder");
  }
  return 0;
}
