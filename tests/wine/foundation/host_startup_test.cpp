// TOV.exe started as a user starts it: single instance, hidden by default, placement kept in
// TOV.ini beside the files it is started among.
#include <gtest/gtest.h>

#include "core/single_instance.h"
#include "folder_claim.h"
#include "harness.h"
#include "settings.h"

namespace tov::test {
namespace {

class HostStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = freshFolder(widen(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    // No plug-ins, and no message box about a missing plug-in list.
    writeFile(file(L"HookOrder.ini"), "; no plug-ins\r\n");
  }
  // Ends every host of this test; the next test may not find a running instance.
  void TearDown() override {
    for (Process* p : {&first_, &second_}) p->terminate();
  }

  Process startHost(const std::wstring& arguments = L"") {
    return Process::start(joinPath(productDir(), L"TOV.exe"), arguments, folder_);
  }
  HWND mainWindowOf(const Process& host) { return waitForWindowOfClass(L"TOV", host.id()); }
  void closeAndWait(Process& host, HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(host.waitForExit(), std::optional<DWORD>(0));
  }
  std::wstring file(const wchar_t* name) { return joinPath(folder_, name); }

  std::wstring folder_;
  Process first_;
  Process second_;
};

TEST_F(HostStartup, WithoutOptionsTheWindowExistsButStaysHidden) {
  first_ = startHost();
  HWND window = mainWindowOf(first_);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(windowText(window), L"TOV");
  pumpMessages(300ms);
  EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(HostStartup, OptionWShowsTheWindowAtTheDefaultPlacement) {
  first_ = startHost(L"/w");
  HWND window = mainWindowOf(first_);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(window) != FALSE; }));
  auto info = describe(window);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->title, L"TOV");
  EXPECT_TRUE(info->style & WS_CAPTION);
  EXPECT_TRUE(info->exStyle & WS_EX_APPWINDOW);
  EXPECT_EQ(info->owner, nullptr);
  EXPECT_EQ(info->rect.left, 100);
  EXPECT_EQ(info->rect.top, 100);
  EXPECT_EQ(info->rect.right - info->rect.left, 400);
  EXPECT_EQ(info->rect.bottom - info->rect.top, 300);
  EXPECT_FALSE(fileExists(file(L"TOV.ini"))) << "opening never writes the settings";
}

TEST_F(HostStartup, SecondStartWakesTheFirstAndEndsAtOnce) {
  first_ = startHost(L"/hide");
  HWND window = mainWindowOf(first_);
  ASSERT_NE(window, nullptr);
  second_ = startHost(L"/w");
  EXPECT_EQ(second_.waitForExit(5s), std::optional<DWORD>(0));
  EXPECT_TRUE(first_.running());
  EXPECT_EQ(mainWindowOf(first_), window);
  // Only one main window: the second never created its own.
  int mainWindows = 0;
  for (const WindowInfo& info : topLevelWindows()) mainWindows += info.className == L"TOV";
  EXPECT_EQ(mainWindows, 1);
}

// TOV from the same folder in another session, whose claim this test makes in its place: the
// libraries' shared sections would serve both, so the second says so and ends.
TEST_F(HostStartup, SecondStartFromTheSameFolderInAnotherSessionSaysSoAndEnds) {
  HANDLE claim = CreateMutexW(nullptr, FALSE, folderClaimNameOf(productDir()).value().c_str());
  first_ = startHost();
  auto box = waitForMessageBox(first_.id());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption + L": " + box->text, std::wstring(L"TOV: ") + kFolderClaimedMessage);
  dismissMessageBox(box->window);
  EXPECT_EQ(first_.waitForExit(), std::optional<DWORD>(0));
  CloseHandle(claim);
}

TEST_F(HostStartup, MinimisingHidesTheWindow) {
  first_ = startHost(L"/w");
  HWND window = mainWindowOf(first_);
  ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(window) != FALSE; }));
  PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(window) == FALSE; }));
  EXPECT_TRUE(IsIconic(window));
}

TEST_F(HostStartup, ClosingStoresTheRestoredRectangleEvenWhenHidden) {
  first_ = startHost(L"/w");
  HWND window = mainWindowOf(first_);
  ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(window) != FALSE; }));
  SetWindowPos(window, nullptr, 210, 160, 520, 330, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(waitUntil([&] {
    RECT r{};
    GetWindowRect(window, &r);
    return r.left == 210 && r.right - r.left == 520;
  }));
  PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);  // minimised, and so hidden
  ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(window) == FALSE; }));
  closeAndWait(first_, window);

  std::string ini = readFile(file(L"TOV.ini"));
  EXPECT_NE(ini.find("[main]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("left=210"), std::string::npos) << ini;
  EXPECT_NE(ini.find("top=160"), std::string::npos) << ini;
  EXPECT_NE(ini.find("width=520"), std::string::npos) << ini;
  EXPECT_NE(ini.find("height=330"), std::string::npos) << ini;

  // And the next start opens there.
  first_ = startHost(L"/w");
  window = mainWindowOf(first_);
  ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(window) != FALSE; }));
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, 210);
  EXPECT_EQ(r.top, 160);
  EXPECT_EQ(r.right - r.left, 520);
  EXPECT_EQ(r.bottom - r.top, 330);
}

TEST_F(HostStartup, StoredValuesReadAsTheRuntimeConversionReadsThem) {
  ASSERT_TRUE(
      writeFile(file(L"TOV.ini"), "[main]\r\nleft=abc\r\ntop=-20\r\nwidth=450\r\nheight=310\r\n"));
  first_ = startHost(L"/w");
  HWND window = mainWindowOf(first_);
  ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(window) != FALSE; }));
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, -20);
  EXPECT_EQ(r.right - r.left, 450);
  EXPECT_EQ(r.bottom - r.top, 310);
}

TEST_F(HostStartup, ProgramCarriesItsResources) {
  HMODULE image = LoadLibraryExW(joinPath(productDir(), L"TOV.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);
  for (int icon : {100, 200, 201}) {
    EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(icon), RT_GROUP_ICON), nullptr) << icon;
  }
  EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);
  wchar_t text[256] = {};
  EXPECT_GT(LoadStringW(image, 2000, text, 256), 0);
  EXPECT_EQ(std::wstring(text).rfind(L"Ver.", 0), 0u) << narrow(text);
  FreeLibrary(image);
}

// The settings functions as plug-ins reach them through the host.
class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = freshFolder(L"settings");
    SetCurrentDirectoryW(folder_.c_str());
  }
  void TearDown() override { SetCurrentDirectoryW(workDir().c_str()); }
  std::wstring folder_;
};

TEST_F(Settings, WrittenValuesReadBackAndMissingOnesGiveTheDefault) {
  EXPECT_EQ(tov::readSettingInt(L"Plug", L"sec", L"key", 77), 77);
  EXPECT_TRUE(tov::writeSettingInt(L"Plug", L"sec", L"key", -5));
  EXPECT_EQ(tov::readSettingInt(L"Plug", L"sec", L"key", 77), -5);
  EXPECT_EQ(tov::readSettingInt(L"Plug", L"sec", L"other", 77), 77);
  EXPECT_TRUE(fileExists(joinPath(folder_, L"Plug.ini")));
}

TEST_F(Settings, OverlongBaseNameIsRefusedNotCut) {
  std::wstring longBase(300, L'b');
  EXPECT_FALSE(tov::writeSettingInt(longBase.c_str(), L"sec", L"key", 1));
  EXPECT_EQ(tov::readSettingInt(longBase.c_str(), L"sec", L"key", 9), 9);
  // Nothing was written under a cut name either.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(joinPath(folder_, L"*.ini").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

}  // namespace
}  // namespace tov::test
