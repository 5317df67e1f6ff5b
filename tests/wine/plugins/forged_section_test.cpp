// A program that maps TOV's libraries writes hostile values into their shared sections, as any
// program can; real input then shows that no hook follows them, and TOV still removes every hook
// and ends cleanly.
#include <gtest/gtest.h>

#include "host_support.h"
#include "plugin_support.h"

namespace tov::test {
namespace {

// The sections, as the libraries lay them out.
struct ArrowinSection {
  HHOOK hook;
  bool inUse;
  std::int32_t modifier, count, sources[8], targets[8];
};
struct TransparentSection {
  HHOOK hooks[2];
  bool inUse, adjusting;
  int step, floor, alpha;
  HWND target;
  wchar_t title[260];
  DWORD thread;
  bool owed;
};
struct PushupBSection {
  HHOOK hook;
  bool inUse;
  HWND host;
  std::int32_t commands[2];
};
struct PushdownSection {
  HHOOK hook;
  bool inUse, enabled;
  HWND target;
  DWORD thread;
  std::uintptr_t hold[2];
  HWND host;
  UINT command;
};

TEST(ForgedSection, NoHookFollowsItAndTovStillRemovesEveryHookAndQuits) {
  HostRun host;
  std::string order;
  const std::wstring names[] = {L"Arrowin", L"Transparent", L"PushupB", L"Pushdown", L"Colfit"};
  for (const std::wstring& name : names) {
    ASSERT_TRUE(copyFile(productLibrary((name + L".dll").c_str()), host.file(name + L".dll")));
    order += "10 " + narrow(name) + ".dll\r\n";
  }
  ASSERT_TRUE(copyFile(joinPath(testBinDir(), L"pushdown_marker.exe"), host.file(L"marker.exe")));
  ASSERT_TRUE(
      writeFile(host.file(L"DesktopPushdownCommand.ini"), narrow(host.file(L"marker.exe"))));
  ASSERT_TRUE(host.startWith(order));
  std::vector<HMODULE> libraries;  // the very files TOV runs, so the same sections
  for (const std::wstring& name : names)
    libraries.push_back(LoadLibraryW(host.file(name + L".dll").c_str()));
  Fixture fixture(L"forged", {L"60,60,400,300:title=Editor", L"560,60,400,300:title=Bystander",
                              L"60,420,400,300:class=CabinetWClass:list=report:items=3",
                              L"560,420,400,300:holdtimer:class=Progman"});
  ASSERT_TRUE(fixture.ready());
  HWND decoy = createHostLikeWindow();
  HWND bystander = fixture.window(1);

  // Keys: Shift+K is to type Return. Commands: to a window of TOV's class in this program, as
  // "&Quit". Hook handles: each names Arrowin's hook, which a stop would remove instead of its own.
  auto* arrowin = static_cast<ArrowinSection*>(sharedSectionOf(libraries[0]));
  arrowin->modifier = VK_SHIFT;
  for (int i = 0; i < 8; ++i) arrowin->sources[i] = 'K', arrowin->targets[i] = VK_RETURN;
  auto* pushupB = static_cast<PushupBSection*>(sharedSectionOf(libraries[2]));
  *pushupB = {arrowin->hook, true, decoy, {kCommandQuit, kCommandQuit}};
  auto* pushdown = static_cast<PushdownSection*>(sharedSectionOf(libraries[3]));
  pushdown->hook = arrowin->hook, pushdown->host = decoy, pushdown->command = kCommandQuit;
  auto* transparent = static_cast<TransparentSection*>(sharedSectionOf(libraries[1]));
  // Colfit's too begins with two hooks.
  auto* colfit = static_cast<TransparentSection*>(sharedSectionOf(libraries[4]));
  for (HHOOK* hook :
       {&transparent->hooks[0], &transparent->hooks[1], &colfit->hooks[0], &colfit->hooks[1]})
    *hook = arrowin->hook;

  clickAt(*hitTestPoint(fixture.window(0), HTCLIENT), 1);
  fixture.mark();
  xdotool("key shift+k");
  EXPECT_TRUE(fixture.waitForLine("0 CHAR 004B")) << "K typed";
  EXPECT_FALSE(fixture.sawSinceMark("CHAR 000D"));

  // An adjustment of the bystander, at alpha 0 with a floor of 1, to end with a caption of ours.
  *transparent = {
      {transparent->hooks[0], transparent->hooks[1]}, true, true, -200, 1, 0, bystander, L"forged",
      GetWindowThreadProcessId(bystander, nullptr),   true};
  POINT inside = *hitTestPoint(bystander, HTCLIENT);
  wheelAt(inside, -1);
  EXPECT_TRUE(fixture.waitForLine("1 MOUSEWHEEL -120")) << "the wheel reaches the window";
  clickAt(inside, 1);
  EXPECT_TRUE(fixture.waitForLine("1 LBUTTONDOWN"));
  EXPECT_FALSE(layeredAlpha(bystander).has_value());
  EXPECT_EQ(caption(bystander), L"Bystander");

  // The go-up double click and the hold on the desktop reach TOV, never the decoy.
  POINT background = *hitTestPoint(fixture.window(2), HTCLIENT);  // below the list's items
  xdotool("mousemove " + std::to_string(background.x) + " " + std::to_string(background.y) +
          " click --repeat 2 --delay 80 1");
  EXPECT_TRUE(fixture.waitForLine("2.list KEYDOWN 08"));
  POINT desktop = *hitTestPoint(fixture.window(3), HTCLIENT);
  pressAt(desktop, 2);
  EXPECT_TRUE(fixture.waitForLine("3 HOLDTIMER"));
  releaseAt(desktop, 2);
  EXPECT_TRUE(waitUntil([&] { return fileExists(host.file(L"marker.txt")); }));
  pumpMessages(300ms);
  EXPECT_EQ(hostLikeCommands, 0) << "commands posted to the decoy";

  ASSERT_TRUE(host.quit());
  fixture.mark();
  clickAt(*hitTestPoint(fixture.window(0), HTMAXBUTTON), 3);
  EXPECT_TRUE(fixture.waitForLine("0 NCRBUTTONDOWN 9")) << "Transparent's hook is gone";
  for (HMODULE library : libraries) FreeLibrary(library);
  DestroyWindow(decoy);
}

}  // namespace
}  // namespace tov::test
