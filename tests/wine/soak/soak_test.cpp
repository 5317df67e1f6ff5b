// The soak: TOV.exe with every library that runs here, over fixture windows of every kind (plain
// windows, folder windows with real views, a desktop, a dialog, the fixture taskbar with its
// buttons), takes many real input events from the X server, spread over the plug-ins' triggers.
// Between batches the counts of every process's GDI objects, USER objects and handles are taken;
// after the warm-up they must stay flat. Nothing may end on the way, and "&Quit" must write back
// exactly the in-use flags set through the host during the run.
//
// TOV_SOAK_EVENTS sets the number of input events (default: a short run for the test suite),
// TOV_SOAK_SEED the seed of the input (default kSeed): the same seed over the same layout gives
// the same input, so a finding can be replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/soak_input.h"
#include "host_support.h"
#include "plugin_support.h"
#include "resource_counts.h"
#include "taskbar_fixture.h"

namespace tov::test {
namespace {

using soak::Point;

constexpr std::uint64_t kSeed = 20261209;
constexpr std::size_t kShortRunEvents = 3000;
// How far a count may move after the warm-up (see soak::staysFlat): what Wine's own caches and
// the windows' first sizes and styles bring along once, never growth with the events. A full
// run here saw one process's GDI count step up by 13 once, halfway, and stay there.
constexpr long kTolerance = 12;
constexpr UINT kSetOwnTextColour = WM_APP + 3;  // window_fixture: a view sets its own colour

// The libraries in load order, so that each one's id is its index: the recorder first (it
// registers the fake collection of shell windows that Chromal asks for folders), then the
// products, one of each group that takes the same trigger (Pushup, not PushupB; Colfit of the
// four fits; ShufflaXP with the fixture's toolbar taskbar).
const std::vector<std::wstring> kLibraries = {
    L"Plug",    L"Transparent", L"Fadeon", L"Topmost", L"Minimize", L"Arrowin",
    L"Chromal", L"Pushup",      L"Crevo",  L"Colfit",  L"Pushdown", L"ShufflaXP"};
constexpr int kFadeon = 2, kMinimize = 4, kChromal = 6, kCrevo = 8;
constexpr int kReloadSettings = 4, kPaintSample = 5;  // Chromal's own offsets

const char* const kRules = kChromalTestRules;  // a rule for each kind of folder window

// The windows' home places: a grid clear of the taskbar (y 900 to 940) with gaps between the
// cells, so that a point aimed at one window never lands on another's caption buttons.
const RECT kCells[] = {{20, 40, 420, 290},  {440, 40, 840, 290},  {860, 40, 1260, 290},
                       {20, 330, 420, 580}, {440, 330, 840, 580}, {860, 330, 1260, 580},
                       {20, 620, 420, 870}, {440, 620, 840, 870}, {860, 620, 1260, 870}};
std::wstring layout(const RECT& cell, const std::wstring& options = L"") {
  return std::to_wstring(cell.left) + L"," + std::to_wstring(cell.top) + L"," +
         std::to_wstring(cell.right - cell.left) + L"," + std::to_wstring(cell.bottom - cell.top) +
         options;
}

std::string hookOrderFile(const std::vector<char>& inUse) {
  std::string text =
      "; The soak: every library that runs under Wine, one of each group of alternatives.\r\n"
      "A=All\r\nB=Windows\r\n";
  for (std::size_t i = 0; i < kLibraries.size(); ++i) {
    text += std::string(1, inUse[i] ? '1' : '0') +
            (i == 0  ? "0"
             : i < 5 ? "0AB"
                     : "0A") +
            " " + narrow(kLibraries[i]) + ".dll\r\n";
  }
  return text;
}

std::size_t fromEnvironment(const char* name, std::size_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : fallback;
}

struct Watched {
  std::string name;
  DWORD processId;
  std::vector<ResourceCounts> counts;
};

class Soak : public ::testing::Test {
 protected:
  void SetUp() override {
    // The taskbar first: ShufflaXP attaches to it when it starts, and the shell's windows are
    // found before Wine's own.
    taskbar_ = Process::start(joinPath(testBinDir(), L"taskbar_fixture.exe"),
                              L"--log taskbar --control toolbar --apps 3");
    ASSERT_TRUE(taskbar_.started());
    ASSERT_TRUE(waitUntil([&] { return taskbarWindow() != nullptr; }));
    for (const std::wstring& name : kLibraries) {
      if (name == L"Plug") {
        host_.addPlugin(name);
      } else {
        ASSERT_TRUE(copyFile(productLibrary((name + L".dll").c_str()), host_.file(name + L".dll")));
      }
    }
    ASSERT_TRUE(copyFile(joinPath(testBinDir(), L"FakeShellWindows.dll"),
                         host_.file(L"FakeShellWindows.dll")));
    ASSERT_TRUE(
        copyFile(joinPath(testBinDir(), L"pushdown_marker.exe"), host_.file(L"marker.exe")));
    ASSERT_TRUE(writeFile(host_.file(L"DesktopPushdownCommand.ini"),
                          narrow(host_.file(L"marker.exe")) + "\r\n"));
    ASSERT_TRUE(writeFile(host_.file(L"Chromal.conf"), kRules));
    inUse_.assign(kLibraries.size(), 1);
    host_.writeHookOrder(hookOrderFile(inUse_));
  }
  void TearDown() override { xdotool("keyup Muhenkan shift ctrl mouseup 1 mouseup 2 mouseup 3"); }

  HWND taskbarWindow() const {
    HWND found = FindWindowW(L"Shell_TrayWnd", nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(found, &owner);
    return found != nullptr && owner == taskbar_.id() ? found : nullptr;
  }
  std::vector<HWND> taskbarApps() const {
    std::vector<HWND> apps;
    for (const WindowInfo& info : topLevelWindows())
      if (info.processId == taskbar_.id() && info.className == L"ShufflaFixtureApp")
        apps.push_back(info.window);
    return apps;
  }
  Point taskbarButton(int index) const {
    DWORD_PTR packed = 0;
    SendMessageTimeoutW(taskbarWindow(), taskbar_fixture::kButtonPoint, static_cast<WPARAM>(index),
                        0, SMTO_NORMAL, 5000, &packed);
    return Point{static_cast<SHORT>(LOWORD(packed)), static_cast<SHORT>(HIWORD(packed))};
  }

  // Every window back in its cell, neither minimised, maximised nor on top: what the plug-ins
  // did in the last batch does not decide where the next one's input lands. A plug-in's posted
  // minimise may still come after a first try, so this tries until all stay home.
  bool bringWindowsHome() {
    auto home = [&] {
      for (const auto& [window, cell] : homes_) {
        RECT rect;
        if (IsIconic(window) || IsZoomed(window) || !GetWindowRect(window, &rect) ||
            !EqualRect(&rect, &cell))
          return false;
      }
      return true;
    };
    return waitUntil(
        [&] {
          if (home()) return true;
          for (const auto& [window, cell] : homes_) {
            if (IsIconic(window) || IsZoomed(window)) ShowWindow(window, SW_RESTORE);
            SetWindowPos(window, HWND_NOTOPMOST, cell.left, cell.top, cell.right - cell.left,
                         cell.bottom - cell.top, SWP_NOACTIVATE);
          }
          settle();
          return false;
        },
        30s);
  }

  // Where the input may aim, measured once with every window at home.
  soak::Scene measureScene() {
    soak::Scene scene;
    for (const auto& [window, cell] : homes_) {
      soak::WindowTargets targets;
      POINT client = *hitTestPoint(window, HTCLIENT);
      targets.client = Point{client.x, client.y};
      // A right click on a caption button ends, as the plug-ins leave it, in WM_CONTEXTMENU: the
      // taskbar's application windows would open their system menu (where a stray click might
      // choose Close), the fixture's windows open none.
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner != taskbar_.id()) {
        if (auto p = hitTestPoint(window, HTMAXBUTTON)) targets.maximise = Point{p->x, p->y};
        if (auto p = hitTestPoint(window, HTCLOSE)) targets.close = Point{p->x, p->y};
      }
      if (GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME)
        targets.corner = Point{static_cast<int>(cell.right) - 2, static_cast<int>(cell.bottom) - 2};
      if (HWND list = FindWindowExW(window, nullptr, L"SysListView32", nullptr)) {
        RECT rect;
        GetWindowRect(list, &rect);
        targets.listBlank =
            Point{static_cast<int>(rect.right) - 30, static_cast<int>(rect.bottom) - 30};
      }
      scene.windows.push_back(targets);
    }
    for (int i = 0; i < 3; ++i) scene.taskbarButtons.push_back(taskbarButton(i));
    return scene;
  }

  // Runs one batch through a single xdotool and waits until the desktop has taken all of it: the
  // batch ends by parking the pointer on a spot of its own, which the system's cursor reaches
  // only after every earlier event; then each program has handled what it was given.
  bool play(const soak::Batch& batch, int parking) {
    std::wstring script = joinPath(workDir(), L"batch.xdo");
    Point park{4, 4 + parking % 2};
    if (!writeFile(script, batch.script + "mousemove " + std::to_string(park.x) + " " +
                               std::to_string(park.y) + "\n"))
      return false;
    if (runUnix("xdotool " + unixPath(script), 300s) != 0) return false;
    if (!waitUntil(
            [&] {
              POINT at{};
              return GetCursorPos(&at) && at.x == park.x && at.y == park.y;
            },
            120s))
      return false;
    settle();
    return true;
  }
  void settle() {
    plain_->settle();
    shell_->settle();
    for (HWND window : {taskbarWindow(), host_.mainWindow()}) {
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
    }
  }

  // What a user does through the host and the shell between batches: the folder views set their
  // own colours (Chromal puts its own back), Chromal's settings are read again and its sample
  // painted.
  void betweenBatches() {
    for (std::size_t i = 0; i < kShellLayouts; ++i)
      PostMessageW(shell_->window(i), kSetOwnTextColour, 0, 0x123456);
    host_.pluginCommand(kChromal, kReloadSettings);
    host_.pluginCommand(kChromal, kPaintSample);
  }
  void toggleUse(int id) {
    host_.pluginCommand(id, kOffsetToggleUse);
    inUse_[static_cast<std::size_t>(id)] ^= 1;
  }

  // A long middle press, held until Pushdown has acted (or 5 s have passed): over the desktop
  // its command runs (a line more in the marker's file), over a window that window is
  // maximised. Minimize is switched off for it through the host: in use, it takes every middle
  // press away from the window that would have seen it.
  bool hold(bool overDesktop) {
    HWND target = overDesktop ? shell_->window(kDesktop) : plain_->window(0);
    const std::size_t ran = commandRuns();
    POINT point = *hitTestPoint(target, HTCLIENT);
    host_.pluginCommand(kMinimize, kOffsetToggleUse);
    pressAt(point, 2);
    bool acted = waitUntil(
        [&] {
          // Under Wine a thread timer set inside a mouse hook does not wake its thread sleeping
          // in GetMessage: the hold comes due with the thread's next message. A hand's pointer
          // jiggles; a posted WM_NULL stands for that.
          PostMessageW(target, WM_NULL, 0, 0);
          return overDesktop ? commandRuns() > ran : IsZoomed(target) != FALSE;
        },
        5s);
    releaseAt(point, 2);
    waitUntil([] { return GetAsyncKeyState(VK_MBUTTON) >= 0; });
    host_.pluginCommand(kMinimize, kOffsetToggleUse);
    return acted;
  }
  std::size_t commandRuns() const {
    std::string ran = readFile(host_.file(L"marker.txt"));
    return static_cast<std::size_t>(std::count(ran.begin(), ran.end(), '\n'));
  }

  void measure() {
    for (Watched& watched : watched_) watched.counts.push_back(countResources(watched.processId));
  }

  static constexpr std::size_t kShellLayouts = 4;
  static constexpr std::size_t kDesktop = 2;  // the shell fixture's "Progman"
  Process taskbar_;
  HostRun host_;
  std::optional<Fixture> plain_;
  std::optional<Fixture> shell_;
  std::vector<std::pair<HWND, RECT>> homes_;
  std::vector<Watched> watched_;
  std::vector<char> inUse_;
};

void printSeries(const char* what, const Watched& watched, std::size_t warmUp,
                 long ResourceCounts::*member) {
  const auto& counts = watched.counts;
  long peak = -1;
  for (std::size_t i = warmUp; i < counts.size(); ++i) peak = std::max(peak, counts[i].*member);
  std::printf("  %-10s %-8s first %6ld  after warm-up %6ld  peak after %6ld  last %6ld\n",
              watched.name.c_str(), what, counts.front().*member, counts[warmUp].*member, peak,
              counts.back().*member);
}

TEST_F(Soak, ManyEventsLeaveNothingGrownAndTheFlagsSaved) {
  const std::size_t events = fromEnvironment("TOV_SOAK_EVENTS", kShortRunEvents);
  const std::uint64_t seed = fromEnvironment("TOV_SOAK_SEED", kSeed);
  const std::size_t batchEvents = std::clamp<std::size_t>(events / 40, 500, 2500);
  const std::size_t batches = std::max<std::size_t>(1, (events + batchEvents - 1) / batchEvents);
  const std::size_t warmUp = std::max<std::size_t>(1, batches / 4);

  plain_.emplace(L"plain", std::vector<std::wstring>{layout(kCells[0]), layout(kCells[5])});
  ASSERT_TRUE(plain_->ready());
  shell_.emplace(L"shell",
                 std::vector<std::wstring>{
                     layout(kCells[1], L":class=CabinetWClass:tree:list=icon:items=3:early"),
                     layout(kCells[2], L":class=ExploreWClass:tree:list=report:items=3:early"),
                     layout(kCells[4], L":tool:class=Progman:list=icon:items=3:holdtimer"),
                     layout(kCells[3], L":class=#32770:list=list:items=3"),
                 });
  ASSERT_TRUE(shell_->ready());
  std::string folders;
  const char* const kUrls[] = {"file:///C:/users/Me", "file:///C:/Data", "file:///Q:/desktop"};
  for (std::size_t i = 0; i < 3; ++i)
    folders +=
        std::to_string(reinterpret_cast<UINT_PTR>(shell_->window(i))) + " " + kUrls[i] + "\n";
  ASSERT_TRUE(writeFile(host_.file(L"shell_windows.txt"), folders));

  host_.start();
  ASSERT_TRUE(host_.waitUntilReady());
  ASSERT_TRUE(host_.noMessageBox()) << "every library loaded and started";
  host_.pluginCommand(0, kRegisterFakeShellWindows);

  homes_ = {{plain_->window(0), kCells[0]}, {plain_->window(1), kCells[5]},
            {shell_->window(0), kCells[1]}, {shell_->window(1), kCells[2]},
            {shell_->window(2), kCells[4]}, {shell_->window(3), kCells[3]}};
  std::vector<HWND> apps = taskbarApps();
  ASSERT_EQ(apps.size(), 3u);
  for (std::size_t i = 0; i < apps.size(); ++i) homes_.push_back({apps[i], kCells[6 + i]});
  ASSERT_TRUE(bringWindowsHome());
  const soak::Scene scene = measureScene();

  watched_ = {{"TOV", host_.processId(), {}},
              {"plain", plain_->processId(), {}},
              {"shell", shell_->processId(), {}},
              {"taskbar", taskbar_.id(), {}}};
  measure();

  soak::Random random(seed);
  std::size_t sent = 0;
  std::size_t holds = 0;
  std::size_t holdsActed = 0;
  const ULONGLONG started = GetTickCount64();
  for (std::size_t batch = 0; batch < batches; ++batch) {
    ASSERT_TRUE(bringWindowsHome()) << "before batch " << batch;
    soak::Batch input = soak::makeBatch(scene, random, batchEvents);
    ASSERT_TRUE(play(input, static_cast<int>(batch))) << "batch " << batch << " not taken";
    sent += input.events;
    ASSERT_TRUE(bringWindowsHome()) << "after batch " << batch;
    settle();
    ASSERT_TRUE(bringWindowsHome()) << "after batch " << batch;
    if (hold(batch % 2 == 0)) ++holdsActed;
    sent += 3;  // the move, the press and the release
    ++holds;
    betweenBatches();
    // A known pattern of in-use flags, set through the host while the input goes on.
    if (batch == batches / 2) {
      toggleUse(kFadeon);
      toggleUse(kCrevo);
    }
    if (batch == (3 * batches) / 4) toggleUse(kFadeon);
    settle();
    measure();
    for (const Watched& watched : watched_) {
      HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, watched.processId);
      bool alive = process != nullptr && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
      if (process != nullptr) CloseHandle(process);
      ASSERT_TRUE(alive) << watched.name << " ended during batch " << batch;
    }
  }
  const double seconds = static_cast<double>(GetTickCount64() - started) / 1000.0;

  EXPECT_TRUE(host_.noMessageBox());
  std::printf(
      "\nsoak: seed %llu, %zu input events (%zu middle holds) in %zu batches, %.0f s, "
      "%.0f events/s\n",
      static_cast<unsigned long long>(seed), sent, holds, batches, seconds,
      static_cast<double>(sent) / seconds);
  std::printf(
      "soak: Pushdown acted on %zu of the %zu holds (over the desktop and a window in turn)\n",
      holdsActed, holds);
  std::printf(
      "soak: counts taken %zu times (before the input and after each batch), warm-up "
      "%zu batches, tolerance %ld\nsoak: %s\n",
      watched_.front().counts.size(), warmUp, kTolerance, resourceCountSource().c_str());
  bool flat = true;
  for (const Watched& watched : watched_) {
    for (auto [what, member] :
         {std::pair{"GDI", &ResourceCounts::gdi}, std::pair{"USER", &ResourceCounts::user},
          std::pair{"handles", &ResourceCounts::handles}}) {
      printSeries(what, watched, warmUp, member);
      std::vector<long> series;
      for (const ResourceCounts& counts : watched.counts) series.push_back(counts.*member);
      EXPECT_GE(series.back(), 0) << watched.name << " " << what << " unreadable";
      const bool ok = soak::staysFlat(series, warmUp, kTolerance);
      EXPECT_TRUE(ok) << watched.name << " " << what
                      << " grew: " << ::testing::PrintToString(series);
      flat = flat && ok;
    }
  }
  EXPECT_GE(sent, events);

  // Quitting as a user does writes back exactly the flags set during the run.
  ASSERT_TRUE(host_.quit());
  const std::string saved = host_.hookOrder();
  EXPECT_EQ(saved, hookOrderFile(inUse_));
  std::printf("soak: verdict %s\n",
              flat && saved == hookOrderFile(inUse_) && !HasFailure() ? "PASS" : "FAIL");
  std::fflush(stdout);
}

// The counts follow what a process makes and frees: brushes, windows and events of the test's own
// (each made once before, so that what a first one brings along is not counted).
TEST(ResourceCounts, FollowWhatAProcessMakesAndFrees) {
  auto makeWindow = [] {
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
  };
  HWND first = makeWindow();  // the thread's first window brings its own along
  DeleteObject(CreateSolidBrush(0));
  CloseHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr));

  const ResourceCounts before = countResources(GetCurrentProcessId());
  std::vector<HBRUSH> brushes;
  for (int i = 0; i < 10; ++i) brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
  std::vector<HWND> windows{makeWindow(), makeWindow()};
  std::vector<HANDLE> events;
  for (int i = 0; i < 5; ++i) events.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  const ResourceCounts during = countResources(GetCurrentProcessId());
  for (HBRUSH brush : brushes) DeleteObject(brush);
  for (HWND window : windows) DestroyWindow(window);
  for (HANDLE event : events) CloseHandle(event);
  const ResourceCounts after = countResources(GetCurrentProcessId());
  DestroyWindow(first);

  EXPECT_EQ(during.gdi - before.gdi, 10);
  EXPECT_EQ(during.user - before.user, 2);
  EXPECT_EQ(during.handles - before.handles, 5);
  EXPECT_EQ(after.gdi, before.gdi);
  EXPECT_EQ(after.user, before.user);
  EXPECT_EQ(after.handles, before.handles);
}

}  // namespace
}  // namespace tov::test
