// The host's stored settings: any stored text reads as the integer a C runtime's wcstol-style
// reading clamped to 32 bits gives, every written value reads back, and a settings path is
// refused rather than cut.
#include <cwchar>
#include <limits>

#include "core/settings_values.h"
#include "fuzz_text.h"

namespace {

using tov::fuzz::require;

// Plain ASCII only: the reference's notion of white space follows the locale beyond it.
bool isAscii(std::wstring_view text) {
  for (wchar_t c : text) {
    if (c < 0 || c >= 0x80) return false;
  }
  return true;
}

int reference(const std::wstring& text) {
  long long value = std::wcstoll(text.c_str(), nullptr, 10);
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(bytes), size);
  // Narrow bytes as they are, and the same bytes as UTF-16 units.
  std::wstring narrow(input.begin(), input.end());
  for (const std::wstring& stored : {narrow, tov::fuzz::wideOf(input)}) {
    int value = tov::settingValue(stored, 7);
    if (stored == tov::kMissingSetting) {
      require(value == 7, "the missing marker did not give the default");
    } else if (isAscii(stored)) {
      require(value == reference(stored), "a stored number reads otherwise than the runtime's");
    }
    require(tov::settingValue(tov::settingText(value), 7) == value,
            "a written value reads back otherwise");

    std::optional<std::wstring> path = tov::settingsPath(stored);
    if (path) {
      require(path->size() < tov::kSettingsPathCapacity, "a settings path does not fit");
      require(path->find(stored) != std::wstring::npos, "a settings path was cut");
    }
  }
  return 0;
}
