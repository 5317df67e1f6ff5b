// HookOrder.ini as the host reads and saves it, in every kind of code page: after any flag
// change the saved file keeps every line the save does not update byte for byte, and reading it
// again gives the flags that were saved.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "core/hook_order.h"
#include "fuzz_text.h"

namespace {

using namespace tov;
using fuzz::require;

CharLayout layoutFor(FuzzedDataProvider& data) {
  switch (data.ConsumeIntegralInRange(0, 2)) {
    case 0:
      return CharLayout::singleByte();
    case 1:
      return CharLayout::utf8();
    default: {
      // Any lead byte ranges above ASCII, as every double-byte code page has them.
      std::vector<LeadByteRange> ranges(data.ConsumeIntegralInRange(0, 3));
      for (LeadByteRange& range : ranges) {
        range.first = data.ConsumeIntegral<std::uint8_t>() | 0x80u;
        range.last = data.ConsumeIntegral<std::uint8_t>() | 0x80u;
      }
      return CharLayout::doubleByte(ranges);
    }
  }
}

// The two first characters of the line, replaced by the written flags, leave this tail.
std::string_view tailOf(std::string_view text, const CharLayout& layout) {
  return text.substr(layout.charOffset(text, 2));
}

std::size_t unitsOf(std::string_view text, const CharLayout& layout) {
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += layout.charLength(text, pos)) {
    units += layout.wideUnits(text, pos);
  }
  return units;
}

bool flagsApply(const HookOrderLine& line) {
  return line.kind == LineKind::kPluginWithFlags && line.flagsValid;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const CharLayout layout = layoutFor(data);
  const std::size_t updateSeed = data.ConsumeIntegral<std::uint32_t>();
  const std::string file = data.ConsumeRemainingBytesAsString();

  // Reading: the pieces cover the file in order, each within the piece size.
  const std::vector<HookOrderPiece> pieces = splitHookOrder(file, layout);
  std::vector<HookOrderLine> lines;
  std::vector<FlagLine> flagLines;
  std::size_t pos = 0;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    require(pieces[i].text.data() == file.data() + pos, "a piece is not where the last one ended");
    require(unitsOf(pieces[i].text, layout) <= kHookOrderPieceChars,
            "a piece holds more than a line buffer");
    pos += pieces[i].text.size();
    if (pieces[i].lineEnd) {
      require(file.compare(pos, 1, "\n") == 0 || file.compare(pos, 2, "\r\n") == 0,
              "a line end where the file has none");
      pos += file[pos] == '\r' ? 2 : 1;
    }
    lines.push_back(parseHookOrderLine(pieces[i].text, layout));
    if (flagsApply(lines.back())) flagLines.push_back({i, std::string(pieces[i].text)});
  }
  require(pos == file.size(), "the pieces do not cover the file");

  // Saving: some of the plug-ins' lines get new flags; a few are told a stale index, as after
  // an edit of the file while the host ran.
  std::vector<FlagUpdate> updates;
  std::size_t seed = updateSeed;
  for (const FlagLine& line : flagLines) {
    unsigned choice = seed & 7u;
    seed = seed * 2654435761u + 1;
    if (choice == 0) continue;
    updates.push_back({&line, (choice & 1u) != 0, (choice & 2u) != 0});
  }
  std::vector<FlagLine> moved;
  moved.reserve(flagLines.size());
  if (!flagLines.empty() && (updateSeed >> 30) == 3) {
    for (FlagUpdate& update : updates) {
      if ((seed = seed * 2654435761u + 1) % 3 != 0) continue;
      moved.push_back(
          {(update.line->piece + 1 + seed % 4) % (pieces.size() + 2), update.line->text});
      update.line = &moved.back();
    }
  }
  const std::string saved = rewriteHookOrder(file, layout, updates);

  // Reading the saved file: the same pieces, every one kept byte for byte but the flags written.
  const std::vector<HookOrderPiece> again = splitHookOrder(saved, layout);
  require(again.size() == pieces.size(), "the save changed the number of lines");
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    require(again[i].lineEnd == pieces[i].lineEnd, "the save moved a line end");
    if (again[i].text == pieces[i].text) continue;
    require(flagsApply(lines[i]), "the save changed a line without flags");
    require(tailOf(again[i].text, layout) == tailOf(pieces[i].text, layout),
            "the save changed more than the two flags");
    const HookOrderLine line = parseHookOrderLine(again[i].text, layout);
    require(flagsApply(line), "a saved flag line no longer reads as one");
    require(line.membership == lines[i].membership && line.path == lines[i].path,
            "the saved line lost its membership or path");
  }
  // With every line where it was read, each update's flags are read back from its line, but for
  // a piece of a longer line whose written flags would move where the line is cut.
  if (moved.empty()) {
    for (const FlagUpdate& update : updates) {
      const std::size_t at = update.line->piece;
      const HookOrderLine line = parseHookOrderLine(again[at].text, layout);
      if (line.use == update.use && line.trayIcon == update.trayIcon) continue;
      const bool cut = !pieces[at].lineEnd && at + 1 < pieces.size();
      const bool continued = at > 0 && !pieces[at - 1].lineEnd;
      require(again[at].text == pieces[at].text && (cut || continued),
              "reading the saved file gives other flags");
      std::string written = std::string("11") + std::string(tailOf(pieces[at].text, layout));
      require(unitsOf(written, layout) != unitsOf(pieces[at].text, layout),
              "the flags of a cut line were not saved though they fit");
    }
  }
  return 0;
}
