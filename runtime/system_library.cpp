#include "runtime/system_library.h"

namespace {

using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);

// SetDefaultDllDirectories and the LOAD_LIBRARY_SEARCH_* flags exist from Windows 8 on, and on
// Vista and 7 with update KB2533623; without them the system folder is named in full instead.
SetDefaultDllDirectoriesProc SetDefaultDllDirectoriesEntry() {
  static const auto entry = SystemLibraryEntry<SetDefaultDllDirectoriesProc>(GetModuleHandleW(L"kernel32.dll"),
                                                                              "SetDefaultDllDirectories");
  return entry;
}

}  // namespace

void DllSearchRestrict() {
  if (const SetDefaultDllDirectoriesProc restrict = SetDefaultDllDirectoriesEntry()) {
    restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // The current folder (where reboot.prefs lives) leaves the search on every version.
  SetDllDirectoryW(L"");
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
  if (SetDefaultDllDirectoriesEntry()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  wchar_t path[MAX_PATH];
  return SystemFolderFile(name, path) ? LoadLibraryW(path) : nullptr;
}
