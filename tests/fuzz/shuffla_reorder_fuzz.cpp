// Shuffla's move order with any buttons and any drop: either nothing moves, or the order holds
// every button where it was, the dragged one's slot emptied, and the dragged window just after
// the target (dragged to higher indices) or just before it.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "fuzz_text.h"
#include "plugins/shuffla/core/reorder.h"

using namespace tov::shuffla;
using tov::fuzz::require;

namespace {

// Windows as small numbers, so that buttons repeat and a null one occurs.
Handle windowOf(std::uint8_t n) {
  return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(n % 8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  beyondDragThreshold(data.ConsumeIntegral<int>(), data.ConsumeIntegral<int>());
  Drop drop{data.ConsumeIntegral<int>(), data.ConsumeIntegral<int>(),
            windowOf(data.ConsumeIntegral<std::uint8_t>()),
            windowOf(data.ConsumeIntegral<std::uint8_t>())};
  if (data.ConsumeBool()) {
    // Mostly indices that name buttons.
    drop.source &= 0x3F;
    drop.target &= 0x3F;
  }
  std::vector<Handle> buttons;
  while (data.remaining_bytes() > 0)
    buttons.push_back(windowOf(data.ConsumeIntegral<std::uint8_t>()));
  const std::size_t count = buttons.size();
  std::vector<Handle> order(count + 1, windowOf(0xFF));

  std::size_t written = planMove(buttons.data(), count, drop, order.data());
  const bool valid = drop.source >= 0 && drop.target >= 0 && drop.source != drop.target &&
                     static_cast<std::size_t>(drop.source) < count &&
                     static_cast<std::size_t>(drop.target) < count &&
                     buttons[drop.source] == drop.sourceWindow &&
                     buttons[drop.target] == drop.targetWindow;
  if (!valid) {
    require(written == 0, "a move was planned for a drop that names no two buttons");
    return 0;
  }
  require(written == count + 1, "the order is not one entry longer than the buttons");
  std::size_t at = drop.source < drop.target ? drop.target + 1 : drop.target;
  require(order[at] == drop.sourceWindow, "the dragged window is not next to the target");
  for (std::size_t i = 0; i < count; ++i) {
    Handle expected = static_cast<int>(i) == drop.source ? nullptr : buttons[i];
    require(order[i < at ? i : i + 1] == expected, "a button moved that was not dragged");
  }
  return 0;
}
