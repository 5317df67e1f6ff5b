// What the fuzz targets share: wide text made of raw input, as Windows holds it (UTF-16 units,
// any of them, surrogates and nulls included), and the way a property failure is reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tov::fuzz {

// Every two bytes are one UTF-16 unit (low byte first); an odd last byte is a unit of its own.
inline std::wstring wideOf(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size() / 2 + 1);
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    unsigned unit = static_cast<std::uint8_t>(bytes[i]);
    if (i + 1 < bytes.size())
      unit |= static_cast<unsigned>(static_cast<std::uint8_t>(bytes[i + 1])) << 8;
    text += static_cast<wchar_t>(unit);
  }
  return text;
}

// A broken property stops the run like a sanitizer finding, so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

inline void require(bool holds, const char* what) {
  if (!holds) fail(what);
}

}  // namespace tov::fuzz
