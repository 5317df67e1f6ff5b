// The contract's layout as a plug-in built by another compiler sees it: operations are found by
// slot number in the table that the object's first word points to, never by name.
#include <gtest/gtest.h>

#include "compiler.h"
#include "harness.h"
#include "plugin_api.h"

namespace tov::test {
namespace {

using Slot = void*;
Slot slotOf(void* object, int index) { return (*static_cast<Slot**>(object))[index]; }

template <class Result, class... Args>
Result callSlot(void* object, int index, Args... args) {
  using Function = Result(TOV_THISCALL*)(void*, Args...);
  return reinterpret_cast<Function>(slotOf(object, index))(object, args...);
}

// A host whose every operation leaves a mark, so a call through a wrong slot shows.
class MarkingHost final : public IPluginHost {
 public:
  int lastSlot = -1;
  void destroyHost() override { lastSlot = 0; }
  HWND getMainWindow() override {
    lastSlot = 1;
    return reinterpret_cast<HWND>(0x1234);
  }
  int reserved2() override {
    lastSlot = 2;
    return 0;
  }
  int reserved3(int) override {
    lastSlot = 3;
    return 0;
  }
  bool getExplorerFolder(HWND, wchar_t*) override {
    lastSlot = 4;
    return false;
  }
  bool getHostDirectory(wchar_t*) override {
    lastSlot = 5;
    return true;
  }
  bool showPluginMenu(int, const POINT*) override {
    lastSlot = 6;
    return true;
  }
  int readSettingInt(const wchar_t*, const wchar_t*, const wchar_t*, int d) override {
    lastSlot = 7;
    return d + 1;
  }
  bool writeSettingInt(const wchar_t*, const wchar_t*, const wchar_t*, int) override {
    lastSlot = 8;
    return true;
  }
  bool setTrayIcon(int, HICON) override {
    lastSlot = 9;
    return true;
  }
  bool showTrayIcon(int, bool) override {
    lastSlot = 10;
    return true;
  }
  bool toggleTrayIcon(int) override {
    lastSlot = 11;
    return true;
  }
  bool isTrayIconShown(int) override {
    lastSlot = 12;
    return true;
  }
};

TEST(ContractLayout, HostOperationsSitInTheirSlots) {
  MarkingHost host;
  IPluginHost* contract = &host;
  EXPECT_EQ(callSlot<HWND>(contract, 1), reinterpret_cast<HWND>(0x1234));
  EXPECT_EQ(host.lastSlot, 1) << "getMainWindow must be slot 1 (slot 0 is the destructor)";
  EXPECT_EQ(callSlot<int>(contract, 2), 0);
  EXPECT_EQ(host.lastSlot, 2);
  EXPECT_EQ(callSlot<int>(contract, 3, 7), 0);
  EXPECT_EQ(host.lastSlot, 3);
  wchar_t buffer[MAX_PATH] = {};
  callSlot<bool>(contract, 4, HWND{}, buffer);
  EXPECT_EQ(host.lastSlot, 4);
  callSlot<bool>(contract, 5, buffer);
  EXPECT_EQ(host.lastSlot, 5);
  POINT point{};
  callSlot<bool>(contract, 6, 0, static_cast<const POINT*>(&point));
  EXPECT_EQ(host.lastSlot, 6);
  EXPECT_EQ((callSlot<int>(contract, 7, L"b", L"s", L"k", 41)), 42);
  EXPECT_EQ(host.lastSlot, 7);
  callSlot<bool>(contract, 8, L"b", L"s", L"k", 1);
  EXPECT_EQ(host.lastSlot, 8);
  callSlot<bool>(contract, 9, 0, HICON{});
  EXPECT_EQ(host.lastSlot, 9);
  callSlot<bool>(contract, 10, 0, true);
  EXPECT_EQ(host.lastSlot, 10);
  callSlot<bool>(contract, 11, 0);
  EXPECT_EQ(host.lastSlot, 11);
  callSlot<bool>(contract, 12, 0);
  EXPECT_EQ(host.lastSlot, 12);
  callSlot<void>(contract, 0);
  EXPECT_EQ(host.lastSlot, 0);
}

TEST(ContractLayout, PluginOperationsSitInTheirSlots) {
  HMODULE library = LoadLibraryW(joinPath(testBinDir(), L"FrameProbe.dll").c_str());
  ASSERT_NE(library, nullptr);
  auto factory = reinterpret_cast<CreateInstanceFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "createInstance")));
  ASSERT_NE(factory, nullptr) << "createInstance must be exported under its plain name";
  void* plugin = factory(nullptr, 5);
  ASSERT_NE(plugin, nullptr);

  // The fields after the table pointer: name, then id.
  struct Head {
    void* table;
    const wchar_t* name;
    int id;
  };
  EXPECT_STREQ(static_cast<Head*>(plugin)->name, L"FrameProbe");
  EXPECT_EQ(static_cast<Head*>(plugin)->id, 5);

  EXPECT_EQ(callSlot<void*>(plugin, 0), plugin);                     // getInterface
  EXPECT_EQ(callSlot<int>(plugin, 1), 5);                            // getId
  EXPECT_STREQ(callSlot<const wchar_t*>(plugin, 2), L"FrameProbe");  // getName
  EXPECT_EQ(callSlot<int>(plugin, 3), 6000);                         // getCommandBase
  EXPECT_EQ(callSlot<HMENU>(plugin, 4), nullptr);                    // createMenu
  EXPECT_FALSE((callSlot<bool>(plugin, 5, 3, LPARAM{0})));           // onCommand: declines 3
  EXPECT_TRUE(callSlot<bool>(plugin, 6));                            // start
  EXPECT_TRUE(callSlot<bool>(plugin, 7));                            // stop
  EXPECT_FALSE(callSlot<bool>(plugin, 7));                           // stop again
  EXPECT_FALSE(callSlot<bool>(plugin, 8, false));                    // setUse
  EXPECT_FALSE(callSlot<bool>(plugin, 9));                           // isUse
  EXPECT_TRUE(callSlot<bool>(plugin, 8, true));
  EXPECT_TRUE(callSlot<bool>(plugin, 10));  // release
  FreeLibrary(library);
}

// A plug-in object laid out by hand, as a C compiler would: the host's calls must land in the
// slots of this table.
struct ForeignPlugin {
  void* const* table;
  const wchar_t* name;
  int id;
  int lastSlot;
};

template <int slot, class Result, class... Args>
Result TOV_THISCALL foreignOperation(ForeignPlugin* self, Args...) {
  self->lastSlot = slot;
  return Result{};
}

TEST(ContractLayout, HostCallsReachAForeignPluginsSlots) {
  static void* const table[] = {
      reinterpret_cast<void*>(&foreignOperation<0, IPlugin*>),
      reinterpret_cast<void*>(&foreignOperation<1, int>),
      reinterpret_cast<void*>(&foreignOperation<2, const wchar_t*>),
      reinterpret_cast<void*>(&foreignOperation<3, int>),
      reinterpret_cast<void*>(&foreignOperation<4, HMENU>),
      reinterpret_cast<void*>(&foreignOperation<5, bool, int, LPARAM>),
      reinterpret_cast<void*>(&foreignOperation<6, bool>),
      reinterpret_cast<void*>(&foreignOperation<7, bool>),
      reinterpret_cast<void*>(&foreignOperation<8, bool, bool>),
      reinterpret_cast<void*>(&foreignOperation<9, bool>),
      reinterpret_cast<void*>(&foreignOperation<10, bool>),
  };
  ForeignPlugin foreign{table, L"Foreign", 0, -1};
  // Handed over as an opaque address, as the host receives it from createInstance.
  void* volatile address = &foreign;
  IPlugin* plugin = static_cast<IPlugin*>(address);
  plugin->getInterface();
  EXPECT_EQ(foreign.lastSlot, 0);
  plugin->getId();
  EXPECT_EQ(foreign.lastSlot, 1);
  plugin->getName();
  EXPECT_EQ(foreign.lastSlot, 2);
  plugin->getCommandBase();
  EXPECT_EQ(foreign.lastSlot, 3);
  plugin->createMenu();
  EXPECT_EQ(foreign.lastSlot, 4);
  plugin->onCommand(4, 0);
  EXPECT_EQ(foreign.lastSlot, 5);
  plugin->start();
  EXPECT_EQ(foreign.lastSlot, 6);
  plugin->stop();
  EXPECT_EQ(foreign.lastSlot, 7);
  plugin->setUse(true);
  EXPECT_EQ(foreign.lastSlot, 8);
  plugin->isUse();
  EXPECT_EQ(foreign.lastSlot, 9);
  plugin->release();
  EXPECT_EQ(foreign.lastSlot, 10);
}

}  // namespace
}  // namespace tov::test
