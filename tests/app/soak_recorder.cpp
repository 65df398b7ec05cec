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

int wmain() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  const std::wstring image = recorder::ImagePath();
  const std::size_t dot = image.find_last_of(L'.');
  const std::wstring recordPath = image.substr(0, dot) + L".record";

  std::string line = "{\"image\":" + recorder::EncodeString(image);
  line += ",\"pid\":" + std::to_string(GetCurrentProcessId());
  line += ",\"commandLine\":" + recorder::EncodeString(GetCommandLineW());
  line += ",\"exitCode\":0}\n";
  recorder::AppendRecord(recordPath, line);
  return 0;
}
