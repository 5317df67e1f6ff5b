#include "single_instance.h"

namespace tov {

namespace {

void appendHex(std::wstring& text, std::uint64_t value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
    text += L"0123456789ABCDEF"[(value >> shift) & 0xF];
}

}  // namespace

std::wstring folderClaimName(std::uint32_t volumeSerial, std::uint64_t fileIndex) {
  std::wstring name = L"Global\\TOV::Folder::";
  appendHex(name, volumeSerial, 8);
  name += L'-';
  appendHex(name, fileIndex, 16);
  return name;
}

}  // namespace tov
