// TOV's own block in the user's session: the place a hook reads what it must not take from its
// library's shared section (core/session_values.h holds the layout).
//
// Why: a shared section is writable by every program that maps the library, and the system maps
// it into every program the hooks reach, sandboxed ones at a lower integrity level included, and
// into any program that loads the file itself, other users' too where TOV runs from a folder they
// share. Whatever a hook acts on in another program (the window it posts to, the command it
// posts) therefore comes from here: a named file mapping in the session's own namespace
// ("Local\"), created by TOV with the user's default security. Other users' programs cannot open
// it, and the mandatory label the system gives it (TOV's level, with no writing up) keeps
// programs at a lower level from writing it. The same user's programs at TOV's level can write it,
// as they can write into TOV itself: no boundary lies between them.
//
// The sides:
//   TOV.exe       creates the block with its window (SessionBlock) and keeps it while it runs;
//   plug-ins      in TOV's process publish a few values for their hooks (publishSessionValue):
//                 the frame publishes each plug-in's command base under the plug-in's name; a
//                 plug-in's own values go under "<name>.<value>" (31 characters at most);
//   hooks         in any program read a value (readSessionValue) or post a command to TOV
//                 (postToHost, window_facts.h), which reads the block, checks the window and posts.
// A read opens, maps and closes the block again: a few system calls, no heap. Read where an event
// needs the value (a click that posts, a key that is translated), never on every event.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "core/session_values.h"

namespace tov {

// The block's name in the session's namespace.
inline constexpr wchar_t kSessionBlockName[] = L"Local\\TOV::Session";

// TOV's side: the block, set up with TOV's window and emptied of every earlier value; the window
// is taken out again when it goes. A block that some program made before TOV under this name, too
// small or not writable, is left alone: the hooks then post nothing (they check the window they
// find there, whoever wrote it).
class SessionBlock {
 public:
  SessionBlock() = default;
  ~SessionBlock();
  SessionBlock(const SessionBlock&) = delete;
  SessionBlock& operator=(const SessionBlock&) = delete;

  bool create(HWND hostWindow);

 private:
  HANDLE mapping_ = nullptr;
  SessionValues* view_ = nullptr;
};

// In TOV's process: publishes a value for the hooks, or withdraws it; false when there is no
// block (no TOV: a test that drives a library itself) or no room.
bool publishSessionValue(const wchar_t* name, std::int32_t value);
void withdrawSessionValue(const wchar_t* name);

// In any program: a value the block holds.
std::optional<std::int32_t> readSessionValue(const wchar_t* name);
// TOV's window as the block names it, and `plugin`'s command base; null and nothing when there is
// no block.
struct HostAddress {
  HWND window;
  std::optional<std::int32_t> commandBase;
};
HostAddress readHostAddress(const wchar_t* plugin);

}  // namespace tov
