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
  HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return records;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset_);
  std::string text;
  if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
    char chunk[16384];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  }
  CloseHandle(file);
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

std::vector<std::wstring> ExpectedArguments(const std::wstring& name, const std::wstring& timeout,
                                            const std::wstring& notice) {
  std::vector<std::wstring> arguments = {L"/r", L"/f", L"/m", L"\\\\" + name, L"/t"};
  if (!timeout.empty()) arguments.push_back(timeout);
  arguments.push_back(L"-c");
  arguments.push_back(notice);
  return arguments;
}

std::string Show(const std::vector<std::wstring>& arguments) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (const std::wstring& argument : arguments) {
    out += '[';
    for (wchar_t unit : argument) {
      if (unit >= 0x20 && unit < 0x7f) {
        out += static_cast<char>(unit);
      } else {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xf];
      }
    }
    out += ']';
  }
  return out;
}

HWND NameField(HWND main) { return GetDlgItem(main, 0); }
HWND TimeoutField(HWND main) { return GetDlgItem(main, 4); }
HWND NoticeField(HWND main) { return GetDlgItem(main, 5); }
HWND SubmitButton(HWND main) { return GetDlgItem(main, 7); }

bool SetText(HWND control, const std::wstring& text) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                             &answer) != 0 &&
         answer == TRUE;
}

void PostSubmit(HWND main) { PostMessageW(SubmitButton(main), BM_CLICK, 0, 0); }

bool FormIsReset(HWND main) {
  return tooltest::TextOf(NameField(main)).empty() && tooltest::TextOf(NoticeField(main)).empty() &&
         tooltest::TextOf(TimeoutField(main)) == L"30";
}

std::string RandomBytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
  return bytes;
}

}  // namespace evidence
