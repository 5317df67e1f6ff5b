// The taskbar's button control as each library knows it. Shuffla's taskbar holds its buttons in
// a tab control, ShufflaXP's in a toolbar; everything else about the drag is the same and lives
// in shuffla.cpp, which each library links with one of tab_control.cpp and toolbar.cpp.
#pragma once

#include <windows.h>
#include <window_classes.h>

namespace tov::shuffla {

// The taskbar's top-level window, whose button control the plug-in reorders.
inline constexpr wchar_t kTaskbarClass[] = L"Shell_TrayWnd";

// The library's name and the strings of its two registered messages.
extern const wchar_t kPluginName[];
extern const wchar_t kSubclassMessageName[];
extern const wchar_t kUnsubclassMessageName[];

// The button control under the window `taskbar` ("Shell_TrayWnd"), or null.
HWND findButtonControl(HWND taskbar);
// Whether `window` is of the button control's class (the subclass request is checked with it).
bool isButtonControl(HWND window);

int buttonCount(HWND control);
// The window a button stands for; null when it has none.
HWND buttonWindow(HWND control, int index);
// The button at a client point: -1 when there is none, or (toolbar) when it stands for no window.
int hitTest(HWND control, POINT point);

// Shows where the dragged button would land, each time the button under the pointer changes.
void showTarget(HWND control, int source, int target);
// Takes that feedback away again at the end of a drag, dropped or abandoned.
void clearTarget(HWND control);
// Whether the control's drawing is held back while the buttons are taken out and put back.
extern const bool kLockDuringMove;

}  // namespace tov::shuffla
