// Shuffla and ShufflaXP: taskbar buttons are reordered by dragging one onto another with the
// left button.
//
// The buttons belong to the shell. The plug-in hooks only the thread that owns the button
// control (WH_GETMESSAGE), posts it a request, and the hook, now running inside the shell,
// replaces the control's window procedure. From then on the drag happens in that procedure; the
// hook stays installed because it is what keeps this library mapped in the shell. A drop takes
// every window off the taskbar and adds it back in the new order through the shell's own
// taskbar list object.
//
// Two registered messages tie the host side to the shell side: a posted subclass request is what
// the hook acts on, and the same message sent to the control is answered 223 by the replacement
// procedure, the only sign that the subclass is alive. The unsubclass request is always sent, so
// the control has its own procedure back before the hook goes; a shell that does not answer it in
// time finds the library still loaded (it keeps itself loaded in the shell) and the replacement
// takes itself out at the control's next message.
#include <no_wait.h>
#include <plugin_frame.h>
#include <scoped_win.h>

#include <commctrl.h>
#include <shobjidl.h>
#include <windowsx.h>

#include "core/reorder.h"
#include "taskbar_control.h"

namespace {

using namespace tov::shuffla;

constexpr LRESULT kSubclassedAnswer = 223;
// How long the host side waits for the shell's taskbar thread to answer; a hung shell is given up
// on rather than hanging the host.
constexpr UINT kShellAnswerTimeout = 5000;
// How long the taskbar waits for a dragged window to name its icon.
constexpr UINT kIconAnswerTimeout = 200;
// The drag image stands this far to the right of the pointer.
constexpr int kImageOffset = 16;

// Per process, so both the host's and the shell's copies of the library have the same numbers.
const UINT subclassMessage = RegisterWindowMessageW(kSubclassMessageName);
const UINT unsubclassMessage = RegisterWindowMessageW(kUnsubclassMessageName);

struct SharedState {
  HHOOK hHook;
  bool inUse;
  // The control's procedure before subclassing, written inside the shell: non-null while the
  // control is (believed to be) subclassed. Only ever compared with null: the procedure that is
  // called is the shell's own copy below, never an address anyone can write here.
  WNDPROC previousWndProc;
};

TOV_SHARED constinit SharedState state = {nullptr, true, nullptr};

// ---- Inside the shell: the subclass and the drag. Touched only on the taskbar thread. --------

HWND subclassedControl = nullptr;
WNDPROC originalProcedure = nullptr;

struct DragState {
  HIMAGELIST dragImages = nullptr;
  bool buttonDown = false;
  bool dragging = false;
  POINT downPos{};
  POINT lastPos{};
  int sourceIndex = -1;
  int targetIndex = -1;
  HICON dragIcon = nullptr;
  // The windows of the source and target buttons as the drag saw them: a drop whose buttons no
  // longer hold them moves nothing.
  HWND sourceWindow = nullptr;
  HWND targetWindow = nullptr;
  // The dragged window's thread: a window closed during the drag, whose handle may since be
  // another's, is not moved.
  DWORD sourceThread = 0;
};
DragState drag;

LRESULT passOn(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(originalProcedure, control, message, wParam, lParam);
}

POINT messagePoint(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

HICON sendForIcon(HWND window, WPARAM which) {
  DWORD_PTR icon = 0;
  if (!SendMessageTimeoutW(window, WM_GETICON, which, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                           kIconAnswerTimeout, &icon))
    return nullptr;
  return reinterpret_cast<HICON>(icon);
}

// The window's small icon, its big one, its class's small one, or the system's application icon.
HICON iconOf(HWND window) {
  HICON icon = sendForIcon(window, ICON_SMALL);
  if (icon == nullptr) icon = sendForIcon(window, ICON_BIG);
  if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
  if (icon == nullptr) icon = LoadIconW(nullptr, IDI_WINLOGO);
  return icon;
}

void createDragImages() {
  if (drag.dragImages != nullptr) return;
  drag.dragImages = ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 1, 1);
  if (drag.dragImages != nullptr)
    ImageList_ReplaceIcon(drag.dragImages, -1, LoadIconW(nullptr, IDI_WINLOGO));
}

void destroyDragImages() {
  if (drag.dragImages == nullptr) return;
  ImageList_Destroy(drag.dragImages);
  drag.dragImages = nullptr;
}

void endDragImage(HWND control) {
  ImageList_DragLeave(control);
  ImageList_EndDrag();
}

// Takes every window off the taskbar and adds it back in the new order, so that the dragged one
// lands next to the target. Runs on the shell's taskbar thread, where the shell has COM ready.
void move(HWND control) {
  Drop drop{drag.sourceIndex, drag.targetIndex, drag.sourceWindow, drag.targetWindow};
  if (drop.source < 0 || drop.target < 0 || drop.source == drop.target) return;
  if (!tov::isSameWindow({drag.sourceWindow, drag.sourceThread})) return;
  int count = buttonCount(control);
  if (count <= 0) return;
  std::size_t n = static_cast<std::size_t>(count);
  // The buttons' windows, then the order to put them back in.
  tov::ScopedMemory<Handle> windows(2 * n + 1);
  if (!windows) return;
  Handle* buttons = windows.get();
  Handle* order = buttons + n;
  for (int i = 0; i < count; ++i) buttons[i] = buttonWindow(control, i);
  std::size_t entries = planMove(buttons, n, drop, order);
  if (entries == 0) return;

  tov::ComPointer<ITaskbarList> taskbarList;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList,
                              taskbarList.out())) ||
      !taskbarList)
    return;
  taskbarList->HrInit();
  for (std::size_t i = 0; i < entries; ++i) {
    HWND window = static_cast<HWND>(const_cast<void*>(order[i]));
    if (!IsWindow(window)) continue;  // the dragged window's old slot, or a window gone since
    int before = buttonCount(control);
    taskbarList->DeleteTab(window);
    taskbarList->AddTab(window);
    // A button that does not come back at once is asked for once more.
    if (buttonCount(control) < before) taskbarList->AddTab(window);
  }
}

void onButtonDown(HWND control, LPARAM lParam) {
  drag.downPos = messagePoint(lParam);
  drag.buttonDown = true;
  drag.dragging = false;
  drag.sourceIndex = hitTest(control, drag.downPos);
}

void beginDrag(HWND control) {
  // The drag follows the pointer off the control and must see its release wherever it happens:
  // take the capture if the control has not taken it itself (a tab control does not).
  if (GetCapture() != control) SetCapture(control);
  drag.dragging = true;
  drag.targetIndex = -1;
  drag.targetWindow = nullptr;
  drag.sourceWindow = buttonWindow(control, drag.sourceIndex);
  drag.sourceThread = GetWindowThreadProcessId(drag.sourceWindow, nullptr);
  drag.dragIcon = iconOf(drag.sourceWindow);
  ImageList_ReplaceIcon(drag.dragImages, 0, drag.dragIcon);
  ImageList_BeginDrag(drag.dragImages, 0, 0, 0);
  ImageList_DragEnter(control, 0, 0);
}

void dragStep(HWND control) {
  int previous = drag.targetIndex;
  drag.targetIndex = hitTest(control, drag.lastPos);
  drag.targetWindow = drag.targetIndex == -1 ? nullptr : buttonWindow(control, drag.targetIndex);
  if (drag.targetIndex != previous) {
    SetCursor(LoadCursorW(nullptr, drag.targetIndex == -1 ? IDC_NO : IDC_ARROW));
    showTarget(control, drag.sourceIndex, drag.targetIndex);
  }
  ImageList_DragMove(drag.lastPos.x + kImageOffset, drag.lastPos.y);
}

// True when the move was taken by the drag.
bool onMouseMove(HWND control, WPARAM wParam, LPARAM lParam) {
  if (!drag.buttonDown || drag.sourceIndex == -1) return false;
  // A release that never reached the control (it went to another window) ends the press here.
  if (!(wParam & MK_LBUTTON) && !drag.dragging) {
    drag.buttonDown = false;
    return false;
  }
  drag.lastPos = messagePoint(lParam);
  if (!drag.dragging) {
    if (!beyondDragThreshold(drag.lastPos.x - drag.downPos.x, drag.lastPos.y - drag.downPos.y))
      return false;
    beginDrag(control);
  }
  dragStep(control);
  return true;
}

// True when the release ended a drag (the control does not see it).
bool onButtonUp(HWND control) {
  drag.buttonDown = false;
  if (!drag.dragging) return false;
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  drag.dragging = false;
  endDragImage(control);
  clearTarget(control);
  bool locked = kLockDuringMove && drag.targetIndex >= 0 && LockWindowUpdate(control);
  move(control);
  ReleaseCapture();
  if (locked) LockWindowUpdate(nullptr);
  InvalidateRect(control, nullptr, TRUE);
  return true;
}

void onCaptureLost(HWND control) {
  if (!drag.dragging) return;
  drag.buttonDown = false;
  drag.dragging = false;
  endDragImage(control);
  clearTarget(control);
}

// Puts the control's own procedure back, with what a drag under way had shown. This copy of the
// library knows what it subclassed; the shared flag may have been cleared by a re-attach meanwhile.
void unsubclass(HWND control) {
  if (control != subclassedControl || originalProcedure == nullptr) return;
  if (drag.dragging) endDragImage(control);
  destroyDragImages();
  drag = DragState{};
  SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProcedure));
  subclassedControl = nullptr;
  originalProcedure = nullptr;
  state.previousWndProc = nullptr;
}

LRESULT CALLBACK taskbarProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  // The plug-in has stopped without this control getting its own procedure back: stop() gave up
  // on a shell that did not answer in time. Put it back now, on the control's own thread, and
  // pass the message on as if nothing had been here.
  if (state.hHook == nullptr && control == subclassedControl) {
    WNDPROC own = originalProcedure;
    unsubclass(control);
    return CallWindowProcW(own, control, message, wParam, lParam);
  }
  if (message == unsubclassMessage) {
    unsubclass(control);
    return 0;
  }
  if (message == subclassMessage) return kSubclassedAnswer;
  if (!state.inUse) return passOn(control, message, wParam, lParam);
  switch (message) {
    case WM_NULL:
      createDragImages();
      break;
    case WM_LBUTTONDOWN:
      onButtonDown(control, lParam);
      break;
    case WM_MOUSEMOVE:
      if (onMouseMove(control, wParam, lParam)) return 0;
      break;
    case WM_LBUTTONUP:
      if (onButtonUp(control)) return 0;
      break;
    case WM_CAPTURECHANGED:
      onCaptureLost(control);
      break;
    default:
      break;
  }
  return passOn(control, message, wParam, lParam);
}

// The hook on the taskbar thread: it acts once, on the posted subclass request.
LRESULT CALLBACK getMessageProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code < 0) return CallNextHookEx(state.hHook, code, wParam, lParam);
  const MSG* msg = reinterpret_cast<const MSG*>(lParam);
  if (msg->message != subclassMessage || subclassMessage == 0)
    return CallNextHookEx(state.hHook, code, wParam, lParam);
  if (state.previousWndProc != nullptr) return 1;
  HWND control = msg->hwnd;
  // Anyone can post the request: only the button control itself is subclassed, and only once.
  auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
  if (current == taskbarProcedure) {
    // Still ours from before a re-attach that cleared the shared flag: it is subclassed.
    if (control == subclassedControl) state.previousWndProc = originalProcedure;
    return 1;
  }
  if (current == nullptr || !isButtonControl(control)) return 1;
  // The control calls the replacement for as long as it lives, and the system unloads this
  // library from the shell once the hook is gone, whenever it chooses. stop() puts the control's
  // own procedure back before it removes the hook, but gives up on a shell that does not answer
  // in time, and TOV may end without stopping: the control would then call code that is gone and
  // the shell would crash. So the library keeps itself loaded in the shell before the control can
  // call into it; after a stop that gave up, the replacement takes itself out at its next message
  // (above). Without that, no subclass. A control of the host's own thread needs no pin: stop()
  // reaches it directly, never giving up, before the host frees the library.
  if (!tov::isHostThread() && !tov::keepLoadedInThisProgram()) return 1;
  originalProcedure = current;
  subclassedControl = control;
  state.previousWndProc = current;
  SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(taskbarProcedure));
  // The replacement makes its drag image list on this.
  PostMessageW(control, WM_NULL, 0, 0);
  return 1;
}

// ---- In the host ------------------------------------------------------------------------------

HWND findControl() {
  HWND taskbar = FindWindowW(kTaskbarClass, nullptr);
  return taskbar == nullptr ? nullptr : findButtonControl(taskbar);
}

LRESULT askShell(HWND control, UINT message) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(control, message, 0, 0, SMTO_ABORTIFHUNG, kShellAnswerTimeout, &answer))
    return 0;
  return static_cast<LRESULT>(answer);
}

class Shuffla final : public tov::SharedPlugin<SharedState, state> {
 public:
  Shuffla(int pluginId, IPluginHost* pluginHost)
      : SharedPlugin(kPluginName, pluginId, pluginHost) {}

  // Its one command is the host's news that the taskbar was re-created; offset 4 is no switch.
  bool initialize() override {
    return setCommand(tov::kOffsetTaskbarCreated, &Shuffla::attachToNewTaskbar);
  }

  // Without a button control there is nothing to attach to: no hook, and a refusal.
  bool start() override {
    if (tov::isHookInstalled(state.hHook)) return true;
    HWND control = findControl();
    if (control == nullptr) return false;
    DWORD thread = GetWindowThreadProcessId(control, nullptr);
    if (thread == 0) return false;
    if (!tov::startHook(state.hHook, WH_GETMESSAGE, getMessageProcedure, thread)) return false;
    PostMessageW(control, subclassMessage, 0, 0);
    return true;
  }

  bool stop() override {
    if (!tov::isHookInstalled(state.hHook)) return false;
    HWND control = findControl();
    if (control != nullptr) askShell(control, unsubclassMessage);
    return tov::stopHook(state.hHook);
  }

 private:
  // A control that no longer answers 223 is a new one: the hook goes to its thread and the
  // subclass is requested afresh.
  bool attachToNewTaskbar(LPARAM) {
    HWND control = findControl();
    if (control != nullptr && askShell(control, subclassMessage) == kSubclassedAnswer) return true;
    stop();
    state.previousWndProc = nullptr;
    start();
    return true;
  }
};

}  // namespace

TOV_PLUGIN_EXPORT(Shuffla)
