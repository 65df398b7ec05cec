#include "tests/support/win_files.h"

#include <cwchar>

namespace wintest {

std::string ReadToEnd(HANDLE handle) {
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(handle, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  return bytes;
}

std::string ReadFileBytes(const std::wstring& path, std::uint64_t offset) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  const std::string bytes = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ? ReadToEnd(file) : std::string();
  CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::wstring EnvironmentText(const wchar_t* name) {
  std::wstring value(256, L'\0');
  DWORD got = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  if (got >= value.size()) {
    value.resize(got);
    got = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  }
  value.resize(got < value.size() ? got : 0);
  return value;
}

long EnvironmentNumber(const wchar_t* name, long fallback) {
  const long number = std::wcstol(EnvironmentText(name).c_str(), nullptr, 10);
  return number > 0 ? number : fallback;
}

}  // namespace wintest
