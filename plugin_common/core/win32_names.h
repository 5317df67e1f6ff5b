// The Windows names that the window-free decisions use: messages, hit-test codes, styles, virtual
// keys, key event flags, list and tree view messages, accessibility roles. The code and its tests
// then say WM_NCRBUTTONDOWN and HTCLOSE, not 0xA4 and 20, and a test cannot repeat a wrong number
// the code has.
//
// On Windows the names are the system headers' own. Elsewhere (the native unit tests, which must
// not see <windows.h>) they are the list below, with the same values and of the same signedness
// and width; the Windows build checks every entry of the list against the system's definition,
// so the two never part.
#pragma once

// Each entry: the name, and its value written as a literal of the type the Windows headers give
// it (int, or a 32-bit unsigned value where theirs does not fit a 32-bit long).
#define TOV_WIN32_NAMES(NAME)                                     \
  /* Keyboard and mouse messages */                               \
  NAME(WM_KEYDOWN, 0x0100)                                        \
  NAME(WM_MOUSEMOVE, 0x0200)                                      \
  NAME(WM_LBUTTONDOWN, 0x0201)                                    \
  NAME(WM_LBUTTONUP, 0x0202)                                      \
  NAME(WM_LBUTTONDBLCLK, 0x0203)                                  \
  NAME(WM_RBUTTONDOWN, 0x0204)                                    \
  NAME(WM_RBUTTONUP, 0x0205)                                      \
  NAME(WM_MBUTTONDOWN, 0x0207)                                    \
  NAME(WM_MBUTTONUP, 0x0208)                                      \
  NAME(WM_MBUTTONDBLCLK, 0x0209)                                  \
  NAME(WM_MOUSEWHEEL, 0x020A)                                     \
  NAME(WM_XBUTTONDOWN, 0x020B)                                    \
  NAME(WM_XBUTTONUP, 0x020C)                                      \
  NAME(WM_MOUSEHWHEEL, 0x020E)                                    \
  NAME(WM_NCMOUSEMOVE, 0x00A0)                                    \
  NAME(WM_NCLBUTTONDOWN, 0x00A1)                                  \
  NAME(WM_NCLBUTTONUP, 0x00A2)                                    \
  NAME(WM_NCLBUTTONDBLCLK, 0x00A3)                                \
  NAME(WM_NCRBUTTONDOWN, 0x00A4)                                  \
  NAME(WM_NCRBUTTONUP, 0x00A5)                                    \
  NAME(WM_NCMBUTTONDOWN, 0x00A7)                                  \
  NAME(WM_NCMBUTTONUP, 0x00A8)                                    \
  NAME(WM_NCMBUTTONDBLCLK, 0x00A9)                                \
  NAME(WM_NCXBUTTONDOWN, 0x00AB)                                  \
  /* Hit-test codes of the window's frame */                      \
  NAME(HTCLIENT, 1)                                               \
  NAME(HTCAPTION, 2)                                              \
  NAME(HTSYSMENU, 3)                                              \
  NAME(HTMINBUTTON, 8)                                            \
  NAME(HTMAXBUTTON, 9)                                            \
  NAME(HTCLOSE, 20)                                               \
  NAME(HTHELP, 21)                                                \
  /* Hook codes */                                                \
  NAME(HC_ACTION, 0)                                              \
  NAME(HC_NOREMOVE, 3)                                            \
  /* Why the session ends (a set of bits) */                      \
  NAME(ENDSESSION_CLOSEAPP, 0x00000001)                           \
  NAME(ENDSESSION_LOGOFF, 0x80000000u)                            \
  /* Window styles */                                             \
  NAME(WS_TABSTOP, 0x00010000)                                    \
  NAME(WS_OVERLAPPEDWINDOW, 0x00CF0000)                           \
  NAME(WS_MAXIMIZE, 0x01000000)                                   \
  NAME(WS_VISIBLE, 0x10000000)                                    \
  NAME(WS_MINIMIZE, 0x20000000)                                   \
  NAME(WS_CHILD, 0x40000000)                                      \
  NAME(WS_EX_TOPMOST, 0x00000008)                                 \
  NAME(WS_EX_WINDOWEDGE, 0x00000100)                              \
  NAME(WS_EX_LAYERED, 0x00080000)                                 \
  /* List and tree views */                                       \
  NAME(LVS_ICON, 0x0)                                             \
  NAME(LVS_REPORT, 0x1)                                           \
  NAME(LVS_SMALLICON, 0x2)                                        \
  NAME(LVS_LIST, 0x3)                                             \
  NAME(LVS_TYPEMASK, 0x3)                                         \
  NAME(LVM_SETBKCOLOR, 0x1001)                                    \
  NAME(LVM_SETTEXTCOLOR, 0x1024)                                  \
  NAME(LVM_SETTEXTBKCOLOR, 0x1026)                                \
  NAME(TVM_SETBKCOLOR, 0x111D)                                    \
  NAME(TVM_SETTEXTCOLOR, 0x111E)                                  \
  NAME(TVM_SETLINECOLOR, 0x1128)                                  \
  NAME(CLR_NONE, 0xFFFFFFFFu)                                     \
  /* Virtual keys (a letter's is its capital's character code) */ \
  NAME(VK_BACK, 0x08)                                             \
  NAME(VK_SHIFT, 0x10)                                            \
  NAME(VK_CONTROL, 0x11)                                          \
  NAME(VK_MENU, 0x12)                                             \
  NAME(VK_CAPITAL, 0x14)                                          \
  NAME(VK_NONCONVERT, 0x1D)                                       \
  NAME(VK_LEFT, 0x25)                                             \
  NAME(VK_UP, 0x26)                                               \
  NAME(VK_RIGHT, 0x27)                                            \
  NAME(VK_DOWN, 0x28)                                             \
  NAME(VK_APPS, 0x5D)                                             \
  NAME(VK_LSHIFT, 0xA0)                                           \
  NAME(VK_RSHIFT, 0xA1)                                           \
  NAME(VK_RMENU, 0xA5)                                            \
  NAME(KEYEVENTF_EXTENDEDKEY, 0x0001)                             \
  NAME(KEYEVENTF_KEYUP, 0x0002)                                   \
  /* Accessibility roles */                                       \
  NAME(ROLE_SYSTEM_CLIENT, 0x0A)                                  \
  NAME(ROLE_SYSTEM_GROUPING, 0x14)                                \
  NAME(ROLE_SYSTEM_COLUMNHEADER, 0x19)                            \
  NAME(ROLE_SYSTEM_LIST, 0x21)                                    \
  NAME(ROLE_SYSTEM_LISTITEM, 0x22)                                \
  /* Process machines and integrity levels */                     \
  NAME(IMAGE_FILE_MACHINE_UNKNOWN, 0)                             \
  NAME(IMAGE_FILE_MACHINE_I386, 0x014C)                           \
  NAME(SECURITY_MANDATORY_LOW_RID, 0x1000)                        \
  NAME(SECURITY_MANDATORY_MEDIUM_RID, 0x2000)                     \
  NAME(SECURITY_MANDATORY_HIGH_RID, 0x3000)                       \
  NAME(SECURITY_MANDATORY_SYSTEM_RID, 0x4000)

#ifdef _WIN32

#include <windows.h>
// After <windows.h>, which they need.
#include <commctrl.h>
#include <oleacc.h>

#include <type_traits>

#define TOV_WIN32_NAME_MATCHES(name, value)                                                     \
  static_assert((name) == (value), #name ": the list differs from the Windows headers");        \
  static_assert(sizeof(name) == sizeof(value), #name ": the list's width differs from theirs"); \
  static_assert(std::is_signed_v<decltype(name)> == std::is_signed_v<decltype(value)>,          \
                #name ": the list's signedness differs from the Windows headers'");
TOV_WIN32_NAMES(TOV_WIN32_NAME_MATCHES)
#undef TOV_WIN32_NAME_MATCHES

#else

#define TOV_WIN32_NAME_DEFINE(name, value) inline constexpr auto name = value;
TOV_WIN32_NAMES(TOV_WIN32_NAME_DEFINE)
#undef TOV_WIN32_NAME_DEFINE

#endif
