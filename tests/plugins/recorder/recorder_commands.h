// The recorder's own command offsets, for the recorder and for the tests that send them. Each but
// the menu item calls one host service with the command's parameter and logs the host's answer.
#pragma once

#include "core/command_id.h"

namespace tov::test {

enum RecorderOffset : int {
  kRecorderItem = kFirstPluginOffset,  // its menu item "Recorder item", declined
  kShowTrayIcon,                       // host->showTrayIcon(id, param != 0)
  kToggleTrayIcon,                     // host->toggleTrayIcon(id)
  kGetExplorerFolder,                  // host->getExplorerFolder((HWND)param, …)
  kGetHostDirectory,                   // host->getHostDirectory(…)
  kIsTrayIconShown,                    // host->isTrayIconShown(id)
  kSetTrayIcon,                        // host->setTrayIcon(id, a plain icon or null)
  // Registers the fake shell window collection of "FakeShellWindows.dll" (beside the host) in
  // the host's apartment, so that the host's own lookup of shell windows finds the fake.
  kRegisterFakeShellWindows,
};

}  // namespace tov::test
