// HookOrder.ini read and written by TOV.exe: the messages of bad lines in order, the flags and
// memberships that loading gives, and the bytes a save leaves in the file.
#include <gtest/gtest.h>

#include <algorithm>

#include "host_support.h"

namespace tov::test {
namespace {

class HookOrder : public ::testing::Test {
 protected:
  bool noTemporaryFiles() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(host.file(L"*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    FindClose(search);
    return false;
  }

  HostRun host;
};

TEST_F(HookOrder, TheEdgeCasesOfTheFormat) {
  for (const wchar_t* name : {L"Transparent", L"Topmost", L"Minimize", L"ShufflaXP"}) {
    host.addPlugin(name);
  }
  const std::string file =
      "11 Transparent.dll\r\n"
      "1 Topmost.dll\r\n"
      "10aB Minimize.dll\r\n"
      "A=\r\n"
      "a=Work\r\n"
      "ShufflaXP.dll\r\n"
      "; Transparent\r\n";
  host.writeHookOrder(file);
  host.start();
  host.expectMessageBoxes(
      {{L"Invalid syntax : 1 Topmost.dll", kWarning}, {L"Failed to load a=Work", kWarning}});
  HWND main = host.waitUntilReady();
  ASSERT_TRUE(main);
  EXPECT_TRUE(host.noMessageBox());

  // Flags: only the lines whose flags apply set anything.
  EXPECT_EQ(actions(host.logOf("Transparent")),
            (std::vector<std::string>{"createInstance id=0 host=1", "start -> 1", "setUse 1"}));
  EXPECT_EQ(actions(host.logOf("Topmost")),
            (std::vector<std::string>{"createInstance id=1 host=1", "start -> 1"}));
  EXPECT_EQ(actions(host.logOf("Minimize")),
            (std::vector<std::string>{"createInstance id=2 host=1", "start -> 1", "setUse 1"}));
  EXPECT_EQ(actions(host.logOf("ShufflaXP")),
            (std::vector<std::string>{"createInstance id=3 host=1", "start -> 1"}));
  EXPECT_TRUE(trayIconPresent(main, 1));
  for (UINT id : {2u, 3u, 4u}) EXPECT_FALSE(trayIconPresent(main, id)) << id;

  // Membership: combination A holds no plug-in (Minimize belongs to B only), so choosing it
  // switches every plug-in off.
  host.markLog();
  host.command(kCommandShiftCombination);  // from Custom to A
  for (const char* plugin : {"Transparent", "Topmost", "Minimize", "ShufflaXP"}) {
    EXPECT_EQ(actions(host.logOfSinceMark(plugin)), (std::vector<std::string>{"setUse 0"}))
        << plugin;
  }

  // The save changes the first two characters of the lines it loaded flags from, and nothing
  // else: not the invalid line, not the bare line, not the comment that names a plug-in.
  ASSERT_TRUE(host.quit());
  std::string expected = file;
  expected.replace(0, 2, "01");
  expected.replace(expected.find("10aB"), 2, "00");
  EXPECT_EQ(host.hookOrder(), expected);
  EXPECT_TRUE(noTemporaryFiles());
}

TEST_F(HookOrder, SaveKeepsEveryByteOfOtherLinesAndEndsLinesWithCrLf) {
  host.addPlugin(L"Plug");
  // Bytes that no conversion could round-trip: undefined in the Western code page, a Shift-JIS
  // comment, a lone CR; and a final line without a line end.
  const std::string file =
      "; \x81\x8d\x90\x9d\r\n"
      "; \x93\xfa\x96\x7b\x8c\xea\n"
      "A=Caf\xe9\n"
      "11A Plug.dll\n"
      "; carriage\rreturn\n"
      "; no line end";
  ASSERT_TRUE(host.startWith(file));
  host.pluginCommand(0, kOffsetToggleUse);  // "Is Use": off
  ASSERT_TRUE(host.quit());
  EXPECT_EQ(host.hookOrder(),
            "; \x81\x8d\x90\x9d\r\n"
            "; \x93\xfa\x96\x7b\x8c\xea\r\n"
            "A=Caf\xe9\r\n"
            "01A Plug.dll\r\n"
            "; carriage\rreturn\r\n"
            "; no line end");
}

// The host in a Japanese locale (code page 932): paths, names and messages decoded from
// Shift-JIS, and a save that keeps every byte but the flags.
TEST_F(HookOrder, ShiftJisUnderAJapaneseLocale) {
  std::wstring locales = joinPath(workDir(), L"locales");
  ASSERT_EQ(runUnix("mkdir -p '" + unixPath(locales) + "' && localedef -i ja_JP -f UTF-8 '" +
                        unixPath(locales) + "/ja_JP.UTF-8'",
                    60s),
            0)
      << "the ja_JP locale could not be generated";
  const std::wstring plugin = L"\u8868\u793a";  // 表示: its first trail byte is a backslash
  host.addPlugin(plugin);
  const std::string file =
      "; \x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x52\x83\x81\x83\x93\x83\x67\r\n"  // 日本語のコメント
      "A=\x8d\xec\x8b\xc6\r\n"                                                  // 作業
      "11A \x95\x5c\x8e\xa6.dll\r\n"
      "11\x83\x4f"
      "1 \x95\x5c\x8e\xa6.dll\r\n";  // グ, whose trail byte is an "O"
  host.writeHookOrder(file);
  host.startWithLinuxEnvironment("LANG=ja_JP.UTF-8 LOCPATH='" + unixPath(locales) + "'");
  host.expectMessageBoxes({{L"Invalid syntax : 11\u30b01 " + plugin + L".dll", kWarning}});
  ASSERT_TRUE(host.waitUntilReady());
  EXPECT_EQ(listRowCount(host.listWindow()), 2);
  EXPECT_EQ(listCell(host.listWindow(), 0, 2), plugin);
  host.pluginCommand(0, kOffsetToggleUse);
  ASSERT_TRUE(host.quit());
  std::string expected = file;
  expected.replace(expected.find("11A"), 2, "01");
  EXPECT_EQ(host.hookOrder(), expected);
}

TEST_F(HookOrder, FlagsGoIntoThePluginsOwnLineNotAnotherThatContainsItsName) {
  host.addPlugin(L"Pushup");
  // PushupB is missing: its line fails to load and must keep its flags.
  host.writeHookOrder("11 PushupB.dll\r\n11 Pushup.dll\r\n");
  host.start();
  host.expectMessageBoxes({{L"Failed to load PushupB.dll", kWarning}});
  ASSERT_TRUE(host.waitUntilReady());
  host.pluginCommand(0, kOffsetToggleUse);
  host.pluginCommand(0, kOffsetToggleTrayIcon);
  ASSERT_TRUE(host.quit());
  EXPECT_EQ(host.hookOrder(), "11 PushupB.dll\r\n00 Pushup.dll\r\n");
}

TEST_F(HookOrder, ALongLineIsReadInPiecesAndWrittenBackWhole) {
  host.addPlugin(L"Plug");
  host.addPlugin(L"Tail");
  // The comment is longer than a piece of 259 characters; its second piece reads as a line of
  // its own.
  std::string comment = ";" + std::string(258, 'c') + "10 Tail.dll";
  ASSERT_TRUE(host.startWith(comment + "\n11 Plug.dll\n"));
  EXPECT_EQ(listRowCount(host.listWindow()), 2);
  EXPECT_EQ(listCell(host.listWindow(), 0, 2), L"Tail");
  host.pluginCommand(1, kOffsetToggleUse);  // Plug off
  ASSERT_TRUE(host.quit());
  EXPECT_EQ(host.hookOrder(), comment + "\r\n01 Plug.dll\r\n");
}

TEST_F(HookOrder, MissingFileLeavesTheHostEmptyAndIsNeverCreated) {
  host.start();
  host.expectMessageBoxes({{L"Failed to open HookOrder.ini", kPlain}});
  ASSERT_TRUE(host.waitUntilReady());
  EXPECT_EQ(listRowCount(host.listWindow()), 0);
  PostMessageW(host.mainWindow(), WM_COMMAND, kCommandQuit, 0);
  host.expectMessageBoxes({{L"Failed to open HookOrder.ini as write.", kPlain}});
  EXPECT_TRUE(host.waitForExit());
  EXPECT_FALSE(fileExists(host.file(L"HookOrder.ini")));
}

// What keeps the save from replacing the file: it is read-only, or another program holds it
// open. One that reads it and lets others read it, but not delete or replace it, lets the host
// read it and write the new content beside it, and then not put that in its place.
struct Obstacle {
  const char* name;
  std::string file;
  bool readOnly;  // else held open, with this sharing:
  DWORD share;
};

class SaveBlocked : public HookOrder, public ::testing::WithParamInterface<Obstacle> {};

TEST_P(SaveBlocked, TheFileStaysAsItWas) {
  const Obstacle& obstacle = GetParam();
  const std::wstring path = host.file(L"HookOrder.ini");
  host.addPlugin(L"Plug");
  ASSERT_TRUE(host.startWith(obstacle.file));
  host.pluginCommand(0, kOffsetToggleUse);
  HANDLE held = INVALID_HANDLE_VALUE;
  if (obstacle.readOnly) {
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  } else {
    held = CreateFileW(path.c_str(), GENERIC_READ, obstacle.share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
  }
  PostMessageW(host.mainWindow(), WM_COMMAND, kCommandQuit, 0);
  host.expectMessageBoxes({{L"Failed to open HookOrder.ini as write.", kPlain}});
  EXPECT_TRUE(host.waitForExit());
  if (obstacle.readOnly) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  EXPECT_EQ(host.hookOrder(), obstacle.file);
  EXPECT_TRUE(noTemporaryFiles());
}

INSTANTIATE_TEST_SUITE_P(
    HookOrder, SaveBlocked,
    ::testing::Values(Obstacle{"ReadOnly", "; keep me\n11 Plug.dll\n", true, 0},
                      Obstacle{"HeldForReading", "; keep me\n11 Plug.dll\n", false,
                               FILE_SHARE_READ | FILE_SHARE_WRITE},
                      Obstacle{"HeldExclusively", "11 Plug.dll\r\n", false, 0}),
    [](const ::testing::TestParamInfo<Obstacle>& info) { return info.param.name; });

TEST_F(HookOrder, EndOfSessionCancelledGoesOnEndingSavesAndUnloadsClosingDoesNotSave) {
  host.addPlugin(L"Plug");
  ASSERT_TRUE(host.startWith("11 Plug.dll\r\n"));
  // Agreed to at once, then cancelled by another program: nothing written, the plug-in goes on.
  EXPECT_EQ(host.send(WM_QUERYENDSESSION), TRUE);
  host.send(WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(host.hookOrder(), "11 Plug.dll\r\n");
  host.pluginCommand(0, kOffsetToggleUse);
  host.markLog();
  host.send(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);  // written by the time it returns
  EXPECT_EQ(host.hookOrder(), "01 Plug.dll\r\n");
  EXPECT_EQ(actions(host.logOfSinceMark("Plug")),
            (std::vector<std::string>{"stop", "release", "destroyed id=0", "unloaded"}));
  // The rows stay, but name no plug-in any more: a double click and a refresh do nothing.
  HWND list = host.listWindow();
  EXPECT_EQ(listRowCount(list), 1);
  EXPECT_EQ(listCell(list, 0, 3), L"Not Use");
  POINT row = listRowPoint(list, 0);
  SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.x, row.y));
  host.send(RegisterWindowMessageW(L"TaskbarCreated"));
  EXPECT_EQ(listCell(list, 0, 3), L"Not Use");
  EXPECT_EQ(listCell(list, 0, 2), L"Plug");
  // Nothing left to save, and a close never saves.
  host.writeHookOrder("11 Plug.dll\r\n");
  PostMessageW(host.mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(host.waitForExit());
  EXPECT_EQ(host.hookOrder(), "11 Plug.dll\r\n");
}

TEST_F(HookOrder, TheRestartManagerHasTovSaveAndQuit) {
  host.addPlugin(L"Plug");
  ASSERT_TRUE(host.startWith("11 Plug.dll\r\n"));
  host.pluginCommand(0, kOffsetToggleUse);
  EXPECT_EQ(host.send(WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
  host.send(WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
  EXPECT_EQ(host.hookOrder(), "01 Plug.dll\r\n");
  EXPECT_TRUE(host.waitForExit());
}

TEST_F(HookOrder, AtMostSixtyFourPluginsWithAWarningNamingEachRefusedLine) {
  host.addPlugin(L"Plug");
  std::string file;
  for (int i = 0; i < 64; ++i) file += "10 Plug.dll\r\n";
  file += "11 Plug.dll\r\n; still read\r\nA=After\r\n00A Plug.dll\r\n";
  host.writeHookOrder(file);
  host.start();
  auto first = host.nextMessageBox();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->caption, L"TOV");
  EXPECT_TRUE(first->hasIcon);
  EXPECT_NE(first->text.find(L"11 Plug.dll"), std::wstring::npos) << narrow(first->text);
  EXPECT_NE(first->text.find(L"64"), std::wstring::npos) << narrow(first->text);
  auto second = host.nextMessageBox();
  ASSERT_TRUE(second);
  EXPECT_NE(second->text.find(L"00A Plug.dll"), std::wstring::npos) << narrow(second->text);
  ASSERT_TRUE(host.waitUntilReady());
  EXPECT_TRUE(host.noMessageBox());

  std::vector<std::string> log = host.logOf("Plug");
  EXPECT_EQ(
      std::count_if(log.begin(), log.end(),
                    [](const std::string& line) { return line.rfind("createInstance", 0) == 0; }),
      64);
  EXPECT_EQ(listRowCount(host.listWindow()), 64);
  // The last plug-in still gets its own commands.
  host.markLog();
  host.pluginCommand(63, kFirstPluginOffset);
  EXPECT_EQ(actions(host.logOfSinceMark("Plug")), (std::vector<std::string>{"onCommand 4 0"}));
  // The definition after the refused line was read: shifting reaches A, which holds none of the
  // loaded plug-ins.
  host.markLog();
  host.command(kCommandShiftCombination);
  std::vector<std::string> shifted = actions(host.logOfSinceMark("Plug"));
  EXPECT_EQ(std::count(shifted.begin(), shifted.end(), "setUse 0"), 64);
}

}  // namespace
}  // namespace tov::test
