// The contract between the TOV host and its plug-in libraries.
//
// Binding: nothing is linked at build time. The host loads a library with LoadLibraryW, looks up
// the one export "createInstance" (undecorated on x86 too: every library lists it in a .def file)
// and calls it with the Win32 API calling convention.
//
// Call order, all on the host's one user-interface thread:
//   1. createInstance(host, id): id is the number of plug-in objects alive, which is also the
//      plug-in's future position in the host's list. Null means the load failed.
//   2. start(): installs the hooks. False makes the host stop() and release() the object again.
//   3. setUse(flag) from the host's hook order file, then any of getName, getId, getCommandBase,
//      createMenu, isUse, setUse and onCommand for as long as the host runs.
//   4. stop(), release(), then FreeLibrary. Nothing is called after release().
//
// Ownership: the plug-in object is allocated and freed inside its library (release()); the host
// never deletes it. getName()'s string lives while the library is loaded. A menu returned by
// createMenu() belongs to the caller, which destroys it. The IPluginHost pointer outlives every
// plug-in object.
//
// Threads: the objects live only in the host process and are called only on its UI thread. Hook
// procedures run in other processes and threads; they share with the object only the library's
// ".plugin" section, and reach the object only by posting WM_COMMAND to getMainWindow().
//
// Layout: both interfaces are plain single-inheritance objects whose first word points to the
// table of operations, in exactly the order declared below, one slot per operation on every
// compiler. IPlugin's virtual destructor comes last, where GCC's two destructor slots move
// nothing. IPluginHost's first slot is the host's destructor, never called by a plug-in; it is
// declared as an ordinary operation so that GCC, too, gives it exactly one slot and
// getMainWindow stays in slot 1. Results are one-byte bools, tested for non-zero.
//
// Commands: see core/command_id.h. Offsets 0 to 3 are offered to the plug-in first, so that a
// plug-in can act on what they tell (Shuffla attaches to a re-created taskbar at offset 0); the
// host applies its default only when onCommand returns false. How a plug-in answers its own
// offsets, from 4 on: plugin_frame.h.
#pragma once

#include <windows.h>

#include "core/command_id.h"

class IPlugin {
 public:
  virtual IPlugin* getInterface() = 0;                          // slot 0
  virtual int getId() = 0;                                      // slot 1
  virtual const wchar_t* getName() = 0;                         // slot 2
  virtual int getCommandBase() = 0;                             // slot 3
  virtual HMENU createMenu() = 0;                               // slot 4
  virtual bool onCommand(int commandOffset, LPARAM param) = 0;  // slot 5
  virtual bool start() = 0;                                     // slot 6
  virtual bool stop() = 0;                                      // slot 7
  virtual bool setUse(bool use) = 0;                            // slot 8
  virtual bool isUse() = 0;                                     // slot 9
  virtual bool release() = 0;                                   // slot 10
  virtual ~IPlugin() {}                                         // slot 11 (and 12 on GCC)
};

class IPluginHost {
 public:
  virtual void destroyHost() = 0;         // slot 0: the host's destructor
  virtual HWND getMainWindow() = 0;       // slot 1
  virtual int reserved2() = 0;            // slot 2: returns 0
  virtual int reserved3(int unused) = 0;  // slot 3: returns 0
  // Writes the file-system folder that an Explorer window shows into buffer (260 characters).
  virtual bool getExplorerFolder(HWND explorerWindow, wchar_t* buffer) = 0;  // slot 4
  // Writes the host executable's folder, without trailing separator (260 characters).
  virtual bool getHostDirectory(wchar_t* buffer) = 0;                       // slot 5
  virtual bool showPluginMenu(int position, const POINT* screenPoint) = 0;  // slot 6
  virtual int readSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                             int defaultValue) = 0;  // slot 7
  virtual bool writeSettingInt(const wchar_t* base, const wchar_t* section, const wchar_t* key,
                               int value) = 0;             // slot 8
  virtual bool setTrayIcon(int position, HICON icon) = 0;  // slot 9
  virtual bool showTrayIcon(int position, bool show) = 0;  // slot 10
  virtual bool toggleTrayIcon(int position) = 0;           // slot 11
  virtual bool isTrayIconShown(int position) = 0;          // slot 12

 protected:
  // Never deleted through this interface: slot 0 is how the host's own object goes away.
  ~IPluginHost() = default;
};

// The one export of every plug-in library.
using CreateInstanceFunction = IPlugin*(WINAPI*)(IPluginHost* host, int id);
inline constexpr char kCreateInstanceExport[] = "createInstance";

static_assert(sizeof(bool) == 1, "the contract's results are one-byte bools");
