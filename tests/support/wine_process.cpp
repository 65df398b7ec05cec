#include "tests/support/wine_process.h"

#include <windows.h>

#include <cstdlib>

#include "tests/support/win_files.h"

namespace wineproc {

namespace {

class ScopedSearch {
 public:
  explicit ScopedSearch(HANDLE handle) : handle_(handle) {}
  ~ScopedSearch() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  ScopedSearch(const ScopedSearch&) = delete;
  ScopedSearch& operator=(const ScopedSearch&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

std::wstring ProcFolder(std::uint32_t linuxPid) { return L"Z:\\proc\\" + std::to_wstring(linuxPid); }

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The value of NAME=... in a NUL-separated environment block.
std::string EnvironmentValue(const std::string& block, const std::string& name) {
  const std::string wanted = name + "=";
  std::size_t start = 0;
  while (start < block.size()) {
    const std::size_t end = block.find('\0', start);
    const std::string entry = block.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (entry.compare(0, wanted.size(), wanted) == 0) return entry.substr(wanted.size());
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return std::string();
}

}  // namespace

std::uint32_t LinuxProcessOf(const std::wstring& imagePath) {
  const std::string prefix = EnvironmentValue(wintest::ReadFileBytes(L"Z:\\proc\\self\\environ"), "WINEPREFIX");
  std::string wanted;
  for (wchar_t c : imagePath) wanted += static_cast<char>(c < 0x80 ? c : '?');
  wanted = Lower(wanted);
  std::string unixPath;
  if (wanted.compare(0, 3, "z:\\") == 0) {
    unixPath = wanted.substr(2);
    for (char& c : unixPath) c = c == '\\' ? '/' : c;
  }

  WIN32_FIND_DATAW found;
  ScopedSearch search(FindFirstFileW(L"Z:\\proc\\*", &found));
  if (search.get() == INVALID_HANDLE_VALUE) return 0;
  do {
    if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') continue;
    const std::wstring folder = std::wstring(L"Z:\\proc\\") + found.cFileName;
    const std::string program = Lower(wintest::ReadFileBytes(folder + L"\\cmdline").c_str());  // up to the first NUL
    if (program != wanted && (unixPath.empty() || program != unixPath)) continue;
    if (EnvironmentValue(wintest::ReadFileBytes(folder + L"\\environ"), "WINEPREFIX") != prefix) continue;
    return static_cast<std::uint32_t>(std::wcstoul(found.cFileName, nullptr, 10));
  } while (FindNextFileW(search.get(), &found));
  return 0;
}

std::int64_t StatusField(std::uint32_t linuxPid, const char* field) {
  if (linuxPid == 0) return -1;
  const std::string status = wintest::ReadFileBytes(ProcFolder(linuxPid) + L"\\status");
  const std::size_t at = status.find(field);
  if (at == std::string::npos) return -1;
  return std::strtoll(status.c_str() + at + std::char_traits<char>::length(field), nullptr, 10);
}

std::int64_t DescriptorCount(std::uint32_t linuxPid) {
  if (linuxPid == 0) return -1;
  WIN32_FIND_DATAW found;
  ScopedSearch search(FindFirstFileW((ProcFolder(linuxPid) + L"\\fd\\*").c_str(), &found));
  if (search.get() == INVALID_HANDLE_VALUE) return -1;
  std::int64_t count = 0;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") ++count;
  } while (FindNextFileW(search.get(), &found));
  return count;
}

}  // namespace wineproc
