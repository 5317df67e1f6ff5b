// The few constructs that differ between GCC/Clang (MinGW-w64) and MSVC live here and nowhere else.
#pragma once

// TOV_SHARED puts a variable into the library's ".plugin" section, which the linker marks
// readable, writable and shared between every process that maps the library. The variable
// must have a constant initializer: the image holds the value every process first sees.
#if defined(_MSC_VER) && !defined(__clang__)
#pragma section(".plugin", read, write, shared)
#define TOV_SHARED __declspec(allocate(".plugin"))
#else
#define TOV_SHARED __attribute__((section(".plugin"), shared))
#endif

// The calling convention of member functions as the Windows x86 object layout has it, for code
// that calls through a raw table of operations. On x64 there is only one convention.
#if defined(_M_IX86) || defined(__i386__)
#if defined(_MSC_VER) && !defined(__clang__)
#define TOV_THISCALL __thiscall
#else
#define TOV_THISCALL __attribute__((thiscall))
#endif
#else
#define TOV_THISCALL
#endif
