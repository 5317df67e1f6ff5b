#include "hook_order_file.h"

#include <string>

#include "core/plugin_rules.h"
#include "message_box.h"
#include "text_file.h"

namespace tov {

void HookOrderFile::load(HWND owner, PluginList& plugins, IPluginHost& host,
                         Combinations& combinations) {
  std::optional<std::string> file = readWholeFile(kHookOrderFile);
  if (!file) {
    showMessage(owner, L"Failed to open HookOrder.ini", MB_OK);
    return;
  }
  unsigned codePage = localeCodePage();
  CharLayout layout = charLayoutOf(codePage);
  std::vector<HookOrderPiece> pieces = splitHookOrder(*file, layout);
  for (std::size_t index = 0; index < pieces.size(); ++index) {
    std::string_view text = pieces[index].text;
    HookOrderLine line = parseHookOrderLine(text, layout);
    switch (line.kind) {
      case LineKind::kEmpty:
      case LineKind::kComment:
        continue;
      case LineKind::kDefinition:
        combinations.define(line.letter, decodeText(line.name, codePage));
        continue;
      case LineKind::kBarePlugin:
      case LineKind::kPluginWithFlags:
        break;
    }
    if (!plugins.canLoadAnother()) {
      showMessage(owner, tooManyPluginsMessage(decodeText(text, codePage)), MB_ICONWARNING);
      continue;
    }
    if (!plugins.loadPlugin(decodeText(line.path, codePage), host, owner)) continue;
    Entry entry;
    if (line.kind == LineKind::kPluginWithFlags) {
      if (!line.flagsValid) {
        showMessage(owner, L"Invalid syntax : " + decodeText(text, codePage), MB_ICONWARNING);
      } else {
        PluginModule& module = plugins.back();
        entry.membership = line.membership;
        entry.flagLine = FlagLine{index, std::string(text)};
        module.setUse(line.use);
        if (line.trayIcon) module.showTrayIcon(true);
      }
    }
    entries_.push_back(std::move(entry));
  }
  std::vector<Membership> memberships;
  memberships.reserve(entries_.size());
  for (const Entry& entry : entries_) memberships.push_back(entry.membership);
  combinations.setMembers(memberships);
}

bool HookOrderFile::save(HWND owner, const PluginList& plugins) const {
  std::optional<std::string> file = readWholeFile(kHookOrderFile);
  if (file) {
    std::vector<FlagUpdate> updates;
    for (std::size_t i = 0; i < plugins.size() && i < entries_.size(); ++i) {
      PluginModule* module = plugins[i].get();
      const std::optional<FlagLine>& line = entries_[i].flagLine;
      if (module == nullptr || !line) continue;
      updates.push_back({&*line, module->isUse(), module->isTrayIconShown()});
    }
    std::string content = rewriteHookOrder(*file, charLayoutOf(localeCodePage()), updates);
    if (content == *file || replaceFileContent(kHookOrderFile, content)) return true;
  }
  showMessage(owner, L"Failed to open HookOrder.ini as write.", MB_OK);
  return false;
}

}  // namespace tov
