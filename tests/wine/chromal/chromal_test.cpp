// Chromal under Wine: TOV.exe with Chromal.dll colours fixture windows that carry the shell's
// class names and real list and tree views. The recorder plug-in ("Plug", id 0) registers the
// fake collection of shell windows in the host, which reports the fixture windows' folders from
// "shell_windows.txt"; Chromal is id 1. What the views received is read from the fixture's log
// (every list and tree message with its values) and, for what the user sees, from the views.
#include <windows.h>
//
#include <commctrl.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

#include "host_support.h"
#include "plugin_support.h"

namespace tov::test {
namespace {

constexpr UINT kSetOwnTextColour = WM_APP + 3;  // window_fixture's commands
constexpr UINT kHang = WM_APP + 4;

// Chromal's commands at id 1: its own offsets are its menu's two items and the refresh its hook
// posts. The recorder's at id 0.
constexpr int kToggleUse = commandId(1, kOffsetToggleUse);
constexpr int kReload = commandId(1, 4);
constexpr int kPaintSample = commandId(1, 5);
constexpr int kRefresh = commandId(1, 6);
constexpr int kRecorderProbe = commandId(0, kIsTrayIconShown);  // any command the recorder logs

constexpr unsigned kNone = CLR_NONE;

// The colour messages as the fixture logs them, with their values.
struct Sent {
  unsigned back, text, textBack;
};

std::string line(std::size_t window, const char* view, unsigned message, unsigned wParam,
                 unsigned value) {
  char text[96];
  std::snprintf(text, sizeof text, "%zu.%s MSG %04X %X %X", window, view, message, wParam, value);
  return text;
}

// Chromal's messages to one window's views, in their order.
std::vector<std::string> chromalSequence(std::size_t window, Sent sent, bool tree) {
  std::vector<std::string> lines = {line(window, "list", LVM_SETBKCOLOR, 666, sent.back)};
  if (tree) lines.push_back(line(window, "tree", TVM_SETBKCOLOR, 666, sent.back));
  lines.push_back(line(window, "list", LVM_SETTEXTCOLOR, 666, sent.text));
  if (tree) {
    lines.push_back(line(window, "tree", TVM_SETTEXTCOLOR, 666, sent.text));
    lines.push_back(line(window, "tree", TVM_SETLINECOLOR, 666, sent.text));
  }
  lines.push_back(line(window, "list", LVM_SETTEXTBKCOLOR, 666, sent.textBack));
  return lines;
}

// The colour-setting messages one window's views received since the mark.
std::vector<std::string> colourLines(const Fixture& fixture, std::size_t window) {
  std::vector<std::string> result;
  std::string prefix = std::to_string(window) + ".";
  for (const std::string& entry : fixture.linesSinceMark()) {
    if (entry.rfind(prefix, 0) != 0) continue;
    for (unsigned message : {LVM_SETBKCOLOR, LVM_SETTEXTCOLOR, LVM_SETTEXTBKCOLOR, TVM_SETBKCOLOR,
                             TVM_SETTEXTCOLOR, TVM_SETLINECOLOR}) {
      char name[16];
      std::snprintf(name, sizeof name, " MSG %04X ", message);
      if (entry.find(name) != std::string::npos) result.push_back(entry);
    }
  }
  return result;
}

bool waitSinceMark(const Fixture& fixture, const std::string& text) {
  return waitUntil([&] { return fixture.sawSinceMark(text); });
}

HWND listOf(HWND window) { return FindWindowExW(window, nullptr, L"SysListView32", nullptr); }

unsigned listTextColour(HWND window) {
  return static_cast<unsigned>(SendMessageW(listOf(window), LVM_GETTEXTCOLOR, 0, 0));
}

// Whether a program has loaded a library of this name.
bool hasLoaded(DWORD processId, const wchar_t* library) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  MODULEENTRY32W module{};
  module.dwSize = sizeof module;
  bool found = false;
  for (BOOL more = Module32FirstW(snapshot, &module); more && !found;
       more = Module32NextW(snapshot, &module))
    found = lstrcmpiW(module.szModule, library) == 0;
  CloseHandle(snapshot);
  return found;
}

// Chromal's shared section, the same memory in every program that has the library loaded.
struct ChromalShared {
  HHOOK hook;
  bool inUse;
};

// Folder windows (0 to 4) and windows of other classes with views (5 to 7).
const std::vector<std::wstring> kWindows = {
    L"10,10,300,180:class=Progman:list=icon:items=3",
    L"320,10,300,180:class=CabinetWClass:tree:list=report:items=3",
    L"630,10,300,180:class=ExploreWClass:tree:list=list:items=3",
    L"10,200,300,180:class=CabinetWClass:tree:list=report:items=3",
    L"320,200,300,180:class=CabinetWClass:tree:list=smallicon:items=3",
    L"630,200,300,180:class=#32770:list=report:items=3",
    L"10,390,300,180:class=bosa_sdm_XL9:list=report:items=3",
    L"320,390,300,180:class=TovOther:tree:list=report:items=3",
};
constexpr std::size_t kDesktop = 0, kUsers = 1, kData = 2, kDataSub = 3, kVirtual = 4,
                      kOthersFrom = 5;

// The first rule serves the desktop, whatever its pattern; the last is the fallback.
const char* const kRules = kChromalTestRules;
const Sent kDesktopRule{0x00FFFF, 0xFF0000, 0x00FF00};
const Sent kUsersRule{0x800000, 0x0000FF, kNone};
const Sent kDataRule{0x008000, kNone, kNone};
const Sent kFallbackRule{kNone, 0xFFFF00, 0xFF00FF};
const Sent kBuiltInRule{kNone, 0xFF0000, kNone};
const Sent kSwitchedOff{kNone, kNone, kNone};

class ChromalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.addPlugin(L"Plug");
    copyFile(joinPath(productDir(), L"Chromal.dll"), host.file(L"Chromal.dll"));
    copyFile(joinPath(testBinDir(), L"FakeShellWindows.dll"), host.file(L"FakeShellWindows.dll"));
    host.writeHookOrder("10 Plug.dll\r\n10 Chromal.dll\r\n");
  }

  void writeRules(const std::string& text) { writeFile(host.file(L"Chromal.conf"), text); }

  // The fixture windows' folders, as the shell would report them.
  void reportFolders(const Fixture& folders) {
    auto entry = [&](std::size_t index, const char* url) {
      return std::to_string(reinterpret_cast<UINT_PTR>(folders.window(index))) + " " + url + "\n";
    };
    writeFile(host.file(L"shell_windows.txt"),
              entry(kUsers, "file:///C:/USERS/Me") + entry(kData, "file:///C:/Data") +
                  entry(kDataSub, "file:///C:/Data/Sub") +
                  entry(kVirtual, "shell:::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"));
  }

  // Starts the host with the fake collection of shell windows in place.
  void startHost() {
    host.start();
    ASSERT_TRUE(host.waitUntilReady());
    ASSERT_TRUE(host.registerFakeShellWindows());
  }

  // Whatever the host had been posted before now has been handled: a command posted after them
  // comes back in the recorder's log.
  void waitForPostedCommands() {
    host.markLog();
    PostMessageW(host.mainWindow(), WM_COMMAND, kRecorderProbe, 0);
    ASSERT_TRUE(waitUntil([&] { return !host.logOfSinceMark("Plug").empty(); }));
  }

  // A window sets its list's text colour as the shell does (wParam 0); returns once whatever the
  // hook posted for it has been handled.
  void shellSetsTextColour(Fixture& folders, std::size_t window) {
    folders.mark();
    PostMessageW(folders.window(window), kSetOwnTextColour, 0, 0x123456);
    ASSERT_TRUE(waitSinceMark(folders, std::to_string(window) + ".list MSG 1024 0 123456"));
    waitForPostedCommands();
    folders.settle();
  }

  void expectUntouched(const Fixture& folders) {
    for (std::size_t other = kOthersFrom; other < kWindows.size(); ++other)
      EXPECT_TRUE(colourLines(folders, other).empty()) << other;
  }

  HostRun host;
};

TEST_F(ChromalTest, ColoursEachFolderByItsRuleAtStartAndOnReload) {
  writeRules(kRules);
  Fixture folders(L"folders", kWindows);
  ASSERT_TRUE(folders.ready());
  reportFolders(folders);
  folders.mark();
  startHost();

  // At start the shell's collection is not registered yet: every folder has the fallback.
  ASSERT_TRUE(waitSinceMark(folders, "4.list MSG 1026"));
  EXPECT_EQ(colourLines(folders, kDesktop), chromalSequence(kDesktop, kDesktopRule, false));
  for (std::size_t folder : {kUsers, kData, kDataSub, kVirtual})
    EXPECT_EQ(colourLines(folders, folder), chromalSequence(folder, kFallbackRule, true)) << folder;
  expectUntouched(folders);

  folders.mark();
  host.command(kReload);
  folders.settle();
  EXPECT_EQ(colourLines(folders, kDesktop), chromalSequence(kDesktop, kDesktopRule, false));
  EXPECT_EQ(colourLines(folders, kUsers), chromalSequence(kUsers, kUsersRule, true))
      << "the first match, case ignored";
  EXPECT_EQ(colourLines(folders, kData), chromalSequence(kData, kDataRule, true));
  EXPECT_EQ(colourLines(folders, kDataSub), chromalSequence(kDataSub, kFallbackRule, true))
      << "no final * leaves the subfolders out";
  EXPECT_EQ(colourLines(folders, kVirtual), chromalSequence(kVirtual, kFallbackRule, true))
      << "a folder without a file-system path";
  expectUntouched(folders);
  EXPECT_EQ(listTextColour(folders.window(kUsers)), 0x0000FFu);
  EXPECT_EQ(listTextColour(folders.window(kData)), kNone);

  // An edited file counts at the next "Reload Settings".
  std::string edited = kRules;
  edited.replace(edited.find("1 FF0000 2"), 10, "1 00FF00 2");
  writeRules(edited);
  host.command(kReload);
  EXPECT_EQ(listTextColour(folders.window(kUsers)), 0x00FF00u);
  EXPECT_TRUE(host.noMessageBox());
}

TEST_F(ChromalTest, ShellColourComesBackOnlyFromTheHookAndOnlyWhileInUse) {
  writeRules(kRules);
  Fixture folders(L"folders", kWindows);
  ASSERT_TRUE(folders.ready());
  reportFolders(folders);
  startHost();
  host.command(kReload);

  shellSetsTextColour(folders, kUsers);
  std::vector<std::string> expected = {line(kUsers, "list", LVM_SETTEXTCOLOR, 0, 0x123456)};
  for (const std::string& entry : chromalSequence(kUsers, kUsersRule, true))
    expected.push_back(entry);
  // Chromal's own messages bring no second refresh.
  EXPECT_EQ(colourLines(folders, kUsers), expected);
  EXPECT_EQ(listTextColour(folders.window(kUsers)), 0x0000FFu);
  EXPECT_TRUE(colourLines(folders, kData).empty());

  // The same in a window of another class is left alone.
  shellSetsTextColour(folders, 7);
  EXPECT_EQ(colourLines(folders, 7).size(), 1u);

  // The refresh command from anyone else: only for a folder window or the desktop that exists.
  HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  folders.mark();
  for (HWND forged :
       {folders.window(7), folders.window(5), listOf(folders.window(kUsers)), gone, HWND(nullptr)})
    PostMessageW(host.mainWindow(), WM_COMMAND, kRefresh, reinterpret_cast<LPARAM>(forged));
  waitForPostedCommands();
  folders.settle();
  for (std::size_t window = 0; window < kWindows.size(); ++window)
    EXPECT_TRUE(colourLines(folders, window).empty()) << window;
  PostMessageW(host.mainWindow(), WM_COMMAND, kRefresh,
               reinterpret_cast<LPARAM>(folders.window(kData)));
  waitForPostedCommands();
  folders.settle();
  EXPECT_EQ(colourLines(folders, kData), chromalSequence(kData, kDataRule, true));

  // Switched off, every view is sent no colour, and the shell's own colour stays.
  folders.mark();
  host.command(kToggleUse);
  folders.settle();
  EXPECT_EQ(colourLines(folders, kDesktop), chromalSequence(kDesktop, kSwitchedOff, false));
  for (std::size_t folder : {kUsers, kData, kDataSub, kVirtual})
    EXPECT_EQ(colourLines(folders, folder), chromalSequence(folder, kSwitchedOff, true)) << folder;
  expectUntouched(folders);
  shellSetsTextColour(folders, kUsers);
  EXPECT_EQ(colourLines(folders, kUsers).size(), 1u);
  EXPECT_EQ(listTextColour(folders.window(kUsers)), 0x123456u);
}

TEST_F(ChromalTest, MissingFileWarnsAtStartOnSwitchingOnAndAtEveryReload) {
  Fixture folders(L"folders", {kWindows[kUsers]});
  ASSERT_TRUE(folders.ready());
  folders.mark();
  auto expectWarning = [&](const char* when) {
    std::optional<HostRun::Box> box = host.nextMessageBox();
    ASSERT_TRUE(box) << when;
    EXPECT_EQ(box->text, L"Failed to open Chromal.conf.") << when;
    EXPECT_EQ(box->caption, L"Chromal") << when;
    EXPECT_TRUE(box->hasIcon) << when;
    // Then the built-in rule: blue text on a transparent background, for every folder.
    EXPECT_TRUE(waitSinceMark(folders, "0.list MSG 1026 29A FFFFFFFF")) << when;
    folders.settle();
    EXPECT_EQ(colourLines(folders, 0), chromalSequence(0, kBuiltInRule, true)) << when;
  };
  host.start();
  expectWarning("start");
  ASSERT_TRUE(host.waitUntilReady());

  folders.mark();
  PostMessageW(host.mainWindow(), WM_COMMAND, kReload, 0);
  expectWarning("reload");

  host.command(kToggleUse);
  folders.mark();
  PostMessageW(host.mainWindow(), WM_COMMAND, kToggleUse, 0);
  expectWarning("switching on");
}

TEST_F(ChromalTest, HungFolderWindowIsGivenUpAndTheOthersAreStillColoured) {
  writeRules(kRules);
  // The hung window is made last, so that it is in front and coloured first.
  Fixture responsive(L"responsive", {kWindows[kData]});
  ASSERT_TRUE(responsive.ready());
  Fixture hung(L"hung", {kWindows[kUsers]});
  ASSERT_TRUE(hung.ready());
  startHost();

  hung.mark();
  responsive.mark();
  constexpr unsigned kHangMs = 8000;
  PostMessageW(hung.window(0), kHang, kHangMs, 0);
  ASSERT_TRUE(waitSinceMark(hung, "0 HANG"));
  PostMessageW(host.mainWindow(), WM_COMMAND, kReload, 0);
  // Both colourings are over and the host's message loop runs again (a thread waiting in a send
  // still answers sent messages, so only a posted one shows that), while the window still sleeps.
  ASSERT_TRUE(waitSinceMark(responsive, "0.list MSG 1026 29A"));
  waitForPostedCommands();
  EXPECT_FALSE(hung.sawSinceMark("0 AWAKE")) << "the host waited for the hung window";
  EXPECT_EQ(colourLines(responsive, 0), chromalSequence(0, kFallbackRule, true));

  // Once awake, the window has at most the message that was waiting: the rest were skipped.
  ASSERT_TRUE(hung.waitForLine("0 AWAKE", std::chrono::milliseconds(kHangMs + 10000)));
  hung.settle();
  EXPECT_LE(colourLines(hung, 0).size(), 1u);
}

TEST_F(ChromalTest, ItemsViewWindowsHaveTheTreeOfTheShownTabColouredAlone) {
  writeRules(kRules);
  Fixture folders(L"folders", {L"320,10,300,180:class=CabinetWClass:items:tabs=2:tree"});
  ASSERT_TRUE(folders.ready());
  writeFile(
      host.file(L"shell_windows.txt"),
      std::to_string(reinterpret_cast<UINT_PTR>(folders.window(0))) + " file:///C:/USERS/Me\n");
  startHost();
  folders.mark();
  host.command(kReload);
  folders.settle();
  // The list's messages are not sent; the hidden tab's tree ("0.hiddentree") gets nothing.
  std::vector<std::string> expected;
  for (const std::string& entry : chromalSequence(0, kUsersRule, true))
    if (entry.find(".tree ") != std::string::npos) expected.push_back(entry);
  EXPECT_EQ(colourLines(folders, 0), expected);
}

TEST_F(ChromalTest, PaintSampleDrawsOneLinePerRuleAtX100) {
  // Text background colours that nothing else on the screen shows.
  writeRules(
      "1 000000 1 FF00FF 0 FFFFFF first\r\n"
      "1 000000 1 00FFFF 0 FFFFFF second\r\n");
  startHost();
  host.command(kPaintSample);
  std::optional<RECT> first = boundsOnScreen(255, 0, 255);
  std::optional<RECT> second = boundsOnScreen(0, 255, 255);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->left, 100);
  EXPECT_EQ(first->top, 0);
  EXPECT_EQ(second->left, 100);
  // Each line is two pixels lower than the one before is high.
  EXPECT_EQ(second->top, first->bottom + 2);
  EXPECT_EQ(second->bottom - second->top, first->bottom - first->top);
}

TEST_F(ChromalTest, FolderWindowOfALaterProgramIsHookedAndColouredAndNoOtherProgramIs) {
  writeRules(kRules);
  startHost();
  Fixture later(L"later", {kWindows[kUsers]});
  Fixture others(L"others", {kWindows[5], kWindows[7]});
  ASSERT_TRUE(later.ready() && others.ready());
  // Its folder is not reported: the fallback rule.
  EXPECT_TRUE(waitUntil([&] {
    return listTextColour(later.window(0)) == kFallbackRule.text &&
           static_cast<unsigned>(SendMessageW(listOf(later.window(0)), LVM_GETTEXTBKCOLOR, 0, 0)) ==
               kFallbackRule.textBack;
  }));
  shellSetsTextColour(later, 0);
  EXPECT_EQ(listTextColour(later.window(0)), kFallbackRule.text) << "the shell's colour stayed";

  shellSetsTextColour(others, 1);
  EXPECT_EQ(colourLines(others, 1).size(), 1u);
  EXPECT_TRUE(hasLoaded(later.processId(), L"Chromal.dll"));
  EXPECT_FALSE(hasLoaded(others.processId(), L"Chromal.dll"));
}

TEST_F(ChromalTest, SwitchingOffAndQuittingLeaveNoHookBehind) {
  writeRules(kRules);
  Fixture folders(L"folders", {kWindows[kUsers]});
  ASSERT_TRUE(folders.ready());
  startHost();
  HMODULE library = LoadLibraryW(host.file(L"Chromal.dll").c_str());
  auto* shared =
      library != nullptr ? static_cast<ChromalShared*>(sharedSectionOf(library)) : nullptr;
  ASSERT_NE(shared, nullptr);
  HWND probe = createHostLikeWindow();
  // A hook left in the folder window's program, told it is in use whatever the host says, reports
  // the program's own colour to this test, which TOV's session block names as TOV for the while.
  auto hooked = [&] {
    ChromalShared saved = *shared;
    SessionBlockOverride block(probe, L"Chromal", commandBase(1));
    shared->inUse = true;
    hostLikeCommands = 0;
    folders.mark();
    PostMessageW(folders.window(0), kSetOwnTextColour, 0, 0x123456);
    EXPECT_TRUE(waitSinceMark(folders, "0.list MSG 1024 0 123456"));
    MSG message;
    while (PeekMessageW(&message, probe, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    shared->inUse = saved.inUse;
    return hostLikeCommands > 0;
  };
  EXPECT_TRUE(hooked()) << "in use";
  host.command(kToggleUse);
  EXPECT_FALSE(hooked()) << "switched off";
  host.command(kToggleUse);
  EXPECT_TRUE(hooked()) << "switched on again";
  ASSERT_TRUE(host.quit());
  EXPECT_FALSE(hooked()) << "quit";
  DestroyWindow(probe);
  FreeLibrary(library);
}

}  // namespace
}  // namespace tov::test
