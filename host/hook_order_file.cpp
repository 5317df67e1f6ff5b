// Loading the plug-ins named in HookOrder.ini and writing their flags back.
#include <string>

#include "core/plugin_rules.h"
#include "library_search.h"
#include "main_window.h"
#include "text_file.h"

namespace tov {

bool MainWindow::loadPlugin(const std::wstring& path) {
  auto module = std::make_unique<PluginModule>();
  std::wstring failure;
  // Loaded by its full path: the process's own library search no longer reaches the working
  // folder, which is where users keep plug-ins.
  std::optional<std::wstring> library = findPluginLibrary(path);
  if (!library || !module->load(library->c_str(), this)) {
    failure = L"Failed to load " + path;
  } else if (!module->start()) {
    failure = std::wstring(L"Failed to hook ") + module->getName();
  } else {
    pluginList.push_back(std::move(module));
    return true;
  }
  warn(failure, MB_ICONWARNING);
  // The module's destructor undoes whatever loading achieved.
  return false;
}

void MainWindow::loadHookOrder() {
  std::optional<std::string> file = readWholeFile(kHookOrderFile);
  if (!file) {
    warn(L"Failed to open HookOrder.ini", MB_OK);
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
        combinations_.define(line.letter, decodeText(line.name, codePage));
        continue;
      case LineKind::kBarePlugin:
      case LineKind::kPluginWithFlags:
        break;
    }
    if (!canLoadAnotherPlugin(liveCount)) {
      warn(tooManyPluginsMessage(decodeText(text, codePage)), MB_ICONWARNING);
      continue;
    }
    if (!loadPlugin(decodeText(line.path, codePage))) continue;
    HookOrderEntry entry;
    if (line.kind == LineKind::kPluginWithFlags) {
      if (!line.flagsValid) {
        warn(L"Invalid syntax : " + decodeText(text, codePage), MB_ICONWARNING);
      } else {
        PluginModule& module = *pluginList.back();
        entry.membership = line.membership;
        entry.flagLine = FlagLine{index, std::string(text)};
        module.setUse(line.use);
        if (line.trayIcon) module.showTrayIcon(true);
      }
    }
    hookOrderEntries_.push_back(std::move(entry));
  }
  std::vector<Membership> memberships;
  memberships.reserve(hookOrderEntries_.size());
  for (const HookOrderEntry& entry : hookOrderEntries_) memberships.push_back(entry.membership);
  combinations_.setMembers(memberships);
}

bool MainWindow::saveHookOrder() {
  std::optional<std::string> file = readWholeFile(kHookOrderFile);
  if (file) {
    std::vector<FlagUpdate> updates;
    for (std::size_t i = 0; i < pluginList.size() && i < hookOrderEntries_.size(); ++i) {
      PluginModule* module = pluginList[i].get();
      const std::optional<FlagLine>& line = hookOrderEntries_[i].flagLine;
      if (module == nullptr || !line) continue;
      updates.push_back({&*line, module->isUse(), module->isTrayIconShown()});
    }
    std::string content = rewriteHookOrder(*file, charLayoutOf(localeCodePage()), updates);
    if (content == *file || replaceFileContent(kHookOrderFile, content)) return true;
  }
  warn(L"Failed to open HookOrder.ini as write.", MB_OK);
  return false;
}

}  // namespace tov
