#include "code_page.h"

#include <algorithm>

namespace tov {

CharLayout CharLayout::singleByte() {
  CharLayout layout;
  layout.length_.fill(1);
  return layout;
}

CharLayout CharLayout::doubleByte(std::span<const LeadByteRange> leadBytes) {
  CharLayout layout = singleByte();
  for (const LeadByteRange& range : leadBytes) {
    for (unsigned b = range.first; b <= range.last; ++b) layout.length_[b] = 2;
  }
  return layout;
}

CharLayout CharLayout::utf8() {
  CharLayout layout = singleByte();
  for (unsigned b = 0xC2; b <= 0xDF; ++b) layout.length_[b] = 2;
  for (unsigned b = 0xE0; b <= 0xEF; ++b) layout.length_[b] = 3;
  for (unsigned b = 0xF0; b <= 0xF4; ++b) layout.length_[b] = 4;
  return layout;
}

std::size_t CharLayout::charLength(std::string_view bytes, std::size_t pos) const {
  std::size_t length = length_[static_cast<std::uint8_t>(bytes[pos])];
  std::size_t left = bytes.size() - pos;
  return std::min(length, left);
}

std::size_t CharLayout::wideUnits(std::string_view bytes, std::size_t pos) const {
  return charLength(bytes, pos) == 4 ? 2 : 1;
}

std::size_t CharLayout::charOffset(std::string_view bytes, std::size_t index) const {
  std::size_t pos = 0;
  for (std::size_t i = 0; i < index && pos < bytes.size(); ++i) pos += charLength(bytes, pos);
  return pos;
}

}  // namespace tov
