// The common controls library (comctl32), loaded at run time from the system rather than
// imported, so that it and uxtheme, which it loads, are found only after the DLL search has been
// restricted to the system folder (or uxtheme has been loaded from there, where the search cannot
// be restricted). It is loaded by name, so the application's manifest selects version 6.
#pragma once

#include <windows.h>

// Registers the common control classes in `classes` (INITCOMMONCONTROLSEX's dwICC), loading
// the library on first use; it stays loaded, since the classes live in it. False on failure.
bool CommonControlsInit(DWORD classes);
// The library's version as major * 65536 + minor (DllGetVersion), 1 when it cannot be asked.
DWORD CommonControlsVersion();
