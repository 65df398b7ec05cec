// A second process for the settings store's file tests, so that sharing is exercised across
// processes as it is in the field.
//
//   prefs_holder hold PATH ACCESS SHARE READY RELEASE
//       Opens PATH (OPEN_EXISTING) with ACCESS (r, w, rw) and SHARE (none, r, w, rw), signals the
//       named event READY and keeps the file open until the named event RELEASE is signalled.
//   prefs_holder try PATH ACCESS SHARE
//       Tries to open PATH; exits with 0 when it could, else with GetLastError().
// Exit codes: 0 success, the Win32 error of a failed open, 90 for bad arguments, 91 on timeout.
#include <windows.h>

#include <cwchar>

namespace {

DWORD Access(const wchar_t* text) {
  DWORD access = 0;
  if (std::wcschr(text, L'r')) access |= GENERIC_READ;
  if (std::wcschr(text, L'w')) access |= GENERIC_WRITE;
  return access;
}

DWORD Share(const wchar_t* text) {
  DWORD share = 0;
  if (std::wcschr(text, L'r')) share |= FILE_SHARE_READ;
  if (std::wcschr(text, L'w')) share |= FILE_SHARE_WRITE;
  return share;
}

int HoldUntilReleased(HANDLE file, const wchar_t* ready, const wchar_t* release) {
  HANDLE readyEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, ready);
  HANDLE releaseEvent = OpenEventW(SYNCHRONIZE, FALSE, release);
  if (!readyEvent || !releaseEvent) return 90;
  SetEvent(readyEvent);
  const DWORD waited = WaitForSingleObject(releaseEvent, 60000);
  CloseHandle(file);
  CloseHandle(readyEvent);
  CloseHandle(releaseEvent);
  return waited == WAIT_OBJECT_0 ? 0 : 91;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 90;
  const wchar_t* command = argv[1];
  const wchar_t* path = argv[2];
  if (std::wcscmp(command, L"try") == 0 && argc == 5) {
    HANDLE file = CreateFileW(path, Access(argv[3]), Share(argv[4]), nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    CloseHandle(file);
    return 0;
  }
  if (std::wcscmp(command, L"hold") == 0 && argc == 7) {
    HANDLE file = CreateFileW(path, Access(argv[3]), Share(argv[4]), nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    return HoldUntilReleased(file, argv[5], argv[6]);
  }
  return 90;
}
