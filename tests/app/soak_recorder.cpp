// The fast recording stand-in for the soak and bulk-input tests: installed as
// system32\shutdown.exe, it appends one record (the format of tests/support/recorder_record.h,
// with the keys image, pid, commandLine and exitCode) to the ".record" file beside itself and
// exits with 0. Unlike recorder.exe it loads nothing but kernel32 — no shell32 for
// CommandLineToArgvW, which doubles a process start under Wine — so thousands of submits fit in
// a CI run; the test splits the recorded command line with CommandLineToArgvW itself, which is
// exactly what recorder.exe would have recorded as argv.
#include <windows.h>

#include <string>

#include "tests/support/recorder_record.h"

namespace {

std::wstring ImagePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got < path.size()) {
      path.resize(got);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

int wmain() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  const std::wstring image = ImagePath();
  const std::size_t dot = image.find_last_of(L'.');
  const std::wstring recordPath = image.substr(0, dot) + L".record";

  std::string line = "{\"image\":" + recorder::EncodeString(image);
  line += ",\"pid\":" + std::to_string(GetCurrentProcessId());
  line += ",\"commandLine\":" + recorder::EncodeString(GetCommandLineW());
  line += ",\"exitCode\":0}\n";
  // FILE_APPEND_DATA alone: the one WriteFile lands at the end of the file as one piece.
  HANDLE file = CreateFileW(recordPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
  }
  return 0;
}
