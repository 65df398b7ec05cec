// What the soak and fault tests add to the end-to-end driver (tool_driver.h): the fast
// recording stand-in, an incremental reader of the record file, and driving the main window's
// fields and Submit button by messages where thousands of submits or moves leave no time for typing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/recorder_record.h"

namespace evidence {

// Puts the fast stand-in (soak_recorder.exe) in place of system32\shutdown.exe, with no
// records; false when the copy failed.
bool InstallFastRecorder();

// Reads the records appended to a record file since the last call.
class RecordTail {
 public:
  explicit RecordTail(std::wstring path) : path_(std::move(path)) {}
  // The whole records that arrived since the last call, oldest first.
  std::vector<recorder::Record> Take();
  // The same, once at least one has arrived; empty when none came within `milliseconds`.
  std::vector<recorder::Record> WaitTake(DWORD milliseconds);

 private:
  std::wstring path_;
  std::uint64_t offset_ = 0;
  std::string partial_;
};

// A command line split as shutdown.exe's CommandLineToArgvW splits it.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);
// Presses Submit by posting BM_CLICK, so the caller is not held while the tool waits for
// shutdown.exe.
void PostSubmit(HWND main);
// The form after a successful submit: name and notice empty, timeout "30".
bool FormIsReset(HWND main);

// Random bytes from a fixed seed (the hostile files are the same on every run).
std::string RandomBytes(std::size_t count, std::uint32_t seed);

}  // namespace evidence
