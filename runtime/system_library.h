// Loading the system's own DLLs only. A DLL loaded by bare name is searched for in the
// application's folder first, so a copy planted beside the program (a Downloads folder) would
// run inside it; KnownDLLs are exempt, but dwmapi, msimg32, uxtheme and comctl32 are not.
#pragma once

#include <windows.h>

// Restricts the process's default DLL search to the system folder, for every later load and
// for the imports of what is loaded later. Called first thing at start, before anything can
// load a DLL.
void DllSearchRestrict();
// Loads a DLL of the system by name: from the system folder (or its side-by-side assembly, as
// the application's manifest selects), never from the application's or the current folder.
// Null on failure, with the reason in the last error.
HMODULE SystemLibraryLoad(const wchar_t* name);
