// The host's combinations driven by any sequence of definitions, memberships, commands posted
// to the host and in-use flags: the active combination always names one that exists, and every text
// the icon and menu show can be made.
#include <fuzzer/FuzzedDataProvider.h>

#include "core/combinations.h"
#include "core/command_id.h"
#include "fuzz_text.h"

using namespace tov;
using tov::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  Combinations combinations;
  std::size_t plugins = 0;
  while (data.remaining_bytes() > 0) {
    switch (data.ConsumeIntegralInRange(0, 5)) {
      case 0:
        combinations.define(data.ConsumeIntegral<char>(),
                            tov::fuzz::wideOf(data.ConsumeRandomLengthString(16)));
        break;
      case 1: {
        std::vector<Membership> memberships(data.ConsumeIntegralInRange(0, 40));
        for (Membership& m : memberships) m = data.ConsumeIntegral<Membership>();
        plugins = memberships.size();
        combinations.setMembers(memberships);
        break;
      }
      case 2:
        combinations.shift();
        break;
      case 3: {
        // Any program can post the host a command: a plug-in's block or one of the host's own.
        const std::uint64_t wParam = data.ConsumeIntegral<std::uint64_t>();
        const std::uint32_t identifier = commandFromWParam(wParam);
        if (std::optional<PluginCommand> command = decodeCommand(identifier)) {
          require(command->index >= 0 && command->offset >= 0 &&
                      static_cast<std::uint32_t>(commandId(command->index, command->offset)) ==
                          identifier,
                  "a plug-in command does not name its own identifier");
        }
        std::optional<int> index = combinationOfCommand(static_cast<int>(identifier));
        if (!index) index = combinationOfCommand(data.ConsumeIntegral<int>());
        if (data.ConsumeBool()) index = data.ConsumeIntegral<int>();
        if (index) combinations.select(*index);
        break;
      }
      case 4: {
        // The flags of the loaded plug-ins, rarely of another number of them.
        PluginSet inUse(data.ConsumeBool() ? plugins : data.ConsumeIntegralInRange(0, 40));
        for (std::size_t i = 0; i < inUse.size(); ++i) inUse[i] = data.ConsumeBool();
        combinations.sync(inUse);
        break;
      }
      default:
        combinations.apply();
        break;
    }
    int current = combinations.current();
    require(current >= kCustomCombination && current < static_cast<int>(combinations.count()),
            "the active combination does not exist");
    combinations.tooltip();
    combinations.iconFile();
    for (std::size_t k = 0; k < combinations.count(); ++k) combinations.menuLabel(k);
  }
  return 0;
}
