// The names TOV's single instance rests on. Within a session the mutex "TOV::Mutex" (in the
// session's own namespace) lets one TOV run. Across sessions the same program folder is what must
// not run twice: the plug-in libraries of one folder are the same files, and a library's shared
// section is one memory for every program that maps that file, in whichever session. A second
// TOV from that folder in another session would switch the first one's plug-ins, adjust its
// windows and stop its hooks, so it says so and ends instead. TOV claims its folder under a name
// every session sees; the folder is named by its file identity, which every path to it shares.
#pragma once

#include <cstdint>
#include <string>

namespace tov {

inline constexpr wchar_t kInstanceMutexName[] = L"TOV::Mutex";

// The claim on a program folder, from its volume's serial number and its file index.
std::wstring folderClaimName(std::uint32_t volumeSerial, std::uint64_t fileIndex);

// What a second TOV from a claimed folder says before it ends.
inline constexpr wchar_t kFolderClaimedMessage[] =
    L"TOV is already running from this folder in another session of this computer.";

}  // namespace tov
