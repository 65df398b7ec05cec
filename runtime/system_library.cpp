#include "runtime/system_library.h"

namespace {

using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);

// SetDefaultDllDirectories and the LOAD_LIBRARY_SEARCH_* flags exist from Windows 8 on, and on
// Vista and 7 with update KB2533623; without them the system folder is named in full instead.
SetDefaultDllDirectoriesProc SetDefaultDllDirectoriesEntry() {
  static const SetDefaultDllDirectoriesProc entry = reinterpret_cast<SetDefaultDllDirectoriesProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
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

HMODULE SystemLibraryLoad(const wchar_t* name) {
  if (SetDefaultDllDirectoriesEntry()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  wchar_t path[MAX_PATH];
  const UINT folderLength = GetSystemDirectoryW(path, MAX_PATH);
  if (folderLength == 0) return nullptr;
  const int nameLength = lstrlenW(name);
  if (folderLength + 1 + static_cast<UINT>(nameLength) >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
  }
  path[folderLength] = L'\\';
  lstrcpyW(path + folderLength + 1, name);
  return LoadLibraryW(path);
}
