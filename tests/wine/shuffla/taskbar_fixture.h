// The questions a test sends to the fixture taskbar's window (taskbar_fixture.cpp says what each
// answers), and the bits of its drag-state answer.
#pragma once

#include <windows.h>

namespace taskbar_fixture {

constexpr UINT kButtonApp = WM_APP + 1;
constexpr UINT kButtonPoint = WM_APP + 2;
constexpr UINT kCloseApp = WM_APP + 3;
constexpr UINT kRecreate = WM_APP + 4;
constexpr UINT kDragState = WM_APP + 5;
constexpr UINT kInsertMark = WM_APP + 6;
constexpr UINT kButtonCount = WM_APP + 7;
constexpr UINT kDragColour = WM_APP + 8;
constexpr UINT kCloseAppKeepButton = WM_APP + 9;
constexpr UINT kHang = WM_APP + 10;

constexpr LRESULT kCursorNo = 1;     // the cursor is IDC_NO
constexpr LRESULT kCursorArrow = 2;  // the cursor is IDC_ARROW
constexpr LRESULT kDragImageUp = 4;  // a drag image is shown

}  // namespace taskbar_fixture
