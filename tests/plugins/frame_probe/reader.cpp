// A second process for the frame probe library given on the command line.
//   reader DLL          exits with the library's shared counter
//   reader DLL --hook   starts the plug-in (a global mouse hook), signals the event
//                       "FrameProbeHooked", and stops and releases it again on WM_QUIT
#include <windows.h>

#include <cwchar>

#include "plugin_api.h"

template <class F>
F exported(HMODULE library, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return -1;
  HMODULE library = LoadLibraryW(argv[1]);
  if (library == nullptr) return -2;
  if (argc > 2 && std::wcscmp(argv[2], L"--hook") == 0) {
    auto factory = exported<CreateInstanceFunction>(library, "createInstance");
    IPlugin* plugin = factory != nullptr ? factory(nullptr, 0) : nullptr;
    if (plugin == nullptr || !plugin->start()) return -4;
    HANDLE hooked = CreateEventW(nullptr, TRUE, FALSE, L"FrameProbeHooked");
    SetEvent(hooked);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    bool stopped = plugin->stop();
    plugin->release();
    return stopped ? 0 : -5;
  }
  auto counter = exported<LONG (*)()>(library, "probeCounter");
  if (counter == nullptr) return -3;
  return static_cast<int>(counter());
}
