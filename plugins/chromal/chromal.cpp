// Chromal: colours the file list and folder tree of folder windows and the desktop per folder,
// from the rules of Chromal.conf. The host sets the colours with the views' own colour messages;
// a hook on the threads of those windows notices the shell setting its own colours and asks the
// host, by a posted command, to put Chromal's back. "Paint sample" draws the rules on the screen.
#include <windows.h>

#include <commctrl.h>
#include <plugin_frame.h>
#include <scoped_win.h>
#include <text_file.h>
#include <window_classes.h>
#include <window_facts.h>

#include <utility>

#include "core/rules.h"
#include "thread_hooks.h"

namespace {

using namespace tov::chromal;

struct SharedState {
  HHOOK hHook;  // stays null: the hooks are per thread, and only the host keeps their handles
  bool inUse;
  // Neither read nor written any more: a window and a command any program could write here would
  // have the hook post whatever command to whatever window. The hook posts to TOV through its
  // session block (postToHost).
  HWND hostWindow;
  LONG refreshCommand;
};

TOV_SHARED constinit SharedState state = {nullptr, true, nullptr, -1};

constexpr wchar_t kName[] = L"Chromal";

enum ChromalOffset : int {
  kReloadOffset = 4,
  kPaintSampleOffset = 5,
  kRefreshOffset = 6,     // posted by the hook with the folder window
  kWindowGoneOffset = 7,  // posted by the hook with a watched window that is being destroyed
};

// Every colour message Chromal sends carries this in wParam, which the views ignore: it is how
// the hook tells Chromal's own messages from the shell's, so that they cause no refresh.
constexpr WPARAM kOwnMarker = 666;

// A folder window whose thread does not answer within this time is given up: the colours are
// sent from the host's only thread, which must never hang with another program.
constexpr UINT kSendTimeoutMs = 1000;

bool isView(HWND window) { return isViewClass(tov::ClassName(window).get()); }

// A folder window or the desktop. The desktop's list may hang under a top-level "WorkerW" rather
// than "Progman" (Windows 10 moves it there once a slideshow or Task View has run).
bool isColouredWindow(HWND window) {
  tov::ClassName name(window);
  return isColouredWindowClass(name.get()) || tov::isDesktopWindow(window, name.get());
}

// The folder window or desktop that `window` is, or whose file list or folder tree it is; null
// for every other window.
HWND colouredWindowOf(HWND window) {
  HWND root = GetAncestor(window, GA_ROOTOWNER);
  if (root == nullptr || (root != window && !isView(window))) return nullptr;
  return isColouredWindow(root) ? root : nullptr;
}

LRESULT CALLBACK callWndProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && state.inUse) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent->message == WM_NCDESTROY) {
      // The host drops the window, and this thread's hook once it owns no watched window.
      if (colouredWindowOf(sent->hwnd) != nullptr)
        tov::postToHost(kName, kWindowGoneOffset, reinterpret_cast<LPARAM>(sent->hwnd));
    } else if (isColourMessage(sent->message) && sent->wParam != kOwnMarker && isView(sent->hwnd)) {
      HWND root = GetAncestor(sent->hwnd, GA_ROOTOWNER);
      if (root != nullptr && isColouredWindow(root)) {
        // The shell's colour still reaches the view (this hook cannot stop it), well before the
        // host gets to the posted command. One refresh per change of colours is enough: only the
        // list's text colour asks for it.
        if (sent->message == LVM_SETTEXTCOLOR)
          tov::postToHost(kName, kRefreshOffset, reinterpret_cast<LPARAM>(root));
        return 0;
      }
    }
  }
  // The handle is ignored on Windows NT, and this thread's is the host's alone to know.
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Folder patterns ignore letter case as the user's locale has it (what the C runtime's towupper
// gave once a program adopted that locale), asked of the system, not of the C runtime.
std::wint_t userLocaleCapital(std::wint_t character) {
  wchar_t letter = static_cast<wchar_t>(character);
  wchar_t capital = letter;
  if (LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, &letter, 1, &capital, 1) != 1) {
    return character;
  }
  return static_cast<std::wint_t>(capital);
}

// The folder tree of a folder window. From Windows Vista on it sits deep inside the window, in a
// "NamespaceTreeControl", and on Windows 11 each tab ("ShellTabWindowClass") has its own: only the
// shown tab's counts.
struct FolderTree {
  HWND tree;
  bool inNamespaceControl;
};

FolderTree folderTree(HWND window) {
  HWND tree = tov::firstDescendant(
      window, L"SysTreeView32",
      [](HWND view, LPARAM context) {
        return !tov::inHiddenTab(view, reinterpret_cast<HWND>(context));
      },
      reinterpret_cast<LPARAM>(window));
  return {tree,
          tree != nullptr && tov::hasClass(GetAncestor(tree, GA_PARENT), L"NamespaceTreeControl")};
}

// The views Chromal colours in a folder window or the desktop; the list is null when there is
// none (yet, or at all from Windows Vista on), the tree when there is none.
struct Views {
  HWND tree;
  HWND list;
  bool treeInNamespaceControl;
};

Views viewsOf(HWND window) {
  auto [tree, inNamespaceControl] = folderTree(window);
  return {tree, tov::firstDescendant(window, L"SysListView32"), inNamespaceControl};
}

// Sends one window's colour messages in order; once a view's thread has not answered in time,
// the rest of that window's messages are skipped.
class ColourSender {
 public:
  void send(HWND view, UINT message, std::uint32_t colour) {
    if (gaveUp_ || view == nullptr) return;
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutW(view, message, kOwnMarker, static_cast<LPARAM>(colour),
                            SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored) == 0) {
      gaveUp_ = true;
    }
  }
  bool gaveUp() const { return gaveUp_; }

 private:
  bool gaveUp_ = false;
};

class Chromal final : public tov::SharedPlugin<SharedState, state> {
 public:
  Chromal(int pluginId, IPluginHost* pluginHost) : SharedPlugin(kName, pluginId, pluginHost) {}
  ~Chromal() override { stopWatching(); }

  // The host colours the windows and takes the hook's commands: without a host there is no
  // plug-in.
  bool initialize() override {
    if (host == nullptr) return false;
    return setCommand(kReloadOffset, &Chromal::onReload) &&
           setCommand(kPaintSampleOffset, &Chromal::onPaintSample) &&
           setCommand(kRefreshOffset, &Chromal::onRefresh) &&
           setCommand(kWindowGoneOffset, &Chromal::onWindowGone);
  }

  HMENU createMenu() override {
    return menuOf({{kReloadOffset, L"Reload Settings"}, {kPaintSampleOffset, L"Paint sample"}});
  }

  // Hooks are installed only while in use: the threads of the windows there are now, and of each
  // one that appears later.
  bool start() override {
    started_ = true;
    if (state.inUse) {
      if (!startWatching()) return false;
      reloadSettings();
      applyToAllWindows();
    }
    return true;
  }

  bool stop() override {
    stopWatching();
    installSwitchedOffRule();
    applyToAllWindows();
    return std::exchange(started_, false);
  }

  bool setUse(bool use) override {
    if (use == state.inUse) return state.inUse;
    state.inUse = true;
    if (use) {
      if (started_) startWatching();
      reloadSettings();
    } else {
      stopWatching();
      installSwitchedOffRule();
    }
    applyToAllWindows();
    state.inUse = use;
    return state.inUse;
  }

 private:
  bool onReload(LPARAM) {
    if (events_.started()) watchAll();
    reloadSettings();
    applyToAllWindows();
    return true;
  }

  bool onPaintSample(LPARAM) {
    paintSample();
    return true;
  }

  // Anyone can post this command to the host's window: act only on a folder window or the
  // desktop that exists now, as the hook would have named, and never on one of a program below
  // TOV's integrity level (a sandboxed program's window is no folder window of the shell's).
  bool onRefresh(LPARAM param) {
    HWND window = reinterpret_cast<HWND>(param);
    if (window == nullptr || !IsWindow(window) || !isColouredWindow(window) ||
        !tov::atOurLevelOrAbove(window)) {
      return false;
    }
    applyColours(window);
    return true;
  }

  void reloadSettings() {
    rules_.clear();
    RuleTable fresh;
    if (std::optional<std::string> bytes = tov::readWholeFile(L"Chromal.conf")) {
      fresh = readRules(tov::decodeText(*bytes, tov::localeCodePage()));
    } else {
      MessageBoxW(nullptr, L"Failed to open Chromal.conf.", L"Chromal", MB_OK | MB_ICONWARNING);
    }
    if (fresh.empty()) fresh.push_back(builtInRule());
    rules_ = std::move(fresh);
  }

  void installSwitchedOffRule() {
    rules_.clear();
    rules_.push_back(switchedOffRule());
  }

  using WindowAction = void (Chromal::*)(HWND);
  struct Pass {
    Chromal* self;
    WindowAction action;
  };

  static BOOL CALLBACK runIfColoured(HWND window, LPARAM param) {
    auto* pass = reinterpret_cast<Pass*>(param);
    if (isColouredWindow(window)) (pass->self->*pass->action)(window);
    return TRUE;
  }

  // Every folder window and the desktop.
  void forEachColouredWindow(WindowAction action) {
    Pass pass{this, action};
    EnumWindows(runIfColoured, reinterpret_cast<LPARAM>(&pass));
  }

  void applyToAllWindows() { forEachColouredWindow(&Chromal::applyColours); }

  // ---- Which threads are hooked (thread_hooks.h) ----

  bool startWatching() {
    watcher = this;
    if (!events_.start(onWindowEvent)) return false;
    watchAll();
    return true;
  }

  void stopWatching() {
    events_.stop();
    hooks_.removeAll();
    if (watcher == this) watcher = nullptr;
  }

  void watchAll() {
    hooks_.beginPass();
    forEachColouredWindow(&Chromal::watchWindow);
    hooks_.endPass();
  }

  // Hooks the threads of a folder window or the desktop and of its views; true when one of its
  // views was not watched yet.
  bool watch(HWND window) {
    hooks_.watch(window);
    Views views = viewsOf(window);
    bool tree = hooks_.watch(views.tree);
    bool list = hooks_.watch(views.list);
    return tree || list;
  }
  void watchWindow(HWND window) { watch(window); }

  // A window was created or shown in another program. A new folder window has its thread hooked
  // before its views exist, so the shell's first colours come back at once; a new view of one is
  // coloured now, whatever the shell does.
  static void CALLBACK onWindowEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child,
                                     DWORD, DWORD) {
    if (object != OBJID_WINDOW || child != CHILDID_SELF || watcher == nullptr) return;
    HWND coloured = colouredWindowOf(window);
    if (coloured == nullptr) return;
    watcher->hooks_.forgetGone();
    if (watcher->watch(coloured)) watcher->applyColours(coloured);
  }

  // Posted by the hook as a watched window is destroyed. Anyone can post it: at worst a thread
  // loses its hook early, until the window's next view or the next reload.
  bool onWindowGone(LPARAM param) {
    if (!events_.started()) return false;
    hooks_.forgetGone(reinterpret_cast<HWND>(param));
    return true;
  }

  void applyColours(HWND window) {
    tov::ClassName className(window);
    if (rules_.empty()) return;
    bool desktop = isDesktopClass(className.get()) || tov::isDesktopWindow(window, className.get());
    wchar_t folder[MAX_PATH];
    bool found = !desktop && host->getExplorerFolder(window, folder);
    folder[MAX_PATH - 1] = L'\0';
    const Rule& rule =
        rules_[chooseRule(rules_, desktop, found ? folder : nullptr, userLocaleCapital)];

    auto [tree, list, inNamespaceControl] = viewsOf(window);
    // From Windows Vista on the files are shown by a view without colour messages: the tree of
    // such a window is coloured alone.
    if (list == nullptr && !inNamespaceControl) return;
    SentColours colours = sentColours(rule);
    ColourSender sender;
    sender.send(list, LVM_SETBKCOLOR, colours.back);
    sender.send(tree, TVM_SETBKCOLOR, colours.back);
    sender.send(list, LVM_SETTEXTCOLOR, colours.text);
    sender.send(tree, TVM_SETTEXTCOLOR, colours.text);
    sender.send(tree, TVM_SETLINECOLOR, colours.text);
    sender.send(list, LVM_SETTEXTBKCOLOR, colours.textBack);
    if (list != nullptr && !sender.gaveUp()) InvalidateRect(list, nullptr, TRUE);
  }

  void paintSample() {
    tov::ScopedWindowDc screenDc(nullptr);
    HDC screen = screenDc.get();
    if (screen == nullptr) return;
    tov::ScopedFont font(CreateFontW(0, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                     OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                                     FF_MODERN | VARIABLE_PITCH, L"FixedSys"));
    // Declared after the font, so the screen has its own font back before this one is deleted.
    tov::ScopedSelection selected(screen, font.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    int lineHeight = metrics.tmHeight + 2;
    int y = 0;
    for (const Rule& rule : rules_) {
      std::wstring line = sampleLine(rule);
      SampleInk ink = sampleInk(rule);
      SetTextColor(screen, ink.text);
      if (ink.setsBackground) SetBkColor(screen, ink.background);
      TextOutW(screen, kSampleLeft, y, line.c_str(), static_cast<int>(line.size()));
      y += lineHeight;
    }
  }

  static constexpr int kSampleLeft = 100;

  // The one object that the window events reach (each program has its own copy of this).
  static inline Chromal* watcher = nullptr;

  RuleTable rules_;
  bool started_ = false;
  ThreadHooks hooks_{callWndProcedure};
  WindowEvents events_;
};

}  // namespace

TOV_PLUGIN_EXPORT(Chromal)
