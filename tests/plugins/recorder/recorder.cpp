// A test plug-in that records every call it receives, with its arguments, as one line each in
// "calls.log" in the current folder: "<name> <operation> <arguments>". Its name is its library's
// file name without extension, so copies of the library under other names are plug-ins of their
// own. Built in variants (see the CMakeLists.txt files beside it): one whose start fails, one
// whose createInstance returns null, one whose createMenu returns null.
//
// It accepts (returns true for) the command offsets listed in "<name>.accept", one per line as
// "offset" or "offset param" (decimal), and declines every other one, except its own
// (recorder_commands.h).
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "plugin_frame.h"
#include "recorder_commands.h"

namespace {

struct RecorderState {
  LONG calls;  // calls into any recorder object, in any process
};
TOV_SHARED RecorderState shared = {0};

wchar_t pluginName[MAX_PATH] = L"Recorder";

void record(const char* format, ...) {
  ++shared.calls;
  char line[1024];
  int used = std::snprintf(line, sizeof(line), "%ls ", pluginName);
  if (used < 0 || used >= static_cast<int>(sizeof(line))) return;
  va_list arguments;
  va_start(arguments, format);
  int more =
      std::vsnprintf(line + used, sizeof(line) - static_cast<std::size_t>(used), format, arguments);
  va_end(arguments);
  if (more < 0) return;
  std::size_t length = static_cast<std::size_t>(used) + static_cast<std::size_t>(more);
  if (length > sizeof(line) - 3) length = sizeof(line) - 3;
  line[length++] = '\r';
  line[length++] = '\n';
  HANDLE file = CreateFileW(L"calls.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}

void readName() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(tov::moduleInstance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const wchar_t* base = path;
  for (const wchar_t* p = path; *p != L'\0'; ++p) {
    if (*p == L'\\' || *p == L'/') base = p + 1;
  }
  std::wcsncpy(pluginName, base, MAX_PATH - 1);
  pluginName[MAX_PATH - 1] = L'\0';
  if (wchar_t* dot = std::wcsrchr(pluginName, L'.')) *dot = L'\0';
}

// Whether "<name>.accept" lists this offset (and this param, when the line gives one).
bool accepts(int offset, LPARAM param) {
  wchar_t file[MAX_PATH + 8];
  std::swprintf(file, MAX_PATH + 8, L"%ls.accept", pluginName);
  FILE* in = _wfopen(file, L"r");
  if (in == nullptr) return false;
  char line[128];
  bool found = false;
  while (!found && std::fgets(line, sizeof(line), in) != nullptr) {
    long long wantedOffset = 0;
    long long wantedParam = 0;
    int fields = std::sscanf(line, "%lld %lld", &wantedOffset, &wantedParam);
    if (fields >= 1 && wantedOffset == offset && (fields == 1 || wantedParam == param)) {
      found = true;
    }
  }
  std::fclose(in);
  return found;
}

// Logs the library's unloading: static objects end when FreeLibrary unmaps the library.
struct UnloadWitness {
  ~UnloadWitness() { record("unloaded"); }
} unloadWitness;

class Recorder final : public tov::PluginBase {
 public:
  using enum tov::test::RecorderOffset;
  Recorder(int pluginId, IPluginHost* pluginHost)
      : PluginBase(pluginName, pluginId), host(pluginHost) {}
  ~Recorder() override { record("destroyed id=%d", id); }

  IPlugin* getInterface() override { return this; }
  int getId() override {
    record("getId");
    return id;
  }
  const wchar_t* getName() override {
    record("getName");
    return name;
  }
  int getCommandBase() override {
    record("getCommandBase");
    return tov::commandBase(id);
  }
  HMENU createMenu() override {
    record("createMenu");
#ifdef RECORDER_NULL_MENU
    return nullptr;
#else
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(tov::commandId(id, kRecorderItem)),
                L"Recorder item");
    return menu;
#endif
  }
  bool onCommand(int offset, LPARAM param) override {
    record("onCommand %d %lld", offset, static_cast<long long>(param));
    if (accepts(offset, param)) return true;
    switch (offset) {
      case kShowTrayIcon:
        record("showTrayIcon -> %d", host->showTrayIcon(id, param != 0) ? 1 : 0);
        return true;
      case kToggleTrayIcon:
        record("toggleTrayIcon -> %d", host->toggleTrayIcon(id) ? 1 : 0);
        return true;
      case kGetExplorerFolder: {
        wchar_t folder[MAX_PATH];
        bool found = host->getExplorerFolder(reinterpret_cast<HWND>(param), folder);
        folder[MAX_PATH - 1] = L'\0';
        record("getExplorerFolder -> %d %ls", found ? 1 : 0, folder);
        return true;
      }
      case kGetHostDirectory: {
        wchar_t folder[MAX_PATH] = L"";
        bool found = host->getHostDirectory(folder);
        folder[MAX_PATH - 1] = L'\0';
        record("getHostDirectory -> %d %ls", found ? 1 : 0, folder);
        return true;
      }
      case kIsTrayIconShown:
        record("isTrayIconShown -> %d", host->isTrayIconShown(id) ? 1 : 0);
        return true;
      case kSetTrayIcon:
        record(
            "setTrayIcon -> %d",
            host->setTrayIcon(id, param != 0 ? LoadIconW(nullptr, IDI_QUESTION) : nullptr) ? 1 : 0);
        return true;
      case kRegisterFakeShellWindows: {
        HMODULE fake = LoadLibraryW(L"FakeShellWindows.dll");  // kept for the process's life
        auto registerFake = fake != nullptr
                                ? reinterpret_cast<HRESULT (*)()>(reinterpret_cast<void*>(
                                      GetProcAddress(fake, "registerFakeShellWindows")))
                                : nullptr;
        record("registerFakeShellWindows -> %d",
               registerFake != nullptr && SUCCEEDED(registerFake()) ? 1 : 0);
        return true;
      }
      default:
        return false;
    }
  }
  bool start() override {
#ifdef RECORDER_START_FAILS
    record("start -> 0");
    return false;
#else
    record("start -> 1");
    started = true;
    return true;
#endif
  }
  bool stop() override {
    record("stop");
    bool was = started;
    started = false;
    return was;
  }
  bool setUse(bool flag) override {
    record("setUse %d", flag ? 1 : 0);
    use = flag;
    return use;
  }
  bool isUse() override {
    record("isUse");
    return use;
  }
  bool release() override {
    record("release");
    delete this;
    return true;
  }

 private:
  IPluginHost* host;
  bool use = true;
  bool started = false;
};

}  // namespace

extern "C" IPlugin* WINAPI createInstance(IPluginHost* host, int id) {
  readName();
  record("createInstance id=%d host=%d", id, host != nullptr ? 1 : 0);
#ifdef RECORDER_NULL_INSTANCE
  return nullptr;
#else
  return tov::createPlugin<Recorder>(id, host);
#endif
}
