// What the soak and fault tests add to the end-to-end driver (tool_driver.h): the fast
// recording stand-in, an incremental reader of the record file, the arguments shutdown.exe must
// receive for three field texts, and driving the main window's fields and Submit button by
// messages (WM_SETTEXT, BM_CLICK) where thousands of submits or moves leave no time for typing.
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
// The arguments after the program name for the three field texts: /r /f /m \\<name> /t
// <timeout> -c <notice>, the timeout left out when it is empty.
std::vector<std::wstring> ExpectedArguments(const std::wstring& name, const std::wstring& timeout,
                                            const std::wstring& notice);
// "[a][b]..." with the texts in UTF-8 and units outside printable ASCII as \uXXXX.
std::string Show(const std::vector<std::wstring>& arguments);

// The main window's controls (their control identifiers are the gadget numbers).
HWND NameField(HWND main);
HWND TimeoutField(HWND main);
HWND NoticeField(HWND main);
HWND SubmitButton(HWND main);
// Replaces a control's text by WM_SETTEXT, as a paste would; false when the tool did not answer.
bool SetText(HWND control, const std::wstring& text);
// Presses Submit by posting BM_CLICK, so the caller is not held while the tool waits for
// shutdown.exe.
void PostSubmit(HWND main);
// The form after a successful submit: name and notice empty, timeout "30".
bool FormIsReset(HWND main);

// Random bytes from a fixed seed (the hostile files are the same on every run).
std::string RandomBytes(std::size_t count, std::uint32_t seed);

}  // namespace evidence
