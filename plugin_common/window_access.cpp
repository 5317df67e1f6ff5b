// Who may act on whose windows, from the processes' tokens. Kept apart from the other facts of
// window_facts.h, so that only the plug-ins that ask this import advapi32.dll.
#include <atomic>

#include "core/window_rules.h"
#include "no_wait.h"
#include "scoped_win.h"
#include "session_block.h"
#include "window_classes.h"
#include "window_facts.h"

namespace tov {

namespace {

// The process token's integrity level, read without allocating.
IntegrityLevel integrityLevel(HANDLE process) {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &opened)) return std::nullopt;
  ScopedHandle token(opened);
  alignas(TOKEN_MANDATORY_LABEL) BYTE buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenIntegrityLevel, buffer, sizeof buffer, &size))
    return std::nullopt;
  PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
  if (!IsValidSid(sid) || *GetSidSubAuthorityCount(sid) == 0) return std::nullopt;
  return *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u);
}

// This process's level does not change while it runs: read once.
IntegrityLevel ownIntegrityLevel() {
  constexpr std::uint32_t kNotRead = 0xFFFFFFFFu;
  constexpr std::uint32_t kUnreadable = 0xFFFFFFFEu;
  static std::atomic<std::uint32_t> cached{kNotRead};
  std::uint32_t value = cached.load(std::memory_order_relaxed);
  if (value == kNotRead) {
    IntegrityLevel level = integrityLevel(GetCurrentProcess());
    value = level.value_or(kUnreadable);
    cached.store(value, std::memory_order_relaxed);
  }
  if (value == kUnreadable) return std::nullopt;
  return value;
}

// The level of the window's program; this process's own for its own windows. Nothing for a
// window that is gone.
std::optional<IntegrityLevel> levelOfWindow(HWND window) {
  DWORD processId = 0;
  if (GetWindowThreadProcessId(window, &processId) == 0) return std::nullopt;
  if (processId == GetCurrentProcessId()) return ownIntegrityLevel();
  IntegrityLevel level;
  if (ScopedHandle process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)})
    level = integrityLevel(process.get());
  return level;
}

}  // namespace

bool atOurLevelOrAbove(HWND window) {
  std::optional<IntegrityLevel> level = levelOfWindow(window);
  return level && isAtOrAbove(*level, ownIntegrityLevel());
}

bool postToHost(const wchar_t* plugin, int offset, LPARAM param) {
  HostAddress host = readHostAddress(plugin);
  if (host.window == nullptr || !host.commandBase || !hasClass(host.window, kHostWindowClass) ||
      !atOurLevelOrAbove(host.window))
    return false;
  WPARAM command = static_cast<WORD>(*host.commandBase + offset);
  return PostMessageW(host.window, WM_COMMAND, command, param) != FALSE;
}

bool canActOn(HWND window) {
  std::optional<IntegrityLevel> level = levelOfWindow(window);
  return level && mayActOn(*level, ownIntegrityLevel());
}

bool withinReach(HWND window) { return isOwnThreadWindow(window) || canActOn(window); }

}  // namespace tov
