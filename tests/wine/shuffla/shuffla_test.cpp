// Shuffla and ShufflaXP under Wine: the libraries attach to the fixture taskbar's button control
// (taskbar_fixture.cpp) and real drags through the X server reorder its buttons through the
// fixture's taskbar list.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <sstream>

#include "host_support.h"
#include "plugin_support.h"
#include "taskbar_fixture.h"
#include "unload_probe.h"

namespace tov::test {
namespace {

using namespace taskbar_fixture;

// A spot of the desktop away from every window of the fixture.
constexpr POINT kEmptyDesktop{1100, 700};

struct Variant {
  const wchar_t* library;
  const wchar_t* control;  // the fixture's --control
  const wchar_t* prefix;   // of the registered messages
  const char* clickLine;   // what the fixture logs when button 2 is clicked
};
const Variant kShuffla{L"Shuffla.dll", L"tab", L"Shuffla", "SELCHANGE 2"};
const Variant kShufflaXP{L"ShufflaXP.dll", L"toolbar", L"ShufflaXP", "COMMAND 2"};

void PrintTo(const Variant& variant, std::ostream* out) { *out << narrow(variant.prefix); }

std::string variantName(const ::testing::TestParamInfo<Variant>& info) {
  return narrow(info.param.prefix);
}

class TaskbarFixture {
 public:
  TaskbarFixture(const std::wstring& control, int apps = 6, bool blank = false)
      : logPath_(joinPath(workDir(), L"taskbar.log")) {
    DeleteFileW(logPath_.c_str());
    process_ = Process::start(joinPath(testBinDir(), L"taskbar_fixture.exe"),
                              L"--log taskbar --control " + control + L" --apps " +
                                  std::to_wstring(apps) + (blank ? L" --blank 1" : L""));
    ready_ = process_.started() && waitUntil([&] { return saw("ready"); }) &&
             waitUntil([&] { return ours(FindWindowW(L"Shell_TrayWnd", nullptr)); });
  }

  bool ready() const { return ready_; }
  bool ours(HWND window) const {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return window != nullptr && owner == process_.id();
  }
  HWND taskbar() const {
    HWND found = FindWindowW(L"Shell_TrayWnd", nullptr);
    return ours(found) ? found : nullptr;
  }
  HWND control() const {
    HWND bar = taskbar();
    HWND tab = FindWindowExW(bar, nullptr, L"SysTabControl32", nullptr);
    if (tab != nullptr) return tab;
    return FindWindowExW(FindWindowExW(bar, nullptr, L"MSTaskSwWClass", nullptr), nullptr,
                         L"ToolbarWindow32", nullptr);
  }
  LRESULT ask(UINT question, WPARAM argument = 0) const {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(taskbar(), question, argument, 0, SMTO_NORMAL, 5000, &answer))
      return -1;
    return static_cast<LRESULT>(answer);
  }
  std::vector<int> order() const {
    std::vector<int> apps;
    for (LRESULT i = 0, n = ask(kButtonCount); i < n; ++i)
      apps.push_back(static_cast<int>(ask(kButtonApp, static_cast<WPARAM>(i))));
    return apps;
  }
  POINT button(int index) const {
    LRESULT packed = ask(kButtonPoint, static_cast<WPARAM>(index));
    return POINT{static_cast<SHORT>(LOWORD(packed)), static_cast<SHORT>(HIWORD(packed))};
  }
  bool dragState(LRESULT bits) const { return (ask(kDragState) & bits) == bits; }
  // The toolbar's insert mark: the button and whether it stands after it.
  std::pair<int, bool> insertMark() const {
    LRESULT packed = ask(kInsertMark);
    return {static_cast<SHORT>(LOWORD(packed)), (HIWORD(packed) & TBIMHT_AFTER) != 0};
  }

  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::istringstream text(readFile(logPath_));
    for (std::string line; std::getline(text, line);) result.push_back(line);
    return result;
  }
  bool saw(const std::string& text) const { return countLines(lines(), text) > 0; }
  void mark() { mark_ = lines().size(); }
  std::size_t countSinceMark(const std::string& text) const {
    std::vector<std::string> all = lines();
    if (mark_ >= all.size()) return 0;
    return countLines({all.begin() + static_cast<std::ptrdiff_t>(mark_), all.end()}, text);
  }
  bool waitSinceMark(const std::string& text) const {
    return waitUntil([&] { return countSinceMark(text) > 0; });
  }

 private:
  std::wstring logPath_;
  Process process_;
  bool ready_ = false;
  std::size_t mark_ = 0;
};

const std::vector<int> kSixInOrder{0, 1, 2, 3, 4, 5};

class Shuffla : public ::testing::TestWithParam<Variant> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(taskbar_.ready());
    ASSERT_TRUE(plugin_.ok());
    ASSERT_TRUE(waitUntil([&] { return subclassed(); })) << "no answer 223 from the control";
  }
  // A test that stopped half-way through a drag lets go of the button.
  void TearDown() override {
    if (held_) xdotool("mouseup 1");
  }

  UINT message(const wchar_t* which) const {
    return RegisterWindowMessageW((std::wstring(GetParam().prefix) + L"::" + which).c_str());
  }
  bool subclassed() const {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(taskbar_.control(), message(L"UM_SUBCLASS_TASKBAR"), 0, 0, SMTO_NORMAL,
                        5000, &answer);
    return answer == 223;
  }
  // Presses on button `from` and moves to `to`, past the threshold: the drag is under way.
  void startDrag(int from, POINT to) {
    taskbar_.mark();
    pressAt(taskbar_.button(from), 1);
    held_ = true;
    ASSERT_TRUE(taskbar_.waitSinceMark("control LBUTTONDOWN"));
    moveTo(to);
    ASSERT_TRUE(waitUntil([&] { return taskbar_.dragState(kDragImageUp); })) << "no drag image";
  }
  void moveTo(POINT to) {
    xdotool("mousemove " + std::to_string(to.x) + " " + std::to_string(to.y));
  }
  // Releases and waits for the drag to end.
  void drop() {
    xdotool("mouseup 1");
    held_ = false;
    ASSERT_TRUE(waitUntil([&] { return !taskbar_.dragState(kDragImageUp); }));
  }
  void dragAndDrop(int from, int onto) {
    startDrag(from, taskbar_.button(onto));
    drop();
  }
  // The release ended a drag: the control never saw it and nothing was moved.
  void expectNothingMoved() {
    EXPECT_EQ(taskbar_.order(), kSixInOrder);
    EXPECT_EQ(taskbar_.countSinceMark("DeleteTab"), 0u);
    EXPECT_EQ(taskbar_.countSinceMark("control LBUTTONUP"), 0u);
  }

  TaskbarFixture taskbar_{GetParam().control};
  LoadedPlugin plugin_{productLibrary(GetParam().library)};
  bool held_ = false;
};

TEST_P(Shuffla, RightwardDragLandsAfterTheTarget) {
  dragAndDrop(1, 4);
  ASSERT_TRUE(waitUntil([&] { return taskbar_.order() == std::vector<int>{0, 2, 3, 4, 1, 5}; }))
      << ::testing::PrintToString(taskbar_.order());
  EXPECT_TRUE(taskbar_.saw("HrInit"));
  // Every window taken off and put back in the new order.
  EXPECT_EQ(taskbar_.countSinceMark("DeleteTab"), 6u);
  EXPECT_EQ(taskbar_.countSinceMark("AddTab"), 6u);
  EXPECT_EQ(taskbar_.countSinceMark("control LBUTTONUP"), 0u) << "the drop is not a click";
}

TEST_P(Shuffla, LeftwardDragLandsBeforeTheTarget) {
  dragAndDrop(4, 1);
  EXPECT_TRUE(waitUntil([&] { return taskbar_.order() == std::vector<int>{0, 4, 1, 2, 3, 5}; }))
      << ::testing::PrintToString(taskbar_.order());
}

// The window's small icon, else its big one, else the system's application icon.
TEST_P(Shuffla, DragImageIsTheWindowsIcon) {
  const std::pair<int, COLORREF> kIcons[] = {{1, RGB(255, 0, 0)}, {2, RGB(0, 255, 0)}};
  for (auto [from, colour] : kIcons) {
    startDrag(from, taskbar_.button(4));
    EXPECT_EQ(taskbar_.ask(kDragColour), static_cast<LRESULT>(colour)) << from;
    moveTo(taskbar_.button(from));
    drop();
    waitPastDoubleClick();
  }
  startDrag(3, taskbar_.button(5));
  LRESULT system = taskbar_.ask(kDragColour);
  EXPECT_NE(system, -1);
  EXPECT_NE(system, static_cast<LRESULT>(RGB(255, 0, 0)));
  EXPECT_NE(system, static_cast<LRESULT>(RGB(0, 255, 0)));
  moveTo(taskbar_.button(3));
  drop();
  EXPECT_EQ(taskbar_.order(), kSixInOrder);
}

TEST_P(Shuffla, SmallMoveIsAnOrdinaryClick) {
  taskbar_.mark();
  POINT start = taskbar_.button(2);
  pressAt(start, 1);
  ASSERT_TRUE(taskbar_.waitSinceMark("control LBUTTONDOWN"));
  moveTo(POINT{start.x + 5, start.y + 6});  // 61 square pixels away
  releaseAt(POINT{start.x + 5, start.y + 6}, 1);
  EXPECT_TRUE(taskbar_.waitSinceMark("control LBUTTONUP"));
  EXPECT_TRUE(taskbar_.waitSinceMark(GetParam().clickLine));
  EXPECT_FALSE(taskbar_.dragState(kDragImageUp));
  EXPECT_EQ(taskbar_.order(), kSixInOrder);
  EXPECT_EQ(taskbar_.countSinceMark("DeleteTab"), 0u);
}

TEST_P(Shuffla, CursorAndDropsOutsideEveryButtonOrOnItself) {
  // The pointer travels over a button before it leaves the taskbar, as a hand moves it.
  startDrag(2, taskbar_.button(4));
  moveTo(kEmptyDesktop);
  EXPECT_TRUE(waitUntil([&] { return taskbar_.dragState(kCursorNo); })) << "over no button";
  moveTo(taskbar_.button(3));
  EXPECT_TRUE(waitUntil([&] { return taskbar_.dragState(kCursorArrow); })) << "over a button";
  moveTo(kEmptyDesktop);
  EXPECT_TRUE(waitUntil([&] { return taskbar_.dragState(kCursorNo); }));
  drop();
  EXPECT_TRUE(taskbar_.dragState(kCursorArrow)) << "the cursor is restored";
  expectNothingMoved();

  waitPastDoubleClick();
  startDrag(2, taskbar_.button(4));
  moveTo(taskbar_.button(2));  // back onto itself
  drop();
  expectNothingMoved();
}

// Where the button would land: the toolbar's insert mark stands after the target going right and
// before it going left; the tab control's focus moves onto the target.
TEST_P(Shuffla, FeedbackShowsWhereTheButtonWillLand) {
  bool toolbar = GetParam().control == std::wstring(L"toolbar");
  auto shows = [&](int target, bool after) {
    return waitUntil([&] {
      if (toolbar) return taskbar_.insertMark() == std::pair{target, after};
      DWORD_PTR focus = 0;
      SendMessageTimeoutW(taskbar_.control(), TCM_GETCURFOCUS, 0, 0, SMTO_NORMAL, 5000, &focus);
      return target == -1 || static_cast<int>(focus) == target;  // no target: the focus stays
    });
  };
  startDrag(1, taskbar_.button(4));
  EXPECT_TRUE(shows(4, true));
  moveTo(taskbar_.button(0));
  EXPECT_TRUE(shows(0, false));
  moveTo(kEmptyDesktop);
  EXPECT_TRUE(shows(-1, false));
  moveTo(taskbar_.button(3));
  EXPECT_TRUE(shows(3, true));
  drop();
  if (toolbar) {
    EXPECT_EQ(taskbar_.insertMark().first, -1) << "removed at the drop";
  }
  EXPECT_TRUE(waitUntil([&] { return taskbar_.order() == std::vector<int>{0, 2, 3, 1, 4, 5}; }));
}

// Buttons that go away while the pointer is held: the drop moves nothing when the buttons it
// knows are no longer where the drag saw them, and still moves when only others went.
TEST_P(Shuffla, WindowClosedDuringTheDrag) {
  startDrag(4, taskbar_.button(5));
  taskbar_.ask(kCloseApp, 0);  // both indices now stand for other windows, 5 for none
  ASSERT_EQ(taskbar_.ask(kButtonCount), 5);
  drop();
  waitPastDoubleClick();
  EXPECT_EQ(taskbar_.order(), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(taskbar_.countSinceMark("DeleteTab"), 0u);

  startDrag(0, taskbar_.button(2));  // window 1 onto window 3
  taskbar_.ask(kCloseApp, 5);        // behind both
  drop();
  EXPECT_TRUE(waitUntil([&] {
    return taskbar_.order() == std::vector<int>{2, 3, 1, 4};
  })) << ::testing::PrintToString(taskbar_.order());
}

// The dragged window closes while its button stays, the shell not having noticed yet: by the
// drop its handle may name another window, so nothing at all is taken off or put back.
TEST_P(Shuffla, DraggedWindowClosedWhileItsButtonStaysMovesNothing) {
  startDrag(1, taskbar_.button(4));
  ASSERT_EQ(taskbar_.ask(kCloseAppKeepButton, 1), 1);
  drop();
  EXPECT_EQ(taskbar_.order(), (std::vector<int>{0, -1, 2, 3, 4, 5}));
  EXPECT_EQ(taskbar_.countSinceMark("DeleteTab"), 0u);
  EXPECT_EQ(taskbar_.countSinceMark("AddTab"), 0u);
}

TEST_P(Shuffla, NotInUseTheTaskbarBehavesNormally) {
  plugin_->setUse(false);
  taskbar_.mark();
  pressAt(taskbar_.button(2), 1);
  ASSERT_TRUE(taskbar_.waitSinceMark("control LBUTTONDOWN"));
  moveTo(taskbar_.button(4));
  releaseAt(taskbar_.button(4), 1);
  EXPECT_TRUE(taskbar_.waitSinceMark("control LBUTTONUP"));
  EXPECT_FALSE(taskbar_.dragState(kDragImageUp));
  EXPECT_EQ(taskbar_.order(), kSixInOrder);
  EXPECT_EQ(taskbar_.countSinceMark("DeleteTab"), 0u);
  EXPECT_TRUE(subclassed()) << "the subclass stays in place";
  plugin_->setUse(true);
}

// Switched off or stopped in the middle of a drag: the drag is given up at once (its image gone,
// the capture let go), nothing moves, and the release reaches the control as a plain click's.
TEST_P(Shuffla, SwitchedOffOrStoppedMidDragGivesTheDragUp) {
  for (bool stop : {false, true}) {
    startDrag(1, taskbar_.button(4));
    stop ? (void)plugin_->stop() : (void)plugin_->setUse(false);
    moveTo(taskbar_.button(3));
    EXPECT_TRUE(waitUntil([&] { return !taskbar_.dragState(kDragImageUp); })) << stop;
    releaseAt(taskbar_.button(3), 1);
    held_ = false;
    EXPECT_TRUE(taskbar_.waitSinceMark("control LBUTTONUP")) << stop;
    EXPECT_EQ(taskbar_.order(), kSixInOrder) << stop;
    EXPECT_EQ(taskbar_.countSinceMark("DeleteTab"), 0u) << stop;
    stop ? (void)plugin_->start() : (void)plugin_->setUse(true);
    ASSERT_TRUE(waitUntil([&] { return subclassed(); }));
    waitPastDoubleClick();
  }
}

TEST_P(Shuffla, StopRestoresTheControlAndStartAttachesAfresh) {
  ASSERT_TRUE(plugin_->stop());
  EXPECT_FALSE(subclassed());
  EXPECT_FALSE(plugin_->stop()) << "no hook left";
  taskbar_.mark();
  click(taskbar_.button(2).x, taskbar_.button(2).y);
  EXPECT_TRUE(taskbar_.waitSinceMark(GetParam().clickLine)) << "the control works on its own";

  waitPastDoubleClick();
  ASSERT_TRUE(plugin_->start());
  ASSERT_TRUE(waitUntil([&] { return subclassed(); }));
  // A fresh drag image list: the drag shows its image again.
  dragAndDrop(1, 4);
  EXPECT_TRUE(waitUntil([&] { return taskbar_.order() == std::vector<int>{0, 2, 3, 4, 1, 5}; }));
}

// stop() gives up on a shell that does not answer (5 s); the library, kept loaded in the shell,
// takes its procedure out of the control at its first message after the shell wakes (7 s).
TEST_P(Shuffla, StopGivesUpOnAShellThatDoesNotAnswerAndTheControlRecovers) {
  taskbar_.mark();
  PostMessageW(taskbar_.taskbar(), kHang, 7000, 0);
  ASSERT_TRUE(taskbar_.waitSinceMark("HANG"));
  EXPECT_TRUE(plugin_->stop());
  EXPECT_FALSE(subclassed());
  EXPECT_EQ(askToUnload(taskbar_.taskbar(), GetParam().library), kLibraryKept);
}

INSTANTIATE_TEST_SUITE_P(Variants, Shuffla, ::testing::Values(kShuffla, kShufflaXP), variantName);

// A toolbar button without a window (a group header of the shell) is no button for the drag:
// neither a target nor a source.
TEST(ShufflaXP, ButtonWithoutWindowIsNoButton) {
  TaskbarFixture taskbar(L"toolbar", 6, true);
  ASSERT_TRUE(taskbar.ready());
  LoadedPlugin plugin(productLibrary(L"ShufflaXP.dll"));
  ASSERT_TRUE(plugin.ok());
  UINT subclass = RegisterWindowMessageW(L"ShufflaXP::UM_SUBCLASS_TASKBAR");
  ASSERT_TRUE(waitUntil([&] {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(taskbar.control(), subclass, 0, 0, SMTO_NORMAL, 5000, &answer);
    return answer == 223;
  }));
  const std::vector<int> unchanged{0, 1, 2, 3, 4, 5, -1};
  ASSERT_EQ(taskbar.order(), unchanged);
  auto moveTo = [](POINT to) {
    xdotool("mousemove " + std::to_string(to.x) + " " + std::to_string(to.y));
  };

  taskbar.mark();
  pressAt(taskbar.button(1), 1);
  ASSERT_TRUE(taskbar.waitSinceMark("control LBUTTONDOWN"));
  moveTo(taskbar.button(4));
  EXPECT_TRUE(waitUntil([&] { return taskbar.dragState(kDragImageUp); }));
  moveTo(taskbar.button(6));
  EXPECT_TRUE(waitUntil([&] { return taskbar.dragState(kCursorNo); }));
  EXPECT_EQ(taskbar.insertMark().first, -1);
  xdotool("mouseup 1");
  EXPECT_TRUE(waitUntil([&] { return !taskbar.dragState(kDragImageUp); }));
  EXPECT_EQ(taskbar.order(), unchanged);
  EXPECT_EQ(taskbar.countSinceMark("DeleteTab"), 0u);

  waitPastDoubleClick();
  taskbar.mark();
  pressAt(taskbar.button(6), 1);
  ASSERT_TRUE(taskbar.waitSinceMark("control LBUTTONDOWN"));
  moveTo(taskbar.button(2));
  xdotool("mouseup 1");
  EXPECT_TRUE(taskbar.waitSinceMark("control LBUTTONUP")) << "an ordinary press and release";
  EXPECT_EQ(taskbar.order(), unchanged);
  EXPECT_EQ(taskbar.countSinceMark("DeleteTab"), 0u);
}

// The host re-attaches on the taskbar's re-creation; a live subclass is left as it is.
class ShufflaHost : public ::testing::TestWithParam<Variant> {};

TEST_P(ShufflaHost, TaskbarCreatedReattachesToTheNewControl) {
  const Variant& variant = GetParam();
  TaskbarFixture taskbar(variant.control);
  ASSERT_TRUE(taskbar.ready());
  HostRun host;
  copyFile(productLibrary(variant.library), host.file(variant.library));
  ASSERT_NE(host.startWith("11 " + narrow(variant.library) + "\r\n"), nullptr);
  UINT subclass =
      RegisterWindowMessageW((std::wstring(variant.prefix) + L"::UM_SUBCLASS_TASKBAR").c_str());
  auto answer = [&] {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(taskbar.control(), subclass, 0, 0, SMTO_NORMAL, 5000, &result);
    return result;
  };
  ASSERT_TRUE(waitUntil([&] { return answer() == 223; }));
  auto broadcastTaskbarCreated = [] {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                        SMTO_ABORTIFHUNG, 5000, &ignored);
  };

  HWND first = taskbar.control();
  broadcastTaskbarCreated();
  EXPECT_EQ(answer(), 223u);
  EXPECT_EQ(taskbar.control(), first);

  taskbar.mark();
  PostMessageW(taskbar.taskbar(), kRecreate, 0, 0);
  ASSERT_TRUE(taskbar.waitSinceMark("recreated"));
  ASSERT_TRUE(waitUntil([&] { return taskbar.control() != nullptr; }));
  EXPECT_NE(taskbar.control(), first);
  EXPECT_NE(answer(), 223u) << "a new control is not subclassed by itself";
  broadcastTaskbarCreated();
  ASSERT_TRUE(waitUntil([&] { return answer() == 223; })) << "re-attached";

  // The drag works on the new control.
  taskbar.mark();
  pressAt(taskbar.button(1), 1);
  ASSERT_TRUE(taskbar.waitSinceMark("control LBUTTONDOWN"));
  xdotool("mousemove " + std::to_string(taskbar.button(4).x) + " " +
          std::to_string(taskbar.button(4).y));
  EXPECT_TRUE(waitUntil([&] { return taskbar.dragState(kDragImageUp); }));
  xdotool("mouseup 1");
  EXPECT_TRUE(waitUntil([&] { return taskbar.order() == std::vector<int>{0, 2, 3, 4, 1, 5}; }));

  ASSERT_TRUE(host.quit());
  EXPECT_NE(answer(), 223u) << "the host's stop put the control's procedure back";
}

INSTANTIATE_TEST_SUITE_P(Variants, ShufflaHost, ::testing::Values(kShuffla, kShufflaXP),
                         variantName);

// Without its control a library refuses to start and leaves no hook behind.
struct Refusal {
  Variant variant;
  const wchar_t* control;  // the fixture's --control, or null for Wine's own taskbar
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
  *out << narrow(refusal.variant.prefix) << " on "
       << (refusal.control ? narrow(refusal.control) : std::string("Wine's taskbar"));
}

class ShufflaStart : public ::testing::TestWithParam<Refusal> {};

TEST_P(ShufflaStart, RefusesWithoutItsControl) {
  std::optional<TaskbarFixture> taskbar;
  if (GetParam().control != nullptr) {
    taskbar.emplace(GetParam().control);
    ASSERT_TRUE(taskbar->ready());
  }
  LoadedPlugin plugin(productLibrary(GetParam().variant.library), false);
  ASSERT_NE(plugin.get(), nullptr);
  EXPECT_FALSE(plugin->start());
  EXPECT_FALSE(plugin->stop()) << "a hook was installed";
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ShufflaStart,
    ::testing::Values(Refusal{kShuffla, L"none"}, Refusal{kShuffla, L"toolbar"},
                      Refusal{kShuffla, nullptr}, Refusal{kShufflaXP, L"none"},
                      Refusal{kShufflaXP, L"tab"}, Refusal{kShufflaXP, nullptr}),
    [](const ::testing::TestParamInfo<Refusal>& info) {
      return narrow(info.param.variant.prefix) + "_" +
             (info.param.control ? narrow(info.param.control) : std::string("wine"));
    });

}  // namespace
}  // namespace tov::test
