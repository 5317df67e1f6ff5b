// Colfit, ColfitXP, Widex and WidexXP under Wine: real double clicks on the sizing corner of
// fixture folder windows holding a real file list, and folder windows made while Colfit runs.
// Sizes are read from outside; the list's own count of the items it shows fully
// (LVM_GETCOUNTPERPAGE) tells whether it was sized for the items it should be.
#include <gtest/gtest.h>

#include "host_support.h"
#include "plugin_support.h"
//
#include <commctrl.h>

#include <cstdlib>
#include <memory>

namespace tov::test {
namespace {

RECT rectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

bool sameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

RECT workArea() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// The list of window `index`, from the fixture's log.
HWND listOf(const Fixture& fixture, std::size_t index) {
  const std::string prefix = std::to_string(index) + " list ";
  for (const std::string& line : fixture.lines()) {
    if (line.rfind(prefix, 0) == 0)
      return reinterpret_cast<HWND>(std::strtoull(line.c_str() + prefix.size(), nullptr, 16));
  }
  return nullptr;
}

int countPerPage(HWND list) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(list, LVM_GETCOUNTPERPAGE, 0, 0, SMTO_NORMAL, 2000, &result);
  return static_cast<int>(result);
}

// The lower-right sizing corner, looked for inwards from the window's corner.
POINT cornerOf(HWND window) {
  RECT rect = rectOf(window);
  for (int inset = 1; inset < 12; ++inset) {
    POINT point{rect.right - inset, rect.bottom - inset};
    DWORD_PTR hit = HTNOWHERE;
    SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y), SMTO_NORMAL, 2000,
                        &hit);
    if (hit == HTBOTTOMRIGHT) return point;
  }
  ADD_FAILURE() << "no sizing corner";
  return POINT{rect.right - 2, rect.bottom - 2};
}

// A double click on the corner, then a click inside the window once the first has surely been
// taken: when the click arrives (`clicked` in the log), whatever the double click did is done.
void doubleClickCorner(const Fixture& fixture, HWND window, const std::string& clicked) {
  POINT corner = cornerOf(window);
  std::size_t seen = countLines(fixture.lines(), clicked);
  xdotool("mousemove " + std::to_string(corner.x) + " " + std::to_string(corner.y) +
          " click --repeat 2 --delay 80 1");
  waitPastDoubleClick();
  clickAt(*hitTestPoint(window, HTCLIENT), 1);
  EXPECT_TRUE(waitUntil([&] { return countLines(fixture.lines(), clicked) > seen; })) << clicked;
  waitPastDoubleClick();
}

// Whether the list shows about `n` items. Wine's list view answers the size estimates a little
// short: in details view without the header, in list view without the last, partly filled
// column. So the list shows at least three quarters of them (and far fewer than twice as many).
void shows(HWND list, int n) {
  int shown = countPerPage(list);
  EXPECT_GE(shown, n * 3 / 4) << "sized for " << n;
  EXPECT_LE(shown, n * 2 + 2) << "sized for " << n;
}

// A log name of its own for each fixture: a log of an ended fixture may linger a while.
std::wstring logName() {
  static int made = 0;
  return L"fixture" + std::to_wstring(++made);
}

std::wstring folder(const std::wstring& place, const std::wstring& options,
                    const std::wstring& windowClass = L"CabinetWClass") {
  return place + L":class=" + windowClass + L":" + options;
}

// Colfit's fit of a new folder window comes a little after the window is made, with its list in
// place: the corner's own cases have it switched off meanwhile.
struct CreationFitOff {
  explicit CreationFitOff(LoadedPlugin& plugin) : plugin(plugin) { flip(); }
  ~CreationFitOff() { flip(); }
  void flip() {
    if (plugin.get() != nullptr && !plugin.menuItems().empty()) plugin->onCommand(4, 0);
  }
  LoadedPlugin& plugin;
};

// ---- The corner double click -------------------------------------------------------------

struct CornerCase {
  const wchar_t* library;
  const wchar_t* windowClass;
  const wchar_t* list;  // the fixture's list options
  int sizedFor;         // items the list must then show
};

std::ostream& operator<<(std::ostream& out, const CornerCase& c) {
  return out << narrow(c.library) << " " << narrow(c.windowClass) << " " << narrow(c.list);
}

class ExplorerFitCorner : public ::testing::TestWithParam<CornerCase> {};

TEST_P(ExplorerFitCorner, SizesTheListForItsItems) {
  const CornerCase& c = GetParam();
  LoadedPlugin plugin(productLibrary(c.library));
  ASSERT_TRUE(plugin.ok());
  CreationFitOff creationFitOff(plugin);
  Fixture fixture(logName(), {folder(L"200,150,420,260", c.list, c.windowClass)});
  ASSERT_TRUE(fixture.ready());
  HWND window = fixture.window(0);
  HWND list = listOf(fixture, 0);
  RECT before = rectOf(window);
  fixture.mark();
  doubleClickCorner(fixture, window, "0.list LBUTTONDOWN");
  RECT after = rectOf(window);
  EXPECT_FALSE(sameRect(before, after));
  EXPECT_FALSE(fixture.sawSinceMark("NCLBUTTONDBLCLK")) << "the double click is taken";
  RECT work = workArea();
  EXPECT_GE(after.left, work.left);
  EXPECT_GE(after.top, work.top);
  EXPECT_LE(after.right, work.right);
  EXPECT_LE(after.bottom, work.bottom);
  shows(list, c.sizedFor);
}

INSTANTIATE_TEST_SUITE_P(
    Views, ExplorerFitCorner,
    ::testing::Values(CornerCase{L"Colfit.dll", L"CabinetWClass", L"list=report:items=3", 15},
                      CornerCase{L"Colfit.dll", L"ExploreWClass", L"list=report", 10},
                      CornerCase{L"Colfit.dll", L"ExploreWClass", L"list=list:items=200", 200},
                      CornerCase{L"ColfitXP.dll", L"CabinetWClass", L"list=report:items=40", 40},
                      CornerCase{L"ColfitXP.dll", L"ExploreWClass", L"list=report:noheader:items=3",
                                 15},
                      CornerCase{L"Widex.dll", L"CabinetWClass", L"list=report:items=3", 3},
                      CornerCase{L"WidexXP.dll", L"CabinetWClass", L"list=list:items=40", 40}));

// ---- Growing by the step, and the limits of the work area ---------------------------------

class ColfitTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plugin_.ok()); }
  // A folder window in report view with `items` items, and where it is after a corner fit.
  RECT fitted(const std::wstring& place, int items, Fixture** made = nullptr) {
    fixture_.reset(
        new Fixture(logName(), {folder(place, L"list=report:items=" + std::to_wstring(items))}));
    EXPECT_TRUE(fixture_->ready());
    if (made != nullptr) *made = fixture_.get();
    doubleClickCorner(*fixture_, fixture_->window(0), "0.list LBUTTONDOWN");
    return rectOf(fixture_->window(0));
  }
  std::wstring at(int x, int y, int width, int height) {
    return std::to_wstring(x) + L"," + std::to_wstring(y) + L"," + std::to_wstring(width) + L"," +
           std::to_wstring(height);
  }

  LoadedPlugin plugin_{productLibrary(L"Colfit.dll")};
  CreationFitOff creationFitOff_{plugin_};
  std::unique_ptr<Fixture> fixture_;
  RECT work_ = workArea();
};

TEST_F(ColfitTest, AFittingWindowGrowsByFiveItemsAndTheNextDoubleClickFitsItBack) {
  Fixture* fixture = nullptr;
  RECT fit = fitted(L"200,150,420,260", 3, &fixture);
  HWND window = fixture->window(0);
  HWND list = listOf(*fixture, 0);
  int shown = countPerPage(list);
  doubleClickCorner(*fixture, window, "0.list LBUTTONDOWN");
  RECT grown = rectOf(window);
  EXPECT_EQ(grown.left, fit.left);
  EXPECT_EQ(grown.top, fit.top);
  EXPECT_EQ(grown.right, fit.right);
  EXPECT_EQ(countPerPage(list), shown + 5);
  doubleClickCorner(*fixture, window, "0.list LBUTTONDOWN");
  EXPECT_TRUE(sameRect(rectOf(window), fit));
}

TEST_F(ColfitTest, AWindowOnTheBottomEdgeGrowsUpwardsAndAtMostToTheWholeHeight) {
  RECT free = fitted(L"200,150,420,260", 40);
  int height = free.bottom - free.top;
  ASSERT_LT(height, work_.bottom - work_.top);
  RECT up = fitted(at(200, work_.bottom - 260, 420, 260), 40);
  EXPECT_EQ(up.bottom, work_.bottom);
  EXPECT_EQ(up.top, work_.bottom - height);
  EXPECT_EQ(up.right - up.left, free.right - free.left);
  // Too many for the screen: all of its height, and room for the scroll bar.
  RECT full = fitted(at(200, work_.bottom - 260, 420, 260), 200);
  EXPECT_EQ(full.top, work_.top);
  EXPECT_EQ(full.bottom, work_.bottom);
  EXPECT_EQ(full.right - full.left, free.right - free.left + GetSystemMetrics(SM_CXVSCROLL));
}

// List view: 200 items make the window wider than the 420 it starts with.
TEST_F(ColfitTest, AWindowOnTheRightEdgeMovesLeftAndOneNearItIsCut) {
  auto fitList = [&](int x) {
    fixture_.reset(new Fixture(logName(), {folder(at(x, 100, 420, 300), L"list=list:items=200")}));
    EXPECT_TRUE(fixture_->ready());
    doubleClickCorner(*fixture_, fixture_->window(0), "0.list LBUTTONDOWN");
    return rectOf(fixture_->window(0));
  };
  RECT free = fitList(100);
  int width = free.right - free.left;
  ASSERT_GT(width, 500);
  RECT moved = fitList(work_.right - 420);
  EXPECT_EQ(moved.right, work_.right);
  EXPECT_EQ(moved.left, work_.right - width);
  RECT cut = fitList(work_.right - 500);
  EXPECT_EQ(cut.left, work_.right - 500);
  EXPECT_EQ(cut.right, work_.right);
}

// ---- Which double clicks are taken ---------------------------------------------------------

struct LeftAloneCase {
  const wchar_t* library;
  const wchar_t* layout;
  bool taken;  // the double click is swallowed
  bool inUse = true;
  bool besideFolderWindow = false;  // a folder window of the same thread puts the hooks there
};

std::ostream& operator<<(std::ostream& out, const LeftAloneCase& c) {
  return out << narrow(c.library) << " " << narrow(c.layout) << (c.inUse ? "" : " not in use");
}

class ExplorerFitLeftAlone : public ::testing::TestWithParam<LeftAloneCase> {};

TEST_P(ExplorerFitLeftAlone, WindowKeepsItsSize) {
  const LeftAloneCase& c = GetParam();
  LoadedPlugin plugin(productLibrary(c.library));
  ASSERT_TRUE(plugin.ok());
  plugin->setUse(c.inUse);
  std::vector<std::wstring> layouts = {c.layout};
  if (c.besideFolderWindow) layouts.push_back(L"700,150,300,200:class=CabinetWClass");
  Fixture fixture(logName(), layouts);
  ASSERT_TRUE(fixture.ready());
  HWND window = fixture.window(0);
  RECT before = rectOf(window);
  fixture.mark();
  bool folderWindow = listOf(fixture, 0) != nullptr;
  doubleClickCorner(fixture, window, folderWindow ? "0.list LBUTTONDOWN" : "0 LBUTTONDOWN");
  EXPECT_TRUE(sameRect(before, rectOf(window)));
  EXPECT_EQ(fixture.sawSinceMark("0 NCLBUTTONDBLCLK " + hitCode(HTBOTTOMRIGHT)), !c.taken);
  plugin->setUse(true);  // the flag outlives this copy of the library under Wine
}

constexpr wchar_t kIcons[] = L"200,150,420,260:class=CabinetWClass:list=icon:items=3";
constexpr wchar_t kSmallIcons[] = L"200,150,420,260:class=ExploreWClass:list=smallicon:items=3";
constexpr wchar_t kDetails[] = L"200,150,420,260:class=CabinetWClass:list=report:items=3";
constexpr wchar_t kPlain[] = L"200,150,420,260";

INSTANTIATE_TEST_SUITE_P(
    Windows, ExplorerFitLeftAlone,
    ::testing::Values(
        // views the variant does not handle: a folder window's double click is still taken
        LeftAloneCase{L"Colfit.dll", kIcons, true}, LeftAloneCase{L"Colfit.dll", kSmallIcons, true},
        LeftAloneCase{L"ColfitXP.dll", kIcons, true}, LeftAloneCase{L"Widex.dll", kIcons, true},
        // other windows: Colfit takes every corner double click on a folder window's thread,
        // Widex only a folder window's
        LeftAloneCase{L"Colfit.dll", kPlain, true, true, true},
        LeftAloneCase{L"ColfitXP.dll", L"200,150,420,260:class=CabinetWClass", true},
        LeftAloneCase{L"Widex.dll", kPlain, false, true, true},
        // (Wine's own folder windows' class is not a folder window's)
        LeftAloneCase{L"WidexXP.dll", L"200,150,420,260:class=ExplorerWClass:list=report", false},
        // not in use
        LeftAloneCase{L"Colfit.dll", kDetails, false, false},
        LeftAloneCase{L"Widex.dll", kDetails, false, false}));

// ---- New folder windows ----------------------------------------------------------------------

TEST(ColfitCreation, NewFolderWindowsAreSizedForFortyUnlessSwitchedOff) {
  LoadedPlugin plugin(productLibrary(L"Colfit.dll"));
  ASSERT_TRUE(plugin.ok());
  auto items = plugin.menuItems();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].text, L"Resize on Exp. creation");
  EXPECT_EQ(items[0].id, 1004u);
  EXPECT_TRUE(items[0].checked);

  const std::wstring place = L"200,150,420,260";
  {
    Fixture fixture(logName(), {folder(place, L"list=report:items=3:early")});
    ASSERT_TRUE(fixture.ready());
    HWND list = listOf(fixture, 0);
    ASSERT_TRUE(waitUntil([&] { return countPerPage(list) >= 30; })) << countPerPage(list);
    shows(list, 40);
  }

  EXPECT_TRUE(plugin->onCommand(4, 0));
  items = plugin.menuItems();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_FALSE(items[0].checked);
  {
    Fixture fixture(logName(), {folder(place, L"list=report:items=3:early", L"ExploreWClass")});
    ASSERT_TRUE(fixture.ready());
    fixture.settle();
    RECT rect = rectOf(fixture.window(0));
    EXPECT_EQ(rect.right - rect.left, 420);
    EXPECT_EQ(rect.bottom - rect.top, 260);
  }
  EXPECT_TRUE(plugin->onCommand(4, 0));
  EXPECT_TRUE(plugin.menuItems()[0].checked);
  for (int offset : {0, 1, 2, 3, 5}) EXPECT_FALSE(plugin->onCommand(offset, 0)) << offset;
}

// ---- Only folder windows' threads are hooked ---------------------------------------------------

// The plug-ins that act only in folder windows (Crevo on the desktop too), ids 0 to 4 in TOV, with
// where each keeps its in-use flag in its shared section: after its hook handles.
const std::pair<const wchar_t*, std::size_t> kFolderPlugins[] = {
    {L"Colfit.dll", 2 * sizeof(HHOOK)},
    {L"ColfitXP.dll", 2 * sizeof(HHOOK)},
    {L"Widex.dll", sizeof(HHOOK)},
    {L"WidexXP.dll", sizeof(HHOOK)},
    {L"Crevo.dll", sizeof(HHOOK)}};

// TOV with the five: a folder window of a program started later is fitted as it opens and at its
// corner and takes Ctrl+K; a program without one never loads them; switched off, and after TOV
// quit, no hook of theirs is left (their flags set in the shared section, which a hook left
// behind would read, change nothing).
TEST(FolderWindowPlugins, HookOnlyTheThreadsOfFolderWindows) {
  HostRun host;
  std::string hookOrder;
  for (auto [library, inUseAt] : kFolderPlugins) {
    ASSERT_TRUE(copyFile(productLibrary(library), host.file(library)));
    hookOrder += "10 " + narrow(library) + "\r\n";
  }
  ASSERT_TRUE(host.startWith(hookOrder));
  Fixture plain(logName(), {L"700,200,400,300"});
  Fixture folders(logName(), {folder(L"100,150,420,260", L"list=report:items=3:early")});
  ASSERT_TRUE(plain.ready() && folders.ready());
  EXPECT_TRUE(waitUntil([&] { return countPerPage(listOf(folders, 0)) >= 30; })) << "not fitted";

  // A corner double click, then Ctrl+K: whether the plug-ins took them.
  auto use = [&](Fixture& fixture, const std::string& clicked, bool taken) {
    HWND used = fixture.window(0);
    RECT before = rectOf(used);
    fixture.mark();
    doubleClickCorner(fixture, used, clicked);
    EXPECT_EQ(fixture.sawSinceMark("0 NCLBUTTONDBLCLK"), !taken);
    EXPECT_EQ(sameRect(before, rectOf(used)), !taken);
    clickAt(*hitTestPoint(used, HTCAPTION), 1);
    xdotool("keydown ctrl keydown k keyup k keyup ctrl");
    EXPECT_TRUE(fixture.waitForLine(taken ? "KEYUP 46" : "KEYDOWN 4B"));
  };
  use(plain, "0 LBUTTONDOWN", false);
  use(folders, "0.list LBUTTONDOWN", true);
  std::vector<HMODULE> libraries;
  for (auto [library, inUseAt] : kFolderPlugins) {
    EXPECT_FALSE(hasLoaded(plain.processId(), library)) << narrow(library);
    EXPECT_TRUE(hasLoaded(folders.processId(), library)) << narrow(library);
    host.pluginCommand(static_cast<int>(libraries.size()), kOffsetToggleUse);
    libraries.push_back(LoadLibraryW(host.file(library).c_str()));
    auto* shared = libraries.back() != nullptr
                       ? static_cast<BYTE*>(sharedSectionOf(libraries.back()))
                       : nullptr;
    ASSERT_NE(shared, nullptr);
    *reinterpret_cast<bool*>(shared + inUseAt) = true;
  }
  use(folders, "0.list LBUTTONDOWN", false);
  EXPECT_TRUE(host.quit());
  use(folders, "0.list LBUTTONDOWN", false);
  for (HMODULE library : libraries) FreeLibrary(library);
}

}  // namespace
}  // namespace tov::test
