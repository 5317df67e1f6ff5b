// A library that loads but has no createInstance export: the host's load must fail.
#include <windows.h>

extern "C" __declspec(dllexport) int notAPlugin() { return 0; }
