// TOV's own block in the user's session, as memory: which window is TOV's, and the few values the
// plug-ins publish for their hooks (the command base of each plug-in, and the like). The Win32
// layer (session_block.h) maps it; the layout and the lookups live here, without windows.
//
// Unlike a library's shared section, which every program that maps the library may write, the
// block is written by TOV alone: it is created by TOV with the user's default security, so that
// programs of other users and programs at a lower integrity level can read it at most.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tov {

// The window class of TOV's main window, the one window a hook posts to.
inline constexpr wchar_t kHostWindowClass[] = L"TOV";

// Wide characters of a value's name, terminator included, and how many values the block holds:
// every plug-in TOV can load publishes its command base, and a few values more fit beside.
inline constexpr std::size_t kSessionValueNameCapacity = 32;
inline constexpr std::size_t kSessionValueCount = 128;

struct SessionValue {
  wchar_t name[kSessionValueNameCapacity];  // empty: the slot is free
  std::int32_t value;
};

// What the block holds. A reader in another program takes it as it stands: the writer stores the
// value of a new entry before its name, and empties the name first when it withdraws one, so a
// reader never finds a name with another entry's value.
struct SessionValues {
  std::uint32_t magic;  // kSessionBlockMagic once TOV has set the block up
  std::uint32_t size;   // sizeof(SessionValues) of the TOV that set it up
  std::uint64_t hostWindow;
  SessionValue values[kSessionValueCount];
};
inline constexpr std::uint32_t kSessionBlockMagic = 0x53564F54;  // "TOVS"

// Empties the block and names TOV's window (0 for none).
void resetSessionValues(SessionValues& block, std::uint64_t hostWindow);
// Whether the block was set up by a TOV of this layout.
bool isSessionBlock(const SessionValues& block);
// The value of a name, if the block holds it.
std::optional<std::int32_t> findSessionValue(const SessionValues& block, const wchar_t* name);
// Sets a name's value, in the name's slot or the first free one; false for a name that is empty
// or too long, or when the block is full.
bool setSessionValue(SessionValues& block, const wchar_t* name, std::int32_t value);
// Frees the name's slot, if any.
void removeSessionValue(SessionValues& block, const wchar_t* name);

}  // namespace tov
