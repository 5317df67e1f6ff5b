// The plug-in frame seen from outside its library, as the host and other processes see it.
#include <gtest/gtest.h>

#include "harness.h"
#include "plugin_api.h"

#include <tlhelp32.h>

namespace tov::test {
namespace {

template <class F>
F exported(HMODULE library, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

class LoadedProbe {
 public:
  explicit LoadedProbe(const wchar_t* file)
      : library_(LoadLibraryW(joinPath(testBinDir(), file).c_str())) {}
  ~LoadedProbe() {
    if (plugin_ != nullptr) {
      plugin_->stop();
      plugin_->release();
    }
    if (library_ != nullptr) FreeLibrary(library_);
  }
  LoadedProbe(const LoadedProbe&) = delete;
  LoadedProbe& operator=(const LoadedProbe&) = delete;

  HMODULE library() const { return library_; }
  IPlugin* create(int id) {
    auto factory = exported<CreateInstanceFunction>(library_, "createInstance");
    if (factory == nullptr) return nullptr;
    plugin_ = factory(nullptr, id);
    return plugin_;
  }
  HHOOK firstHook() { return exported<HHOOK (*)()>(library_, "probeFirstHook")(); }
  HHOOK secondHook() { return exported<HHOOK (*)()>(library_, "probeSecondHook")(); }

 private:
  HMODULE library_;
  IPlugin* plugin_ = nullptr;
};

TEST(Frame, EntryPointRemembersTheLibrarysOwnInstance) {
  LoadedProbe probe(L"FrameProbe.dll");
  ASSERT_NE(probe.library(), nullptr);
  auto instance = exported<HINSTANCE (*)()>(probe.library(), "probeModuleInstance");
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(instance(), reinterpret_cast<HINSTANCE>(probe.library()));
}

TEST(Frame, TrivialOperationsFollowTheId) {
  LoadedProbe probe(L"FrameProbe.dll");
  IPlugin* plugin = probe.create(2);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->getInterface(), plugin);
  EXPECT_EQ(plugin->getId(), 2);
  EXPECT_STREQ(plugin->getName(), L"FrameProbe");
  EXPECT_EQ(plugin->getCommandBase(), 3000);
  EXPECT_EQ(plugin->createMenu(), nullptr);
}

TEST(Frame, StartTwiceInstallsOneHookAndStopTwiceReportsNothingToStop) {
  LoadedProbe probe(L"FrameProbe.dll");
  IPlugin* plugin = probe.create(0);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(probe.firstHook(), nullptr);
  ASSERT_TRUE(plugin->start());
  HHOOK installed = probe.firstHook();
  ASSERT_NE(installed, nullptr);
  EXPECT_TRUE(plugin->start());
  EXPECT_EQ(probe.firstHook(), installed) << "a second start must not install another hook";
  EXPECT_TRUE(plugin->stop());
  EXPECT_EQ(probe.firstHook(), nullptr);
  EXPECT_FALSE(plugin->stop());
}

TEST(Frame, RefusedSecondHookLeavesNoHookBehind) {
  LoadedProbe probe(L"FrameProbeTwoHooks.dll");
  IPlugin* plugin = probe.create(0);
  ASSERT_NE(plugin, nullptr);
  ASSERT_STREQ(plugin->getName(), L"FrameProbeTwoHooks");
  EXPECT_FALSE(plugin->start());
  EXPECT_EQ(probe.firstHook(), nullptr);
  EXPECT_EQ(probe.secondHook(), nullptr);
  EXPECT_FALSE(plugin->stop());
}

TEST(Frame, OffsetFourFlipsUseWhenThePluginHasNoOwnItems) {
  LoadedProbe probe(L"FrameProbe.dll");
  IPlugin* plugin = probe.create(0);
  ASSERT_NE(plugin, nullptr);
  EXPECT_TRUE(plugin->isUse()) << "in use until told otherwise";
  EXPECT_TRUE(plugin->onCommand(4, 0));
  EXPECT_FALSE(plugin->isUse());
  EXPECT_TRUE(plugin->onCommand(4, 0));
  EXPECT_TRUE(plugin->isUse());
  for (int offset : {0, 1, 2, 3, 5, 999}) EXPECT_FALSE(plugin->onCommand(offset, 0)) << offset;
  EXPECT_TRUE(plugin->isUse());
  EXPECT_FALSE(plugin->setUse(false));
  EXPECT_FALSE(plugin->isUse());
  EXPECT_TRUE(plugin->setUse(true));
}

TEST(Frame, SharedSectionIsTheSameMemoryInAnotherProcess) {
  LoadedProbe probe(L"FrameProbe.dll");
  ASSERT_NE(probe.library(), nullptr);
  exported<void (*)(LONG)>(probe.library(), "probeSetCounter")(4711);
  std::wstring dll = joinPath(testBinDir(), L"FrameProbe.dll");
  Process reader =
      Process::start(joinPath(testBinDir(), L"frame_probe_reader.exe"), L"\"" + dll + L"\"");
  ASSERT_TRUE(reader.started());
  EXPECT_EQ(reader.waitForExit(), std::optional<DWORD>(4711));
}

TEST(CommandTable, RunsTheHandlerOfAnOffsetAndDeclinesTheRest) {
  HMODULE library = LoadLibraryW(joinPath(testBinDir(), L"CommandProbe.dll").c_str());
  ASSERT_NE(library, nullptr);
  auto factory = exported<CreateInstanceFunction>(library, "createInstance");
  IPlugin* plugin = factory(nullptr, 1);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->getCommandBase(), 2000);
  EXPECT_EQ(plugin->createMenu(), nullptr);
  EXPECT_TRUE(plugin->onCommand(4, 0x55AA));
  EXPECT_EQ(exported<LPARAM (*)()>(library, "probeRemembered")(), 0x55AA);
  EXPECT_TRUE(plugin->onCommand(6, 3)) << "handler's own answer";
  EXPECT_FALSE(plugin->onCommand(6, 2)) << "handler's own answer";
  EXPECT_FALSE(plugin->onCommand(5, 1)) << "empty entry";
  EXPECT_FALSE(plugin->onCommand(7, 1)) << "beyond the table";
  EXPECT_FALSE(plugin->onCommand(-1, 1)) << "negative offsets are out of range, not index -1";
  EXPECT_FALSE(plugin->onCommand(3, 0)) << "reserved offsets fall to the host's defaults";
  EXPECT_TRUE(plugin->release());
  EXPECT_EQ(exported<LONG (*)()>(library, "probeLiveObjects")(), 0);
  FreeLibrary(library);
}

TEST(CommandTable, FailedInitialisationGivesNullAndFreesTheObject) {
  HMODULE library = LoadLibraryW(joinPath(testBinDir(), L"CommandProbeFails.dll").c_str());
  ASSERT_NE(library, nullptr);
  auto factory = exported<CreateInstanceFunction>(library, "createInstance");
  EXPECT_EQ(factory(nullptr, 0), nullptr);
  EXPECT_EQ(exported<LONG (*)()>(library, "probeLiveObjects")(), 0) << "the object leaked";
  FreeLibrary(library);
}

class TestWindows : public ::testing::Test {
 protected:
  static LRESULT CALLBACK procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(w, m, wp, lp);
  }
  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"FrameTestWindow";
    RegisterClassW(&windowClass);
    library_ = LoadLibraryW(joinPath(testBinDir(), L"FrameProbe.dll").c_str());
    ASSERT_NE(library_, nullptr);
    isNormal_ = exported<BOOL (*)(HWND)>(library_, "probeIsNormal");
    ASSERT_NE(isNormal_, nullptr);
  }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
    FreeLibrary(library_);
  }
  HWND make(DWORD exStyle, DWORD style, HWND owner = nullptr) {
    HWND w = CreateWindowExW(exStyle, L"FrameTestWindow", L"frame test", style, 50, 50, 200, 150,
                             owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    windows_.push_back(w);
    return w;
  }
  bool isNormal(HWND w) { return isNormal_(w) != FALSE; }

  HMODULE library_ = nullptr;
  BOOL (*isNormal_)(HWND) = nullptr;
  std::vector<HWND> windows_;
};

TEST_F(TestWindows, NormalTopLevelWindowIsVisibleUnownedEnabledAndNoToolWindow) {
  HWND normal = make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  EXPECT_TRUE(isNormal(normal));
  EXPECT_FALSE(isNormal(make(0, WS_OVERLAPPEDWINDOW))) << "invisible";
  EXPECT_FALSE(isNormal(make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, normal))) << "owned";
  EXPECT_FALSE(isNormal(make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_DISABLED))) << "disabled";
  EXPECT_FALSE(isNormal(make(WS_EX_TOOLWINDOW, WS_OVERLAPPEDWINDOW | WS_VISIBLE))) << "tool";
}

}  // namespace
}  // namespace tov::test

namespace tov::test {
namespace {

LRESULT CALLBACK plainWindow(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}

DWORD mainThreadOf(DWORD processId) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  DWORD found = 0;
  for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == processId) {
      found = entry.th32ThreadID;
      break;
    }
  }
  CloseHandle(snapshot);
  return found;
}

// A plug-in's stop takes its hook out of every process, whichever process calls it.
TEST(Frame, StopEndsTheHookInEveryProcess) {
  HMODULE library = LoadLibraryW(joinPath(testBinDir(), L"FrameProbe.dll").c_str());
  ASSERT_NE(library, nullptr);
  auto hookCalls = reinterpret_cast<LONG (*)()>(
      reinterpret_cast<void*>(GetProcAddress(library, "probeHookCalls")));
  ASSERT_NE(hookCalls, nullptr);

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = plainWindow;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"HookLifetimeTarget";
  RegisterClassW(&windowClass);
  HWND window =
      CreateWindowExW(0, L"HookLifetimeTarget", L"hook target", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                      400, 300, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  pumpMessages(200ms);
  auto wiggle = [&](int round) {
    moveMouse(500 + round % 2 * 40, 400);
    moveMouse(520, 420 + round % 2 * 20);
    pumpMessages(100ms);
  };

  HANDLE hooked = CreateEventW(nullptr, TRUE, FALSE, L"FrameProbeHooked");
  Process holder = Process::start(joinPath(testBinDir(), L"frame_probe_reader.exe"),
                                  L"\"" + joinPath(testBinDir(), L"FrameProbe.dll") + L"\" --hook");
  ASSERT_EQ(WaitForSingleObject(hooked, 10000), WAIT_OBJECT_0);
  LONG before = hookCalls();
  int round = 0;
  EXPECT_TRUE(waitUntil([&] {
    wiggle(round++);
    return hookCalls() > before;
  })) << "the hook of another process sees this process's mouse events";

  PostThreadMessageW(mainThreadOf(holder.id()), WM_QUIT, 0, 0);
  EXPECT_EQ(holder.waitForExit(), std::optional<DWORD>(0)) << "stop found its hook";
  pumpMessages(300ms);
  LONG after = hookCalls();
  for (int i = 0; i < 4; ++i) wiggle(i);
  EXPECT_EQ(hookCalls(), after) << "the hook is still called after stop";

  CloseHandle(hooked);
  DestroyWindow(window);
  FreeLibrary(library);
}

}  // namespace
}  // namespace tov::test
