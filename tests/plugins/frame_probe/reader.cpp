// Loads a frame probe library given on the command line and exits with its shared counter.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return -1;
  HMODULE library = LoadLibraryW(argv[1]);
  if (library == nullptr) return -2;
  using Counter = LONG (*)();
  auto counter =
      reinterpret_cast<Counter>(reinterpret_cast<void*>(GetProcAddress(library, "probeCounter")));
  if (counter == nullptr) return -3;
  return static_cast<int>(counter());
}
