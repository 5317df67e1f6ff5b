// The folder window fit with any measured values: zero, negative and huge item sizes and
// counts, empty and inverted rectangles, any estimate of the list view. No division by zero, no
// overflow (the sanitizers stop on either), no endless loop (libFuzzer's -timeout), and at most
// two moves.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_text.h"
#include "plugins/explorer_fit/core/fit.h"

using namespace tov::explorer_fit;

namespace {

// Every answer is taken from the input; once it runs out, every answer is zero.
class FuzzedWindows final : public FitWindows {
 public:
  explicit FuzzedWindows(FuzzedDataProvider& data) : data_(data) {}

  std::uint32_t listStyle() override { return data_.ConsumeIntegral<std::uint32_t>(); }
  int itemCount() override { return data_.ConsumeIntegral<int>(); }
  bool firstItemRect(ItemPart, Rect& rect) override {
    if (!data_.ConsumeBool()) return false;
    rect = anyRect();
    return true;
  }
  Rect workArea() override { return anyRect(); }
  Rect listRect() override { return anyRect(); }
  Rect windowRect() override { return anyRect(); }
  std::uint32_t approximateViewRect(int, std::uint32_t) override {
    return data_.ConsumeIntegral<std::uint32_t>();
  }
  bool headerVisible() override { return data_.ConsumeBool(); }
  int scrollBarWidth() override { return data_.ConsumeIntegral<int>(); }
  void move(int, int, int, int) override { ++moves; }
  void unlock() override { ++unlocks; }

  int moves = 0;
  int unlocks = 0;

 private:
  // Mostly screen-sized values, sometimes anything an int holds.
  int coordinate() {
    return data_.ConsumeBool() ? data_.ConsumeIntegral<int>()
                               : data_.ConsumeIntegralInRange(-40000, 40000);
  }
  Rect anyRect() { return {coordinate(), coordinate(), coordinate(), coordinate()}; }

  FuzzedDataProvider& data_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  Variant variant = data.ConsumeBool() ? Variant::kA : Variant::kB;
  // The parameters are the plug-ins' own: theirs, or other small counts.
  FitParameters parameters{data.ConsumeIntegralInRange(-1, 100),
                           data.ConsumeIntegralInRange(-1, 100),
                           data.ConsumeIntegralInRange(-1, 100)};
  if (data.ConsumeBool()) parameters = data.ConsumeBool() ? kCornerFit : kWidexFit;
  squareSide(data.ConsumeIntegral<std::uint16_t>(), data.ConsumeIntegral<std::uint16_t>());

  FuzzedWindows windows(data);
  fit(windows, variant, parameters);
  tov::fuzz::require(windows.moves <= 2, "more than two resize passes");
  tov::fuzz::require(windows.unlocks == (windows.moves > 0 ? 1 : 0), "the window stays locked");
  return 0;
}
