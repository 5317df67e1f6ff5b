// What a process holds, read from outside it: its GDI and USER objects and its kernel handles.
// Windows answers with GetGuiResources and GetProcessHandleCount. Wine 8 answers neither (both
// give 0), so there the counts come from what Wine does keep: the live entries of the process's
// GDI handle table (the table its PEB points to), the windows it owns, and its entries in the
// system's handle list.
#pragma once

#include <windows.h>

#include <string>

namespace tov::test {

struct ResourceCounts {
  long gdi = -1;  // -1: could not be read
  long user = -1;
  long handles = -1;
};

ResourceCounts countResources(DWORD processId);
// How the counts of this system are taken, for the printed figures.
std::string resourceCountSource();

}  // namespace tov::test
