#include "session_values.h"

#include <cwchar>

namespace tov {

namespace {

constexpr std::size_t kNoSlot = kSessionValueCount;

// The slot whose name is exactly `name`; kNoSlot when none.
std::size_t slotOf(const SessionValues& block, const wchar_t* name) {
  for (std::size_t i = 0; i < kSessionValueCount; ++i) {
    const wchar_t* slotName = block.values[i].name;
    if (slotName[0] != L'\0' && std::wcsncmp(slotName, name, kSessionValueNameCapacity) == 0)
      return i;
  }
  return kNoSlot;
}

}  // namespace

void resetSessionValues(SessionValues& block, std::uint64_t hostWindow) {
  block = SessionValues{};
  block.hostWindow = hostWindow;
  block.size = sizeof(SessionValues);
  block.magic = kSessionBlockMagic;
}

bool isSessionBlock(const SessionValues& block) {
  return block.magic == kSessionBlockMagic && block.size == sizeof(SessionValues);
}

std::optional<std::int32_t> findSessionValue(const SessionValues& block, const wchar_t* name) {
  if (name == nullptr) return std::nullopt;
  std::size_t slot = slotOf(block, name);
  if (slot == kNoSlot) return std::nullopt;
  return block.values[slot].value;
}

bool setSessionValue(SessionValues& block, const wchar_t* name, std::int32_t value) {
  if (name == nullptr) return false;
  std::size_t length = std::wcslen(name);
  if (length == 0 || length >= kSessionValueNameCapacity) return false;
  if (std::size_t slot = slotOf(block, name); slot != kNoSlot) {
    block.values[slot].value = value;
    return true;
  }
  for (SessionValue& slot : block.values) {
    if (slot.name[0] != L'\0') continue;
    slot.value = value;
    // The first character last: until then a reader passes the slot by as free.
    for (std::size_t i = length; i > 0; --i) slot.name[i] = name[i];  // the terminator first
    slot.name[0] = name[0];
    return true;
  }
  return false;
}

void removeSessionValue(SessionValues& block, const wchar_t* name) {
  if (name == nullptr) return;
  if (std::size_t slot = slotOf(block, name); slot != kNoSlot) block.values[slot].name[0] = L'\0';
}

}  // namespace tov
