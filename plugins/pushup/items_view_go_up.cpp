#include "items_view_go_up.h"

#include <oleacc.h>

#include <new>

#include <items_view.h>
#include <plugin_frame.h>
#include <scoped_win.h>
#include <system_library.h>
#include <window_facts.h>
#include <window_worker.h>

#include "list_double_click.h"

namespace tov::pushup {

namespace {

// An items view whose double click goes up: in a folder window or a dialog, as for the lists.
bool isGoUpItemsView(HWND view) { return isItemsView(view) && goUpTargetOf(view) != GoUp::kNone; }

void record(ItemsViewPresses& presses, const Press& press, HWND view) {
  presses.lastView = view;
  presses.lastTime = press.time;
  presses.lastPoint = {press.x, press.y};
}

// ---- The host's question to the view --------------------------------------------------------

// The view's own answer must come within this time; a slower view is not double-clicked on its
// background, and the host goes on.
constexpr DWORD kHitTestTimeoutMs = 500;
// Questions still waiting for views that did not answer in time. Each holds a thread until its
// view answers; beyond this many, no new question is asked.
constexpr LONG kMaxOpenQuestions = 3;
LONG openQuestions = 0;  // the host's copy of the library only

// The interface's identifier, written out: MinGW's import library gives a thunk's address, not
// the GUID, when linked statically.
constexpr GUID kAccessibleInterface = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

template <class Function>
Function procedure(HMODULE library, const char* name) {
  if (library == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// From the system folder, and only in the host when it asks: the libraries are not imported, so
// the hook's copies in every program do not load them. The functions come after the libraries
// they are taken from: members start in this order.
class SystemLibraries {
  ScopedModule ole32_{loadSystemLibrary(L"ole32.dll")};
  ScopedModule oleaut32_{loadSystemLibrary(L"oleaut32.dll")};
  ScopedModule oleacc_{loadSystemLibrary(L"oleacc.dll")};

 public:
  using Initialize = HRESULT(WINAPI*)(void*, DWORD);
  using Uninitialize = void(WINAPI*)();
  using ClearVariant = HRESULT(WINAPI*)(VARIANT*);
  using ObjectFromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);

  const Initialize initialize = procedure<Initialize>(ole32_.get(), "CoInitializeEx");
  const Uninitialize uninitialize = procedure<Uninitialize>(ole32_.get(), "CoUninitialize");
  const ClearVariant clearVariant = procedure<ClearVariant>(oleaut32_.get(), "VariantClear");
  const ObjectFromWindow objectFromWindow =
      procedure<ObjectFromWindow>(oleacc_.get(), "AccessibleObjectFromWindow");

  bool complete() const {
    return initialize != nullptr && uninitialize != nullptr && clearVariant != nullptr &&
           objectFromWindow != nullptr;
  }
};

// The role of one element of an accessible object: the object itself or one of its children.
bool hasBackgroundRole(const SystemLibraries& system, IAccessible* object, LONG child) {
  VARIANT which{};
  which.vt = VT_I4;
  which.lVal = child;
  VARIANT role{};
  if (FAILED(object->get_accRole(which, &role))) return false;
  bool background = role.vt == VT_I4 && isBackgroundRole(role.lVal);
  system.clearVariant(&role);
  return background;
}

// What is at the screen point, asked of the view's own client object. accHitTest answers with a
// child's number (0 for the view itself) or with the child's own object.
bool askView(const SystemLibraries& system, HWND view, POINT point) {
  ComPointer<IAccessible> client;
  if (FAILED(system.objectFromWindow(view, static_cast<DWORD>(OBJID_CLIENT), kAccessibleInterface,
                                     client.out())) ||
      !client)
    return false;
  bool background = false;
  VARIANT hit{};
  if (SUCCEEDED(client->accHitTest(point.x, point.y, &hit))) {
    if (hit.vt == VT_I4) {
      background = hasBackgroundRole(system, client.get(), hit.lVal);
    } else if (hit.vt == VT_DISPATCH && hit.pdispVal != nullptr) {
      ComPointer<IAccessible> child;
      if (SUCCEEDED(hit.pdispVal->QueryInterface(kAccessibleInterface, child.out())) && child)
        background = hasBackgroundRole(system, child.get(), CHILDID_SELF);
    }
    system.clearVariant(&hit);
  }
  return background;
}

// One question, owned together by the host's wait and the thread that asks: whichever lets go
// last frees it, so a thread whose view answers after the host gave up writes only into this.
struct Question {
  LONG owners;
  HWND view;
  POINT point;
  HANDLE answered;
  LONG background;
  HMODULE library;  // this library, kept loaded for the thread until it ends
};

void letGo(Question* question) {
  if (InterlockedDecrement(&question->owners) != 0) return;
  CloseHandle(question->answered);
  delete question;
}

// Its own thread and apartment (the host's thread is a single-threaded apartment with its own
// calls to make): the calls into the view's program block here, never in the host's loop.
DWORD WINAPI askingThread(void* parameter) {
  auto* question = static_cast<Question*>(parameter);
  HMODULE library = question->library;
  {
    SystemLibraries system;
    if (system.complete() && SUCCEEDED(system.initialize(nullptr, COINIT_MULTITHREADED))) {
      if (askView(system, question->view, question->point)) question->background = 1;
      system.uninitialize();
    }
  }
  SetEvent(question->answered);
  letGo(question);
  InterlockedDecrement(&openQuestions);
  // The host may have unloaded the library meanwhile: this thread held it, and lets it go last.
  FreeLibraryAndExitThread(library, 0);
}

bool isBackground(HWND view, POINT point) {
  if (InterlockedIncrement(&openQuestions) > kMaxOpenQuestions) {
    InterlockedDecrement(&openQuestions);
    return false;
  }
  auto* question = new (std::nothrow) Question{2, view, point, nullptr, 0, nullptr};
  ScopedHandle thread;
  if (question != nullptr) {
    question->answered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (question->answered != nullptr &&
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<const wchar_t*>(&askingThread), &question->library)) {
      thread.reset(CreateThread(nullptr, 0, askingThread, question, 0, nullptr));
      if (!thread) FreeLibrary(question->library);
    }
  }
  if (!thread) {
    InterlockedDecrement(&openQuestions);
    if (question != nullptr) {
      if (question->answered != nullptr) CloseHandle(question->answered);
      delete question;
    }
    return false;
  }
  // Only the messages other threads send are answered meanwhile (a low-level hook on this thread
  // among them), so that nothing else of the host's runs in between.
  bool background =
      waitAnsweringSentMessages(question->answered, kHitTestTimeoutMs) && question->background != 0;
  letGo(question);
  return background;
}

// Alt+Up as the keyboard types it; the Up arrow is an extended key.
void typeAltUp() {
  constexpr struct {
    WORD key;
    DWORD flags;
  } kKeys[] = {{VK_MENU, 0},
               {VK_UP, KEYEVENTF_EXTENDEDKEY},
               {VK_UP, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP},
               {VK_MENU, KEYEVENTF_KEYUP}};
  INPUT inputs[4] = {};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = kKeys[i].key;
    inputs[i].ki.dwFlags = kKeys[i].flags;
  }
  SendInput(4, inputs, sizeof(INPUT));
}

bool asking = false;  // the host's thread is waiting for a view's answer

void goUpIfOnBackground(HWND view, const ItemsViewPresses& presses) {
  // A message sent to the host while it waits could bring another command: one at a time.
  if (asking) return;
  HWND clicked = presses.doubleClicked;
  POINT point = presses.doubleClickPoint;
  SIZE seen = presses.doubleClickClient;
  if (view == nullptr || clicked != view || !IsWindow(view) || !isGoUpItemsView(view) ||
      !atOurLevelOrAbove(view))
    return;
  RECT client{};
  if (!GetClientRect(view, &client) || point.x < 0 || point.y < 0 || point.x >= seen.cx ||
      point.y >= seen.cy)
    return;
  point = {MulDiv(point.x, client.right, seen.cx), MulDiv(point.y, client.bottom, seen.cy)};
  if (!ClientToScreen(view, &point)) return;
  HWND window = GetAncestor(view, GA_ROOT);
  if (window == nullptr || GetForegroundWindow() != window) return;
  asking = true;
  bool background = isBackground(view, point);
  asking = false;
  // The keys go to whatever window is in front: only while it is still the one clicked.
  if (background && GetForegroundWindow() == window) typeAltUp();
}

}  // namespace

void noteLeftPress(ItemsViewPresses& presses, const wchar_t* plugin, const MOUSEHOOKSTRUCT& mouse) {
  HWND view = mouse.hwnd;
  Press press{reinterpret_cast<std::uintptr_t>(view), GetTickCount(), mouse.pt.x, mouse.pt.y};
  if (view != nullptr && view == presses.lastView) {
    Press first{reinterpret_cast<std::uintptr_t>(view), presses.lastTime, presses.lastPoint.x,
                presses.lastPoint.y};
    DoubleClickLimits limits{GetDoubleClickTime(), GetSystemMetrics(SM_CXDOUBLECLK),
                             GetSystemMetrics(SM_CYDOUBLECLK)};
    if (!isDoubleClick(first, press, limits)) return record(presses, press, view);
    // A third press starts a click of its own, as the system counts them.
    presses.lastView = nullptr;
    POINT point = mouse.pt;
    RECT client{};
    if (!ScreenToClient(view, &point) || !GetClientRect(view, &client)) return;
    presses.doubleClicked = view;
    presses.doubleClickPoint = point;
    presses.doubleClickClient = {client.right, client.bottom};
    postToHost(plugin, kItemsViewGoUpOffset, reinterpret_cast<LPARAM>(view));
  } else if (isGoUpItemsView(view)) {
    record(presses, press, view);
  } else if (presses.lastView != nullptr) {
    presses.lastView = nullptr;
  }
}

bool goUpItemsView(HWND view, const ItemsViewPresses& presses, bool inUse) {
  if (!inUse) return false;
  goUpIfOnBackground(view, presses);
  return true;
}

}  // namespace tov::pushup
