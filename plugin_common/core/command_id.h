// Command identifier arithmetic shared by the host and the plug-ins. No Windows types here: the
// rules are tested natively.
//
// A plug-in with id n owns the identifiers (n + 1) * 1000 to (n + 1) * 1000 + 999. Identifiers
// travel in the low 16 bits of WM_COMMAND's wParam, so a plug-in's whole block must stay below
// 65536: ids 0 to 63 fit, id 64 and up do not.
#pragma once

#include <cstdint>
#include <optional>

namespace tov {

inline constexpr int kCommandBlock = 1000;
inline constexpr int kMaxPlugins = 64;  // (64 + 1) * 1000 > 65535

// Offsets below kFirstPluginOffset are the host's; a plug-in's own items start at 4.
enum CommandOffset : int {
  kOffsetTaskbarCreated = 0,
  kOffsetTrayEvent = 1,
  kOffsetToggleTrayIcon = 2,
  kOffsetToggleUse = 3,
  kFirstPluginOffset = 4,
};

constexpr int commandBase(int id) { return (id + 1) * kCommandBlock; }

constexpr int commandId(int id, int offset) { return commandBase(id) + offset; }

// Whether a plug-in with this id can receive every one of its commands intact: the last
// identifier of plug-in kMaxPlugins - 1 still fits the low word, the next plug-in's do not.
static_assert(commandBase(kMaxPlugins - 1) + kCommandBlock - 1 <= 0xFFFF);
static_assert(commandBase(kMaxPlugins) + kCommandBlock - 1 > 0xFFFF);
constexpr bool commandBlockFits(int id) { return id >= 0 && id < kMaxPlugins; }

struct PluginCommand {
  int index;   // position in the host's plug-in list
  int offset;  // 0..999
  friend bool operator==(const PluginCommand&, const PluginCommand&) = default;
};

// Splits a command identifier (already reduced to its low 16 bits) into list position and
// offset; identifiers below 1000 are the host's own and give nothing.
constexpr std::optional<PluginCommand> decodeCommand(std::uint32_t identifier) {
  if (identifier < static_cast<std::uint32_t>(kCommandBlock)) return std::nullopt;
  return PluginCommand{static_cast<int>(identifier / kCommandBlock) - 1,
                       static_cast<int>(identifier % kCommandBlock)};
}

// The low word of a WM_COMMAND wParam, as a plain integer.
constexpr std::uint32_t commandFromWParam(std::uint64_t wParam) {
  return static_cast<std::uint32_t>(wParam & 0xFFFFu);
}

}  // namespace tov
