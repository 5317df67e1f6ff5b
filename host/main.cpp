// TOV.exe: one instance per session; a second start wakes the first and ends. One from the same
// folder in another session says so and ends (core/single_instance.h).
#include <windows.h>
#include <objbase.h>

#include <memory>

#include "build_check.h"
#include "core/command_line.h"
#include "core/single_instance.h"
#include "folder_claim.h"
#include "library_search.h"
#include "main_window.h"
#include "scoped_win.h"

namespace {

// How long a second start waits for the first instance to show its tray icon.
constexpr UINT kFirstInstanceTimeoutMs = 5000;

struct MainWindowDeleter {
  void operator()(tov::MainWindow* window) const { window->destroyHost(); }
};

// The C runtime keeps its "C" locale: text files are converted with the code page of the user's
// locale named explicitly (text_file.h), and nothing else here formats or reads text through it.
int run(const wchar_t* commandLine, int showCommand) {
  // The mutex stays owned for the whole life of the process; it only detects a second start.
  tov::ScopedHandle mutex(CreateMutexW(nullptr, TRUE, tov::kInstanceMutexName));
  bool alreadyRunning = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
  if (!mutex) {
    MessageBoxW(nullptr, L"Failed to create mutex!", tov::kMessageCaption, MB_ICONERROR);
    return 0;
  }
  if (alreadyRunning) {
    // The first instance may be hung: this one gives up on it rather than hang as well.
    if (HWND first = FindWindowW(tov::kMainWindowClass, nullptr)) {
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(first, tov::WM_SHOWTRAYICON, 0, 0, SMTO_ABORTIFHUNG,
                          kFirstInstanceTimeoutMs, &ignored);
    }
    return 0;
  }
  // Released before the session's mutex, so that a TOV that finds the mutex free finds this free.
  tov::ScopedHandle folderClaim;
  if (!tov::claimProgramFolder(folderClaim)) {
    MessageBoxW(nullptr, tov::kFolderClaimedMessage, tov::kMessageCaption, MB_ICONWARNING);
    return 0;
  }

  tov::ComApartment com;
  std::unique_ptr<tov::MainWindow, MainWindowDeleter> mainWindow(new tov::MainWindow);
  if (!mainWindow->create(tov::hasOption(commandLine, tov::kOptionHide))) return 1;

  HWND window = mainWindow->handle();
  if (tov::hasOption(commandLine, tov::kOptionWindow)) {
    ShowWindow(window, showCommand);
  } else {
    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_HIDE);
  }
  // With the plug-ins loaded and the tray icon up, so that TOV is there behind the warning.
  tov::warnOfWrongBuildOnce();

  MSG message;
  int exitCode = 0;
  for (;;) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      exitCode = static_cast<int>(message.wParam);
      break;
    }
    if (got == -1) {
      exitCode = 1;
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // The main window (and with it every plug-in) goes before COM and the mutex.
  mainWindow.reset();
  return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int showCommand) {
  // Before anything else is loaded, on the host's behalf or by a library.
  tov::restrictLibrarySearch();
  return run(commandLine != nullptr ? commandLine : L"", showCommand);
}
