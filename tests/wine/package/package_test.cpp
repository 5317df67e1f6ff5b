// The x64 product as a user gets it: the zip unpacked and started where it lies, and the installer
// run silently in the test prefix: a fresh install, an upgrade while TOV runs, the uninstaller.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <optional>
#include <sstream>
#include <utility>

#include "host_support.h"
#include "plugin_support.h"

namespace tov::test {
namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TOV";
// What the user owns once installed: kept by upgrades and by the uninstaller.
const std::vector<std::wstring> kUserFiles = {L"HookOrder.ini", L"Chromal.conf",
                                              L"DesktopPushdownCommand.ini", L"TOV.ini"};
constexpr Duration kInstallerWait = 120s;

std::wstring packageFile(const char* variable) {
  const char* value = std::getenv(variable);
  std::wstring path = value != nullptr ? L"Z:" + widen(value) : L"";
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::wstring knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring result;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
  CoTaskMemFree(path);
  return result;
}

std::wstring installDir() {
  return joinPath(joinPath(knownFolder(FOLDERID_LocalAppData), L"Programs"), L"TOV");
}
std::wstring startMenuShortcut() { return joinPath(knownFolder(FOLDERID_Programs), L"TOV.lnk"); }
std::wstring guideShortcut() { return joinPath(knownFolder(FOLDERID_Programs), L"TOV guide.lnk"); }
std::wstring startupShortcut() { return joinPath(knownFolder(FOLDERID_Startup), L"TOV.lnk"); }

std::wstring lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

struct Shortcut {
  std::wstring target;
  std::wstring workingFolder;
};

std::optional<Shortcut> readShortcut(const std::wstring& path) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return std::nullopt;
  }
  std::optional<Shortcut> result;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t target[MAX_PATH] = L"";
    wchar_t folder[MAX_PATH] = L"";
    if (SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
        SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH))) {
      result = Shortcut{target, folder};
    }
    file->Release();
  }
  link->Release();
  return result;
}

std::optional<std::wstring> uninstallValue(const wchar_t* name) {
  wchar_t value[1024];
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value);
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    result.push_back(line);
  }
  return result;
}

// The display names of the libraries a hook order file puts in use, in its order.
std::vector<std::wstring> librariesInUse(const std::string& hookOrder) {
  std::vector<std::wstring> names;
  for (const std::string& line : lines(hookOrder)) {
    std::size_t space = line.find(' ');
    bool definition = line.size() > 1 && line[0] >= 'A' && line[0] <= 'Z' && line[1] == '=';
    if (line.empty() || line[0] == ';' || definition || space == std::string::npos ||
        line[0] == '0') {
      continue;
    }
    std::string library = line.substr(space + 1);
    names.push_back(widen(library.substr(0, library.rfind(".dll"))));
  }
  return names;
}

// The names of the files in the zip, without the folder TOV/.
std::vector<std::wstring> zipFiles() {
  std::wstring listing = joinPath(workDir(), L"zip-files.txt");
  runUnix("unzip -Z1 '" + unixPath(packageFile("TOV_PACKAGE_ZIP")) + "' > '" + unixPath(listing) +
          "'");
  std::vector<std::wstring> names;
  for (const std::string& line : lines(readFile(listing))) {
    if (line.rfind("TOV/", 0) == 0) names.push_back(widen(line.substr(4)));
  }
  return names;
}

// The list window's names of a started host's plug-ins in use.
std::vector<std::wstring> pluginsListedInUse(HostRun& host) {
  std::vector<std::wstring> names;
  HWND list = host.listWindow();
  for (int row = 0; row < listRowCount(list); ++row) {
    if (listCell(list, row, 3) == L"Use") names.push_back(listCell(list, row, 2));
  }
  return names;
}

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

TEST(Package, UnpackedZipStartsWithOneTrayIconItsPluginsInUseAndOneNotificationOnce) {
  std::wstring folder = freshFolder(L"unpacked");
  ASSERT_EQ(runUnix("unzip -q '" + unixPath(packageFile("TOV_PACKAGE_ZIP")) + "' -d '" +
                        unixPath(folder) + "'",
                    30s),
            0);
  HostRun host(joinPath(folder, L"TOV"));
  std::vector<std::wstring> expected = librariesInUse(host.hookOrder());
  ASSERT_FALSE(expected.empty());
  host.start();
  ASSERT_NE(host.waitUntilReady(), nullptr) << "a message box at start-up holds it up";
  EXPECT_TRUE(host.noMessageBox());
  EXPECT_EQ(pluginsListedInUse(host), expected);
  // The screen as the user sees it once the bar has drawn everything: TOV's own icon alone.
  int shown = -1;
  int previous = -2;
  waitUntil([&] { return (previous = std::exchange(shown, trayIconsOnScreen())) == shown; });
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(trayIconPresent(host.mainWindow(), 0)) << "TOV's own";
  EXPECT_TRUE(waitUntil(notificationShown)) << "the first start says so";
  EXPECT_TRUE(host.quit());
  ASSERT_TRUE(waitUntil([] { return !notificationShown(); }));
  // The next start is quiet: Wine shows a notification two seconds after it was asked for.
  host.start();
  ASSERT_NE(host.waitUntilReady(), nullptr);
  EXPECT_FALSE(waitUntil(notificationShown, 4s));
  EXPECT_TRUE(host.quit());
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fileExists(setup_)) << narrow(setup_);
    removeEverything();
  }
  void TearDown() override { removeEverything(); }

  // The installer's exit code, or -1 when it did not end in time.
  static int install(const std::wstring& arguments) {
    Process installer = Process::start(packageFile("TOV_PACKAGE_SETUP"), arguments);
    std::optional<DWORD> code = installer.waitForExit(kInstallerWait);
    return code ? static_cast<int>(*code) : -1;
  }

  // Runs the uninstaller (which goes on from a copy of itself) until the program is gone.
  static bool uninstall() {
    Process uninstaller = Process::start(joinPath(dir_, L"Uninstall.exe"), L"/S");
    return uninstaller.started() && waitUntil(
                                        [] {
                                          return !fileExists(joinPath(dir_, L"Uninstall.exe")) &&
                                                 !uninstallValue(L"DisplayName").has_value();
                                        },
                                        kInstallerWait);
  }

  // Whatever an earlier run left in the prefix.
  static void removeEverything() {
    if (fileExists(joinPath(dir_, L"Uninstall.exe"))) uninstall();
    for (const std::wstring& name : kUserFiles) DeleteFileW(joinPath(dir_, name).c_str());
    RemoveDirectoryW(dir_.c_str());
    DeleteFileW(startMenuShortcut().c_str());
    DeleteFileW(guideShortcut().c_str());
    DeleteFileW(startupShortcut().c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
  }

  static void expectShortcut(const std::wstring& path, const std::wstring& target = L"TOV.exe") {
    std::optional<Shortcut> shortcut = readShortcut(path);
    ASSERT_TRUE(shortcut.has_value()) << narrow(path);
    EXPECT_EQ(lower(shortcut->target), lower(joinPath(dir_, target)));
    EXPECT_EQ(lower(shortcut->workingFolder), lower(dir_)) << "TOV reads its files from there";
  }

  ComApartment com_;
  std::wstring setup_ = packageFile("TOV_PACKAGE_SETUP");
  static inline std::wstring dir_ = installDir();
};

TEST_F(InstallerTest, SilentInstallGivesTheFilesShortcutAndUninstallEntry) {
  ASSERT_EQ(install(L"/S"), 0);
  std::vector<std::wstring> files = zipFiles();
  ASSERT_FALSE(files.empty());
  for (const std::wstring& name : files)
    EXPECT_TRUE(fileExists(joinPath(dir_, name))) << narrow(name);
  expectShortcut(startMenuShortcut());
  expectShortcut(guideShortcut(), L"guide.html");
  EXPECT_FALSE(fileExists(startupShortcut())) << "only when chosen";
  EXPECT_EQ(uninstallValue(L"DisplayName"), L"TOV");
  EXPECT_EQ(uninstallValue(L"InstallLocation").value_or(L""), dir_);
  EXPECT_EQ(uninstallValue(L"UninstallString").value_or(L""),
            L"\"" + joinPath(dir_, L"Uninstall.exe") + L"\"");

  HostRun host(dir_);
  host.start();
  ASSERT_NE(host.waitUntilReady(), nullptr);
  EXPECT_TRUE(host.noMessageBox());
  EXPECT_EQ(pluginsListedInUse(host), librariesInUse(host.hookOrder()));
  EXPECT_TRUE(host.quit());

  // Chosen on the command line, as the component is on the page.
  ASSERT_EQ(install(L"/S /STARTUP"), 0);
  expectShortcut(startupShortcut());
  // An upgrade without the switch keeps the choice; /NOSTARTUP takes it back.
  ASSERT_EQ(install(L"/S"), 0);
  EXPECT_TRUE(fileExists(startupShortcut()));
  ASSERT_EQ(install(L"/S /NOSTARTUP"), 0);
  EXPECT_FALSE(fileExists(startupShortcut()));
}

TEST_F(InstallerTest, UpgradeWhileTovRunsQuitsItAndKeepsTheUsersFiles) {
  ASSERT_EQ(install(L"/S"), 0);
  HostRun host(dir_);
  const std::string firstInstalled = host.hookOrder();
  const std::string myLine = "; my own line, kept by upgrades";
  writeFile(joinPath(dir_, L"Chromal.conf"), "my colours\r\n");
  writeFile(joinPath(dir_, L"README.txt"), "");
  ASSERT_NE(host.startWith(firstInstalled + myLine + "\r\n"), nullptr);
  ASSERT_EQ(listCell(host.listWindow(), 0, 3), L"Use");
  host.pluginCommand(0, kOffsetToggleUse);  // the first plug-in's "Is Use": off
  ASSERT_TRUE(waitUntil([&] { return listCell(host.listWindow(), 0, 3) == L"Not Use"; }));

  ASSERT_EQ(install(L"/S"), 0);
  EXPECT_TRUE(host.waitForExit(0ms)) << "asked to quit and waited for";
  std::vector<std::string> hookOrder = lines(host.hookOrder());
  EXPECT_NE(std::find(hookOrder.begin(), hookOrder.end(), myLine), hookOrder.end());
  std::wstring first = librariesInUse(firstInstalled).front();
  auto firstLine = std::find_if(hookOrder.begin(), hookOrder.end(), [&](const std::string& line) {
    return line.find(' ' + narrow(first) + ".dll") != std::string::npos;
  });
  ASSERT_NE(firstLine, hookOrder.end());
  EXPECT_EQ(firstLine->substr(0, 2), "00") << "its flags were written back on quitting";
  EXPECT_EQ(readFile(joinPath(dir_, L"Chromal.conf")), "my colours\r\n");
  EXPECT_TRUE(fileExists(joinPath(dir_, L"TOV.ini"))) << "written when it closed";
  EXPECT_FALSE(readFile(joinPath(dir_, L"README.txt")).empty()) << "program files are replaced";
}

TEST_F(InstallerTest, TovThatDoesNotQuitStopsTheUpgradeBeforeAnyFileIsReplaced) {
  ASSERT_EQ(install(L"/S"), 0);
  writeFile(joinPath(dir_, L"README.txt"), "");
  // A window of TOV's class that takes no notice of "&Quit", as a hung TOV would.
  Fixture deaf(L"deaf", {L"40,40,300,200:class=TOV"});
  ASSERT_TRUE(deaf.ready());
  EXPECT_NE(install(L"/S"), 0) << "gives up after its wait";
  EXPECT_TRUE(deaf.process().running());
  EXPECT_TRUE(readFile(joinPath(dir_, L"README.txt")).empty()) << "nothing was replaced";
}

TEST_F(InstallerTest, UninstallerQuitsTovRemovesTheProgramAndShortcutsKeepsTheUsersFiles) {
  ASSERT_EQ(install(L"/S /STARTUP"), 0);
  std::vector<std::wstring> files = zipFiles();
  HostRun host(dir_);
  host.start();
  ASSERT_NE(host.waitUntilReady(), nullptr);

  ASSERT_TRUE(uninstall());
  EXPECT_TRUE(host.waitForExit());
  for (const std::wstring& name : files) {
    bool usersFile = std::find(kUserFiles.begin(), kUserFiles.end(), name) != kUserFiles.end();
    EXPECT_EQ(fileExists(joinPath(dir_, name)), usersFile) << narrow(name);
  }
  EXPECT_TRUE(fileExists(joinPath(dir_, L"TOV.ini")));
  EXPECT_FALSE(fileExists(startMenuShortcut()));
  EXPECT_FALSE(fileExists(guideShortcut()));
  EXPECT_FALSE(fileExists(startupShortcut()));
  EXPECT_FALSE(uninstallValue(L"DisplayName").has_value());
}

}  // namespace
}  // namespace tov::test
