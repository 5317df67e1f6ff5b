// Chromal: colours the file list and folder tree of folder windows and the desktop per folder,
// from the rules of Chromal.conf. The host sets the colours with the views' own colour messages;
// a hook in every program notices the shell setting its own colours and asks the host, by a
// posted command, to put Chromal's back. "Paint sample" draws the rules on the screen.
#include <windows.h>

#include <commctrl.h>
#include <plugin_frame.h>
#include <text_file.h>
#include <window_facts.h>

#include <utility>

#include "core/rules.h"

namespace {

using namespace tov::chromal;

struct SharedState {
  HHOOK hHook;
  bool inUse;
  HWND hostWindow;      // where the hook posts its command
  LONG refreshCommand;  // command base + kRefreshOffset, once initialised
};

TOV_SHARED constinit SharedState state = {nullptr, true, nullptr, -1};

enum ChromalOffset : int {
  kReloadOffset = 4,
  kPaintSampleOffset = 5,
  kRefreshOffset = 6,  // posted by the hook with the folder window
};

// Every colour message Chromal sends carries this in wParam, which the views ignore: it is how
// the hook tells Chromal's own messages from the shell's, so that they cause no refresh.
constexpr WPARAM kOwnMarker = 666;

// A folder window whose thread does not answer within this time is given up: the colours are
// sent from the host's only thread, which must never hang with another program.
constexpr UINT kSendTimeoutMs = 1000;

constexpr int kClassCapacity = 20;  // enough for every class name compared here

bool classIs(HWND window, bool (*test)(const wchar_t*)) {
  wchar_t name[kClassCapacity];
  if (GetClassNameW(window, name, kClassCapacity) == 0) return false;
  return test(name);
}

// A folder window or the desktop. The desktop's list may hang under a top-level "WorkerW" rather
// than "Progman" (Windows 10 moves it there once a slideshow or Task View has run).
bool isColouredWindow(HWND window) {
  wchar_t name[kClassCapacity];
  if (GetClassNameW(window, name, kClassCapacity) == 0) return false;
  return isColouredWindowClass(name) || tov::isDesktopWindow(window, name);
}

LRESULT CALLBACK callWndProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && state.inUse) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (isColourMessage(sent->message) && sent->wParam != kOwnMarker &&
        classIs(sent->hwnd, isViewClass)) {
      HWND root = GetAncestor(sent->hwnd, GA_ROOTOWNER);
      if (root != nullptr && isColouredWindow(root)) {
        // The shell's colour still reaches the view (this hook cannot stop it), well before the
        // host gets to the posted command. One refresh per change of colours is enough: only the
        // list's text colour asks for it.
        if (sent->message == LVM_SETTEXTCOLOR) {
          PostMessageW(state.hostWindow, WM_COMMAND, static_cast<WPARAM>(state.refreshCommand),
                       reinterpret_cast<LPARAM>(root));
        }
        return 0;
      }
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
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

struct DescendantSearch {
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK findClass(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DescendantSearch*>(param);
  wchar_t name[256];
  if (GetClassNameW(window, name, 256) != 0 && lstrcmpW(name, search->className) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND firstDescendant(HWND window, const wchar_t* className) {
  DescendantSearch search{className, nullptr};
  EnumChildWindows(window, findClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The folder tree of a folder window. From Windows Vista on it sits deep inside the window, in a
// "NamespaceTreeControl", and on Windows 11 each tab ("ShellTabWindowClass") has its own: only the
// shown tab's counts.
struct FolderTree {
  HWND tree;
  bool inNamespaceControl;
};

// Longer than every name compared, so that a longer name with the same beginning does not pass.
bool classNameIs(HWND window, const wchar_t* className) {
  constexpr int kCapacity = 32;
  wchar_t name[kCapacity];
  return GetClassNameW(window, name, kCapacity) != 0 && lstrcmpW(name, className) == 0;
}

bool inHiddenTab(HWND view, HWND window) {
  for (HWND above = GetAncestor(view, GA_PARENT); above != nullptr && above != window;
       above = GetAncestor(above, GA_PARENT)) {
    if (classNameIs(above, L"ShellTabWindowClass") &&
        (GetWindowLongW(above, GWL_STYLE) & WS_VISIBLE) == 0)
      return true;
  }
  return false;
}

struct TreeSearch {
  HWND window;
  HWND found;
};

BOOL CALLBACK findShownTree(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<TreeSearch*>(param);
  if (!classNameIs(child, L"SysTreeView32") || inHiddenTab(child, search->window)) return TRUE;
  search->found = child;
  return FALSE;
}

FolderTree folderTree(HWND window) {
  TreeSearch search{window, nullptr};
  EnumChildWindows(window, findShownTree, reinterpret_cast<LPARAM>(&search));
  return {search.found, search.found != nullptr && classNameIs(GetAncestor(search.found, GA_PARENT),
                                                               L"NamespaceTreeControl")};
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

class Chromal final : public tov::CommandPlugin {
 public:
  Chromal(int pluginId, IPluginHost* pluginHost)
      : CommandPlugin(L"Chromal", pluginId, pluginHost) {}

  bool initialize() override {
    state.refreshCommand = getCommandBase() + kRefreshOffset;
    return setCommand(kReloadOffset, static_cast<Handler>(&Chromal::onReload)) &&
           setCommand(kPaintSampleOffset, static_cast<Handler>(&Chromal::onPaintSample)) &&
           setCommand(kRefreshOffset, static_cast<Handler>(&Chromal::onRefresh));
  }

  HMENU createMenu() override {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return nullptr;
    if (!AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(getCommandBase() + kReloadOffset),
                     L"Reload Settings") ||
        !AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(getCommandBase() + kPaintSampleOffset),
                     L"Paint sample")) {
      DestroyMenu(menu);
      return nullptr;
    }
    return menu;
  }

  bool start() override {
    if (!tov::startHook(state.hHook, WH_CALLWNDPROC, callWndProcedure)) return false;
    if (state.inUse) {
      reloadSettings();
      applyToAllWindows();
    }
    return true;
  }

  bool stop() override {
    installSwitchedOffRule();
    applyToAllWindows();
    return tov::stopHook(state.hHook);
  }

  bool setUse(bool use) override {
    if (use == state.inUse) return state.inUse;
    state.inUse = true;
    if (use) {
      reloadSettings();
    } else {
      installSwitchedOffRule();
    }
    applyToAllWindows();
    state.inUse = use;
    return state.inUse;
  }

  bool isUse() override { return state.inUse; }

 private:
  bool onReload(LPARAM) {
    reloadSettings();
    applyToAllWindows();
    return true;
  }

  bool onPaintSample(LPARAM) {
    paintSample();
    return true;
  }

  // Anyone can post this command to the host's window: act only on a folder window or the
  // desktop that exists now, as the hook would have named.
  bool onRefresh(LPARAM param) {
    HWND window = reinterpret_cast<HWND>(param);
    if (window == nullptr || !IsWindow(window) || !isColouredWindow(window)) {
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

  static BOOL CALLBACK applyIfColoured(HWND window, LPARAM param) {
    if (isColouredWindow(window)) reinterpret_cast<Chromal*>(param)->applyColours(window);
    return TRUE;
  }

  void applyToAllWindows() { EnumWindows(applyIfColoured, reinterpret_cast<LPARAM>(this)); }

  void applyColours(HWND window) {
    wchar_t className[MAX_PATH];
    if (GetClassNameW(window, className, MAX_PATH) == 0) className[0] = L'\0';
    if (rules_.empty()) return;
    bool desktop = isDesktopClass(className) || tov::isDesktopWindow(window, className);
    wchar_t folder[MAX_PATH];
    bool found = !desktop && host->getExplorerFolder(window, folder);
    folder[MAX_PATH - 1] = L'\0';
    const Rule& rule =
        rules_[chooseRule(rules_, desktop, found ? folder : nullptr, userLocaleCapital)];

    auto [tree, inNamespaceControl] = folderTree(window);
    HWND list = firstDescendant(window, L"SysListView32");
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
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return;
    HFONT font =
        CreateFontW(0, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS,
                    CLIP_STROKE_PRECIS, DRAFT_QUALITY, FF_MODERN | VARIABLE_PITCH, L"FixedSys");
    HGDIOBJ previous = font != nullptr ? SelectObject(screen, font) : nullptr;
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
    if (previous != nullptr) SelectObject(screen, previous);
    if (font != nullptr) DeleteObject(font);
    ReleaseDC(nullptr, screen);
  }

  static constexpr int kSampleLeft = 100;

  RuleTable rules_;
};

}  // namespace

// The hook needs the host's window before any program can run it.
extern "C" IPlugin* WINAPI createInstance(IPluginHost* host, int id) {
  if (host == nullptr) return nullptr;
  state.hostWindow = host->getMainWindow();
  return tov::createPlugin<Chromal>(id, host);
}
