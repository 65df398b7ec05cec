#include "runtime/system_library.h"

namespace {

// The system DLLs the tool uses that are no KnownDLLs, and that system DLLs load by bare name
// (comctl32 loads uxtheme).
const wchar_t* const kLoadedByNameBySystem[] = {L"uxtheme.dll", L"dwmapi.dll", L"msimg32.dll"};

}  // namespace

void DllSearchRestrict() {
  const SetDefaultDllDirectoriesProc restrict = DefaultDllDirectoriesEntry();
  if (restrict) restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // The current folder (where reboot.prefs lives) leaves the search on every version.
  SetDllDirectoryW(L"");
  if (restrict) return;
  // Without the restriction a load by bare name searches the program's folder first, also when
  // a system DLL makes it, but takes a module of that name that is already loaded, from whatever
  // folder it came. So these are loaded now from the system folder and stay for the process.
  for (const wchar_t* name : kLoadedByNameBySystem) SystemLibraryLoad(name);
}

bool SystemFolderFile(const wchar_t* name, wchar_t (&path)[MAX_PATH]) {
  const UINT folderLength = GetSystemDirectoryW(path, MAX_PATH);
  if (folderLength == 0) return false;
  if (folderLength + 1 + static_cast<UINT>(lstrlenW(name)) >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  path[folderLength] = L'\\';
  lstrcpyW(path + folderLength + 1, name);
  return true;
}

HMODULE SystemLibraryLoad(const wchar_t* name) {
  if (DefaultDllDirectoriesEntry()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  wchar_t path[MAX_PATH];
  return SystemFolderFile(name, path) ? LoadLibraryW(path) : nullptr;
}

HMODULE SideBySideLibraryLoad(const wchar_t* name) {
  if (DefaultDllDirectoriesEntry()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // By bare name: the manifest's redirection applies to that before any folder is searched. No
  // redirection is documented for a full path, which can give the system folder's comctl32 5.8
  // (it does under Wine).
  return LoadLibraryW(name);
}
