// The recording stand-in program: a child for launcher and end-to-end tests that writes down
// how it was started and behaves as its steering file says. Record format and steering:
// tests/support/recorder_record.h.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "tests/support/recorder_record.h"
#include "tests/support/win_files.h"

namespace {

using recorder::AppendRecord;
using recorder::ImagePath;

// A file beside the exe, named after it with another extension.
std::wstring BesideImage(const std::wstring& image, const wchar_t* extension) {
  const std::size_t slash = image.find_last_of(L"\\/");
  const std::size_t dot = image.find_last_of(L'.');
  const std::wstring stem = (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) ? image.substr(0, dot) : image;
  return stem + extension;
}

std::wstring CurrentFolder() {
  const DWORD need = GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(need, L'\0');
  const DWORD got = GetCurrentDirectoryW(need, folder.data());
  folder.resize(got < need ? got : 0);
  return folder;
}

struct Steering {
  DWORD exitCode = 0;
  DWORD sleepMs = 0;
  bool crash = false;
};

DWORD ParseUnsigned(const std::string& value) {
  return static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 0));
}

Steering ReadSteering(const std::wstring& path) {
  Steering steering;
  const std::string text = wintest::ReadFileBytes(path);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) {
      const std::string key = line.substr(0, equals);
      const std::string value = line.substr(equals + 1);
      if (key == "exit") steering.exitCode = ParseUnsigned(value);
      else if (key == "sleep") steering.sleepMs = ParseUnsigned(value);
      else if (key == "crash") steering.crash = ParseUnsigned(value) != 0;
    }
    start = end + 1;
  }
  return steering;
}

const char* HandleKind(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return "none";
  switch (GetFileType(handle)) {
    case FILE_TYPE_PIPE: return "pipe";
    case FILE_TYPE_CHAR: return "char";
    case FILE_TYPE_DISK: return "disk";
    default: return "unknown";
  }
}

bool WriteAll(HANDLE handle, const char* bytes, DWORD count) {
  while (count > 0) {
    DWORD written = 0;
    if (!WriteFile(handle, bytes, count, &written, nullptr) || written == 0) return false;
    bytes += written;
    count -= written;
  }
  return true;
}

// Copies standard input to standard output until the writer closes its end.
std::uint64_t Echo(HANDLE in, HANDLE out) {
  std::uint64_t total = 0;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    total += got;
    WriteAll(out, buffer, got);
  }
  return total;
}

}  // namespace

int wmain() {
  // A crash must end the run at once, never wait on a crash dialog.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

  const std::wstring image = ImagePath();
  std::wstring recordPath = wintest::EnvironmentText(L"REBOOTPC_RECORD_FILE");
  if (recordPath.empty()) recordPath = BesideImage(image, L".record");
  std::wstring steerPath = wintest::EnvironmentText(L"REBOOTPC_RECORDER_STEER");
  if (steerPath.empty()) steerPath = BesideImage(image, L".steer");
  const Steering steering = ReadSteering(steerPath);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);

  const wchar_t* commandLine = GetCommandLineW();
  std::string argv = "[";
  int argc = 0;
  if (wchar_t** args = CommandLineToArgvW(commandLine, &argc)) {
    for (int i = 0; i < argc; ++i) {
      if (i > 0) argv += ",";
      argv += recorder::EncodeString(args[i]);
    }
    LocalFree(args);
  }
  argv += "]";

  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  const std::string inKind = HandleKind(in);
  const std::string outKind = HandleKind(out);
  const std::string errKind = HandleKind(err);
  DWORD consoleProcesses[8];
  const DWORD consoleCount = GetConsoleProcessList(consoleProcesses, 8);

  // Only a pipe the parent handed over on purpose is echoed: without STARTF_USESTDHANDLES the
  // child may still hold its parent's own standard input (Wine copies the parent's standard
  // handles into every child), which may be a pipe that never ends.
  const bool givenInput = (startup.dwFlags & STARTF_USESTDHANDLES) != 0 && inKind == "pipe";
  const std::uint64_t echoed = givenInput ? Echo(in, out) : 0;
  if (errKind != "none") {
    static const char kLine[] = "recorder: stderr line\r\n";
    WriteAll(err, kLine, sizeof kLine - 1);
  }
  if (steering.sleepMs > 0) Sleep(steering.sleepMs);

  std::string line = "{\"image\":" + recorder::EncodeString(image);
  line += ",\"pid\":" + std::to_string(GetCurrentProcessId());
  line += ",\"commandLine\":" + recorder::EncodeString(commandLine);
  line += ",\"argv\":" + argv;
  line += ",\"folder\":" + recorder::EncodeString(CurrentFolder());
  line += ",\"showWindow\":" + std::to_string(startup.wShowWindow);
  line += ",\"startupFlags\":" + std::to_string(startup.dwFlags);
  line += ",\"priorityClass\":" + std::to_string(GetPriorityClass(GetCurrentProcess()));
  line += ",\"consoleProcesses\":" + std::to_string(consoleCount);
  line += ",\"stdin\":\"" + inKind + "\",\"stdout\":\"" + outKind + "\",\"stderr\":\"" + errKind + "\"";
  line += ",\"echoedBytes\":" + std::to_string(echoed);
  line += ",\"sleptMs\":" + std::to_string(steering.sleepMs);
  line += ",\"exitCode\":" + std::to_string(steering.exitCode);
  line += "}\n";
  AppendRecord(recordPath, line);

  if (steering.crash) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(EXCEPTION_ACCESS_VIOLATION));
  return static_cast<int>(steering.exitCode);
}
