// The Fadeon library with one more export: its shell hook procedure, so that a test can make the
// call the system makes when a window is activated (Wine never reports activations to shell
// hooks). Everything else is the product's own code.
#include "fadeon.cpp"

extern "C" __declspec(dllexport) LRESULT CALLBACK
    fadeonShellProcedure(int code, WPARAM wParam, LPARAM lParam) {
  return shellProcedure(code, wParam, lParam);
}
