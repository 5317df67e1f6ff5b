// A command for Pushdown's tests to run: adds its own file name as a line to "marker.txt" in its
// current folder (the folder of the program that started it) and ends.
#include <windows.h>

#include <cstring>

int wmain() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  const wchar_t* name = path;
  for (const wchar_t* c = path; *c != L'\0'; ++c) {
    if (*c == L'\\' || *c == L'/') name = c + 1;
  }
  char line[MAX_PATH + 2];
  int bytes = WideCharToMultiByte(CP_UTF8, 0, name, -1, line, MAX_PATH, nullptr, nullptr);
  if (bytes <= 0) return 1;
  line[bytes - 1] = '\n';
  HANDLE file = CreateFileW(L"marker.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  BOOL ok = WriteFile(file, line, static_cast<DWORD>(bytes), &written, nullptr);
  CloseHandle(file);
  return ok ? 0 : 1;
}
