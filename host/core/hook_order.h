// HookOrder.ini without Windows: how the file splits into lines, what each line means, and how a
// save writes the plug-ins' flags back.
//
// The file is kept as bytes in the code page of the user's locale. Lines are read in pieces of
// at most 259 characters (a longer line counts as several), each ending at a line feed; a CR
// before the line feed belongs to the line end. A save writes every piece back byte for byte,
// with its line end as CR LF, and changes only the first two characters of the lines that hold
// the flags of a loaded plug-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/code_page.h"

namespace tov {

inline constexpr std::size_t kHookOrderPieceChars = 259;

struct HookOrderPiece {
  std::string_view text;  // without the line end
  bool lineEnd;           // whether a line feed (alone or after a CR) ended it
};

// The pieces of a whole file, in order. The text views point into `file`.
std::vector<HookOrderPiece> splitHookOrder(std::string_view file, const CharLayout& layout);

enum class LineKind {
  kEmpty,
  kComment,          // ";" first
  kDefinition,       // "A=" … "Z=" first: a combination
  kBarePlugin,       // no space: the whole line is the library path
  kPluginWithFlags,  // flags field, one space, library path
};

// Membership letters: bit n stands for the letter 'A' + n.
using Membership = std::uint32_t;

struct HookOrderLine {
  LineKind kind = LineKind::kEmpty;
  // kDefinition
  char letter = 0;
  std::string_view name;
  // kBarePlugin and kPluginWithFlags
  std::string_view path;
  // kPluginWithFlags: whether the flags field can be applied. It cannot when it is shorter than
  // two characters or something other than a letter follows them ("Invalid syntax : ").
  bool flagsValid = false;
  // The two flags, read only when flagsValid.
  bool use{};
  bool trayIcon{};
  Membership membership = 0;
};

HookOrderLine parseHookOrderLine(std::string_view text, const CharLayout& layout);

// Where a plug-in's flags were read from: the piece's index and its text at loading time.
struct FlagLine {
  std::size_t piece = 0;
  std::string text;
};

struct FlagUpdate {
  const FlagLine* line;
  bool use;
  bool trayIcon;
};

// The file's new content. Each update goes into the line it was read from: the piece at its
// index when that still holds the same line apart from the two flags, otherwise the first
// piece not yet updated that does (the file was edited while the host ran). An update whose line
// is gone changes nothing. Every other byte stays, line ends become CR LF.
std::string rewriteHookOrder(std::string_view file, const CharLayout& layout,
                             std::span<const FlagUpdate> updates);

}  // namespace tov
