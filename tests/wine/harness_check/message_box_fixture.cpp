// Shows one message box with the text given on the command line; exits with the button pressed.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  return MessageBoxW(nullptr, commandLine, L"Fixture", MB_OK | MB_ICONWARNING);
}
