// The one version of the product, fed into the version resource of TOV.exe and of every plug-in
// library. Also included by resource scripts, so it holds only preprocessor definitions.
#pragma once

#define TOV_VERSION_MAJOR 2004
#define TOV_VERSION_MINOR 11
#define TOV_VERSION_PATCH 15
#define TOV_VERSION_BUILD 0

// FileVersion/ProductVersion strings: four comma-separated numbers.
#define TOV_VERSION_STRING "2004,11,15,00"
// What the host's "&Version Info" shows.
#define TOV_VERSION_LABEL "Ver.2004.11.15"
