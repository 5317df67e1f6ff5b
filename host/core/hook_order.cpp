#include "hook_order.h"

#include <optional>

namespace tov {

std::vector<HookOrderPiece> splitHookOrder(std::string_view file, const CharLayout& layout) {
  std::vector<HookOrderPiece> pieces;
  std::size_t start = 0;
  std::size_t pos = 0;
  std::size_t units = 0;
  while (pos < file.size()) {
    if (file[pos] == '\n' ||
        (file[pos] == '\r' && pos + 1 < file.size() && file[pos + 1] == '\n')) {
      pieces.push_back({file.substr(start, pos - start), true});
      pos += file[pos] == '\r' ? 2 : 1;
      start = pos;
      units = 0;
      continue;
    }
    std::size_t charUnits = layout.wideUnits(file, pos);
    if (units + charUnits > kHookOrderPieceChars) {
      // The piece is full: this character starts the next one.
      pieces.push_back({file.substr(start, pos - start), false});
      start = pos;
      units = 0;
      continue;
    }
    units += charUnits;
    pos += layout.charLength(file, pos);
    if (units == kHookOrderPieceChars) {
      pieces.push_back({file.substr(start, pos - start), false});
      start = pos;
      units = 0;
    }
  }
  if (start < file.size()) pieces.push_back({file.substr(start), false});
  return pieces;
}

namespace {

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }

// The character at `pos` is the single byte `c`.
bool charIs(std::string_view text, std::size_t pos, const CharLayout& layout, char c) {
  return pos < text.size() && text[pos] == c && layout.charLength(text, pos) == 1;
}

}  // namespace

HookOrderLine parseHookOrderLine(std::string_view text, const CharLayout& layout) {
  HookOrderLine line;
  if (text.empty()) return line;
  if (charIs(text, 0, layout, ';')) {
    line.kind = LineKind::kComment;
    return line;
  }
  if (isUpper(text[0]) && charIs(text, 1, layout, '=')) {
    line.kind = LineKind::kDefinition;
    line.letter = text[0];
    line.name = text.substr(2);
    return line;
  }

  // The first space, at a character boundary, and the number of characters before it.
  std::optional<std::size_t> space;
  std::size_t flagChars = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += layout.charLength(text, pos)) {
    if (charIs(text, pos, layout, ' ')) {
      space = pos;
      break;
    }
    ++flagChars;
  }
  if (!space) {
    line.kind = LineKind::kBarePlugin;
    line.path = text;
    return line;
  }

  line.kind = LineKind::kPluginWithFlags;
  line.path = text.substr(*space + 1);
  // Both flags must be there: a one-character field would make the separating space the second
  // flag, and writing a flag into it would join the path to the field.
  if (flagChars < 2) return line;
  std::string_view field = text.substr(0, *space);
  std::size_t second = layout.charLength(field, 0);
  std::size_t letters = second + layout.charLength(field, second);
  Membership membership = 0;
  for (std::size_t pos = letters; pos < field.size(); ++pos) {
    char c = field[pos];
    if (isUpper(c) && layout.charLength(field, pos) == 1) {
      membership |= Membership{1} << (c - 'A');
    } else if (isLower(c) && layout.charLength(field, pos) == 1) {
      membership &= ~(Membership{1} << (c - 'a'));
    } else {
      return line;
    }
  }
  line.flagsValid = true;
  line.use = !(second == 1 && field[0] == '0');
  line.trayIcon = !(letters - second == 1 && field[second] == '0');
  line.membership = membership;
  return line;
}

namespace {

// The line without its two flag characters, when it is a plug-in line whose flags apply.
std::optional<std::string_view> flagTail(std::string_view text, const CharLayout& layout) {
  HookOrderLine line = parseHookOrderLine(text, layout);
  if (line.kind != LineKind::kPluginWithFlags || !line.flagsValid) return std::nullopt;
  return text.substr(layout.charOffset(text, 2));
}

}  // namespace

std::string rewriteHookOrder(std::string_view file, const CharLayout& layout,
                             std::span<const FlagUpdate> updates) {
  std::vector<HookOrderPiece> pieces = splitHookOrder(file, layout);
  std::vector<std::optional<std::string_view>> tails;
  tails.reserve(pieces.size());
  // The pieces of a line longer than a piece must keep their widths in UTF-16 units: flags
  // narrower than the two characters they replace (a four-byte UTF-8 character counts two) would
  // move where the line is cut when the file is read again, pulling characters of the next piece
  // into this one or this one's first into the piece before. Such a piece keeps its flags; the
  // update meant for it is used up all the same, and goes into no other line.
  std::vector<bool> kept(pieces.size(), false);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    tails.push_back(flagTail(pieces[i].text, layout));
    bool cut = !pieces[i].lineEnd && i + 1 < pieces.size();
    bool continued = i > 0 && !pieces[i - 1].lineEnd;
    if (tails.back() && (cut || continued)) {
      std::string_view text = pieces[i].text;
      std::size_t second = layout.charLength(text, 0);
      kept[i] = layout.wideUnits(text, 0) + layout.wideUnits(text, second) != 2;
    }
  }

  // Which update goes into which piece.
  std::vector<const FlagUpdate*> target(pieces.size(), nullptr);
  auto fits = [&](std::size_t index, std::string_view tail) {
    return target[index] == nullptr && tails[index] && *tails[index] == tail;
  };
  for (const FlagUpdate& update : updates) {
    if (update.line == nullptr) continue;
    std::optional<std::string_view> tail = flagTail(update.line->text, layout);
    if (!tail) continue;
    std::size_t index = update.line->piece;
    if (index >= pieces.size() || !fits(index, *tail)) {
      index = 0;
      while (index < pieces.size() && !fits(index, *tail)) ++index;
    }
    if (index < pieces.size()) target[index] = &update;
  }

  std::string out;
  out.reserve(file.size() + pieces.size() + 2);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (const FlagUpdate* update = target[i]; update != nullptr && !kept[i]) {
      out += update->use ? '1' : '0';
      out += update->trayIcon ? '1' : '0';
      out += *tails[i];
    } else {
      out += pieces[i].text;
    }
    if (pieces[i].lineEnd) out += "\r\n";
  }
  return out;
}

}  // namespace tov
