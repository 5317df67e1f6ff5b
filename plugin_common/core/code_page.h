// How the bytes of a text file in the user's code page group into characters. HookOrder.ini is
// kept as bytes from reading to writing: lines the host does not update are written back exactly
// as read, so no character that the code page cannot convert is ever lost. Only the decisions
// that look at characters need to know where one character ends and the next begins.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tov {

inline constexpr unsigned kCodePageUtf8 = 65001;

// An inclusive range of lead bytes of a double-byte code page.
struct LeadByteRange {
  std::uint8_t first;
  std::uint8_t last;
};

class CharLayout {
 public:
  // Every byte is one character (the code pages of Western Europe, among others).
  static CharLayout singleByte();
  // A lead byte and the byte after it form one character (Japanese, Chinese, Korean).
  static CharLayout doubleByte(std::span<const LeadByteRange> leadBytes);
  // UTF-8 sequences; a four-byte sequence stands for two UTF-16 units.
  static CharLayout utf8();

  // Bytes of the character that starts at bytes[pos] (pos < size): at least 1, never past the
  // end, so a lead byte cut off by the end of the text is a character of its own.
  std::size_t charLength(std::string_view bytes, std::size_t pos) const;
  // UTF-16 units of that character once converted to wide text.
  std::size_t wideUnits(std::string_view bytes, std::size_t pos) const;
  // Byte offset of character number `index` (counted from 0), or the text's size when it has
  // fewer characters.
  std::size_t charOffset(std::string_view bytes, std::size_t index) const;

 private:
  CharLayout() = default;
  std::array<std::uint8_t, 256> length_{};
};

}  // namespace tov
