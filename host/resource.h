// Resource identifiers of TOV.exe; plug-ins and other programs rely on these numbers.
#pragma once

#define IDI_TOV 100             // host icon: window class and default tray image
#define IDI_PLUGIN_USE 200      // a plug-in in use, when it has no "<name>_use.ico"
#define IDI_PLUGIN_NOT_USE 201  // a plug-in not in use, when it has no "<name>_not_use.ico"
#define IDS_VERSION 2000        // the text "&Version Info" shows
