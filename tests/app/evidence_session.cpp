#include "tests/app/evidence_session.h"

#include <shellapi.h>

#include <random>

#include "tests/app/tool_driver.h"
#include "tests/support/win_test.h"

#ifndef REBOOTPC_FAST_RECORDER_EXE
#error "REBOOTPC_FAST_RECORDER_EXE names the built soak_recorder.exe"
#endif

namespace evidence {

bool InstallFastRecorder() {
  DeleteFileW(tooltest::SystemRecordFile().c_str());
  DeleteFileW(tooltest::SystemSteerFile().c_str());
  return CopyFileW(tooltest::WindowsPath(REBOOTPC_FAST_RECORDER_EXE).c_str(), tooltest::SystemShutdown().c_str(), FALSE) !=
         FALSE;
}

std::vector<recorder::Record> RecordTail::Take() {
  std::vector<recorder::Record> records;
  const std::string text = wintest::ReadFileBytes(path_, offset_);
  offset_ += text.size();
  partial_ += text;
  // Only whole lines: a record still being appended stays for the next call.
  const std::size_t end = partial_.rfind('\n');
  if (end == std::string::npos) return records;
  records = recorder::ParseRecords(partial_.substr(0, end + 1));
  partial_.erase(0, end + 1);
  return records;
}

std::vector<recorder::Record> RecordTail::WaitTake(DWORD milliseconds) {
  std::vector<recorder::Record> records;
  wintest::WaitUntil(
      [&] {
        std::vector<recorder::Record> more = Take();
        records.insert(records.end(), more.begin(), more.end());
        return !records.empty();
      },
      milliseconds);
  return records;
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
  std::vector<std::wstring> arguments;
  int count = 0;
  if (wchar_t** split = CommandLineToArgvW(commandLine.c_str(), &count)) {
    for (int i = 0; i < count; ++i) arguments.emplace_back(split[i]);
    LocalFree(split);
  }
  return arguments;
}

// The control identifiers are the gadget numbers: 0 name, 4 timeout, 5 notice, 7 Submit.
void PostSubmit(HWND main) { PostMessageW(GetDlgItem(main, 7), BM_CLICK, 0, 0); }

bool FormIsReset(HWND main) {
  return tooltest::TextOf(GetDlgItem(main, 0)).empty() && tooltest::TextOf(GetDlgItem(main, 5)).empty() &&
         tooltest::TextOf(GetDlgItem(main, 4)) == L"30";
}

std::string RandomBytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
  return bytes;
}

}  // namespace evidence
