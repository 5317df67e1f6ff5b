// What TOV's libraries leave to the programs they come into, and what TOV's own threads never
// wait for: TOV.exe running with product libraries, and fixture programs beside it.
#include <windows.h>
//
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include "host_support.h"
#include "plugin_support.h"

namespace tov::test {
namespace {

// The host with these product libraries copied beside it, in use, in this order.
void startHostWith(HostRun& host, const std::vector<std::wstring>& libraries) {
  std::string hookOrder;
  for (const std::wstring& name : libraries) {
    ASSERT_TRUE(copyFile(productLibrary((name + L".dll").c_str()), host.file(name + L".dll")));
    hookOrder += "10 " + narrow(name) + ".dll\r\n";
  }
  ASSERT_TRUE(writeFile(host.file(L"Chromal.conf"), kChromalTestRules));
  ASSERT_TRUE(host.startWith(hookOrder));
}

// Whether every library of `names` is loaded in the process.
bool allLoaded(DWORD processId, std::vector<std::wstring> names) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  MODULEENTRY32W module{};
  module.dwSize = sizeof module;
  for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module))
    std::erase_if(names, [&](auto& name) {
      return lstrcmpiW((name + L".dll").c_str(), module.szModule) == 0;
    });
  CloseHandle(snapshot);
  return names.empty();
}

// A program under a German locale, reached by the hooks of every library that reaches ordinary
// windows, and through its folder window by those of the plug-ins for folder windows (Shuffla's
// reach only the taskbar): its own C runtime still prints and reads 1.5 with a point, so none of
// them changed its locale.
TEST(OtherPrograms, KeepTheirOwnCRuntimeLocale) {
  const std::vector<std::wstring> libraries = {
      L"Transparent", L"Fadeon", L"Topmost",  L"Minimize", L"Arrowin", L"Pushup",  L"PushupB",
      L"Crevo",       L"Colfit", L"ColfitXP", L"Widex",    L"WidexXP", L"Pushdown"};
  HostRun host;
  startHostWith(host, libraries);
  std::wstring locales = joinPath(workDir(), L"locales");
  ASSERT_EQ(runUnix("mkdir -p '" + unixPath(locales) + "' && localedef -i de_DE -f UTF-8 '" +
                        unixPath(locales) + "/de_DE.UTF-8'",
                    60s),
            0)
      << "the de_DE locale could not be generated";
  Fixture german(L"german", {L"300,200,400,300", L"750,200,300,200:class=CabinetWClass"}, false,
                 "LANG=de_DE.UTF-8 LOCPATH='" + unixPath(locales) + "'");
  ASSERT_TRUE(german.ready());
  // Made after the hooks: its windows' creation brought the shell and message hooks; the mouse
  // and a key bring the rest.
  clickAt(*hitTestPoint(german.window(0), HTCLIENT), 1);
  xdotool("key shift");
  EXPECT_TRUE(waitUntil([&] { return allLoaded(german.processId(), libraries); }));
  german.mark();
  PostMessageW(german.window(0), kFixtureReportNumbers, 0, 0);
  ASSERT_TRUE(german.waitForLine("NUMBERS"));
  // 2C: the user's locale writes 1,5, which a library adopting it would have made the program's.
  EXPECT_EQ(german.linesSinceMark().back(), "0 NUMBERS 1.5 15 2C");
}

// Fadeon's pass, which the host asks for, stalls on a busy program's windows; meanwhile
// Transparent's wheel adjusts another window at once, and the host's thread still answers what is
// sent to it (as the hook calls of programs of the other bitness are).
TEST(OtherPrograms, ABusyWindowInFadeonsPassHoldsUpNoWheelAdjustment) {
  HostRun host;
  startHostWith(host, {L"Fadeon", L"Transparent"});
  constexpr int kFadeonUse = commandId(0, kOffsetToggleUse);
  // Bottom to top, made after the host's first pass, so none is layered: a window the pass
  // reaches last, the busy program's windows, and the adjustment's target on top.
  Fixture last(L"last", {L"900,620,300,200"});
  Fixture busy(L"busy", {L"40,420,300,200", L"60,440,300,200", L"80,460,300,200",
                         L"100,480,300,200", L"120,500,300,200", L"140,520,300,200"});
  Fixture target(L"target", {L"600,80,420,300:title=Target"});
  ASSERT_TRUE(last.ready() && busy.ready() && target.ready());
  HWND window = target.window(0);
  POINT maxButton = hitTestPoint(window, HTMAXBUTTON).value_or(POINT{});

  // Long enough that the pass gives each window up (a second each, until the system counts the
  // program as hung after five).
  constexpr unsigned kHangMs = 15000;
  host.command(kFadeonUse);  // off: nothing is layered, nothing to do
  PostMessageW(busy.window(0), kFixtureHang, kHangMs, 0);
  ASSERT_TRUE(busy.waitForLine("0 HANG"));
  PostMessageW(host.mainWindow(), WM_COMMAND, kFadeonUse, 0);  // on: a pass from the top
  ASSERT_TRUE(waitUntil([&] { return layeredAlpha(window).has_value(); })) << "no pass";

  DWORD_PTR ignored = 0;
  EXPECT_NE(SendMessageTimeoutW(host.mainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored), 0)
      << "the host's thread does not answer during the pass";
  target.mark();
  clickAt(maxButton, 3);
  EXPECT_TRUE(waitUntil([&] { return caption(window) == L"94%"; })) << narrow(caption(window));
  wheelAt(maxButton, 1);
  EXPECT_TRUE(waitUntil([&] { return caption(window) == L"100%"; })) << narrow(caption(window));
  EXPECT_FALSE(layeredAlpha(last.window(0)).has_value()) << "the pass was over already";
  EXPECT_EQ(countLines(busy.lines(), "AWAKE"), 0u);
  target.settle();
  EXPECT_FALSE(target.sawSinceMark("MOUSEWHEEL")) << "the wheel was not taken in time";
  // The session ends while the pass waits: the plug-ins, Fadeon in the middle of a call, are not
  // freed under that call.
  EXPECT_NE(
      SendMessageTimeoutW(host.mainWindow(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &ignored),
      0);

  clickAt(*hitTestPoint(last.window(0), HTCLIENT), 1);  // ends the adjustment
  EXPECT_TRUE(busy.waitForLine("0 AWAKE", std::chrono::milliseconds(kHangMs) + 20s));
  EXPECT_TRUE(waitUntil([&] { return layeredAlpha(last.window(0)).has_value(); }))
      << "the pass did not end";
  EXPECT_TRUE(IsWindow(host.mainWindow())) << "the host ended";
}

}  // namespace
}  // namespace tov::test
