// Loading the system's own DLLs only. A DLL loaded by bare name is searched for in the
// application's folder first, so a copy planted beside the program (a Downloads folder) would
// run inside it; KnownDLLs are exempt, but dwmapi, msimg32, uxtheme and comctl32 are not.
#pragma once

#include <windows.h>

using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
// kernel32's SetDefaultDllDirectories, looked up once; null where the system lacks it (Vista,
// and 7 without update KB2533623, which also brings the LOAD_LIBRARY_SEARCH_* flags).
SetDefaultDllDirectoriesProc DefaultDllDirectoriesEntry();

// Restricts the process's default DLL search to the system folder, for every later load and
// for the imports of what is loaded later. Where the system cannot restrict it, loads the system
// DLLs that system DLLs load by bare name (uxtheme, dwmapi, msimg32) from the system folder
// instead, so that those loads find them loaded. Called first thing at start, before anything
// can load a DLL.
void DllSearchRestrict();
// The path of a file in the system folder ("C:\\Windows\\System32\\<name>") in `path`; false,
// with the reason in the last error, when the system folder cannot be had or the path would not
// fit.
bool SystemFolderFile(const wchar_t* name, wchar_t (&path)[MAX_PATH]);
// Loads a DLL of the system by name: from the system folder (or its side-by-side assembly, as
// the application's manifest selects, where the search can be restricted), never from the
// application's or the current folder.
// Null on failure, with the reason in the last error.
HMODULE SystemLibraryLoad(const wchar_t* name);
// Loads a system DLL that the application's manifest redirects to a side-by-side assembly
// (comctl32, version 6), so that the redirection applies: restricted to the system folder where
// the system can, else by bare name.
HMODULE SideBySideLibraryLoad(const wchar_t* name);
// An entry point of a loaded module, by name, as the caller's function type; null when the
// module is null or has no such entry.
template <typename Proc>
Proc SystemLibraryEntry(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}
