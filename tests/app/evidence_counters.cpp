#include "tests/app/evidence_counters.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdlib>
#include <vector>

namespace evidence {

namespace {

class ScopedFile {
 public:
  explicit ScopedFile(HANDLE handle) : handle_(handle) {}
  ~ScopedFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

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

// /proc files report a size of 0, so they are read until ReadFile gives nothing more.
std::string ReadProcFile(const std::wstring& path) {
  ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr));
  std::string bytes;
  if (file.get() == INVALID_HANDLE_VALUE) return bytes;
  char chunk[8192];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  return bytes;
}

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

std::int64_t StatusField(const std::string& status, const char* field) {
  const std::size_t at = status.find(field);
  if (at == std::string::npos) return -1;
  return std::strtoll(status.c_str() + at + std::char_traits<char>::length(field), nullptr, 10);
}

std::int64_t CountEntries(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  ScopedSearch search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (search.get() == INVALID_HANDLE_VALUE) return -1;
  std::int64_t count = 0;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") ++count;
  } while (FindNextFileW(search.get(), &found));
  return count;
}

// The layout of SystemHandleInformation (class 16) entries.
struct HandleEntry {
  ULONG ownerPid;
  BYTE objectType;
  BYTE flags;
  USHORT value;
  PVOID object;
  ULONG access;
};
struct HandleTable {
  ULONG count;
  HandleEntry entries[1];
};

using QuerySystemInformation = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

std::int64_t TableHandles(DWORD processId) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto query = ntdll ? reinterpret_cast<QuerySystemInformation>(
                           reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")))
                     : nullptr;
  if (!query) return -1;
  std::vector<char> buffer(1 << 16);
  NTSTATUS status = 0;
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status != kInfoLengthMismatch) break;
    buffer.resize(buffer.size() * 2 > needed ? buffer.size() * 2 : needed + 4096);
  }
  if (status != 0) return -1;
  const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
  std::int64_t count = 0;
  for (ULONG i = 0; i < table->count; ++i) {
    if (table->entries[i].ownerPid == processId) ++count;
  }
  return count;
}

struct WindowCount {
  DWORD processId;
  std::int64_t count;
};

BOOL CALLBACK CountChild(HWND, LPARAM parameter) {
  ++reinterpret_cast<WindowCount*>(parameter)->count;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM parameter) {
  auto* counter = reinterpret_cast<WindowCount*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == counter->processId) {
    ++counter->count;
    EnumChildWindows(window, CountChild, parameter);
  }
  return TRUE;
}

}  // namespace

std::uint32_t LinuxProcessOf(const std::wstring& imagePath) {
  const std::string prefix = EnvironmentValue(ReadProcFile(L"Z:\\proc\\self\\environ"), "WINEPREFIX");
  std::string wanted;
  for (wchar_t c : imagePath) wanted += static_cast<char>(c < 0x80 ? c : '?');
  wanted = Lower(wanted);

  WIN32_FIND_DATAW found;
  ScopedSearch search(FindFirstFileW(L"Z:\\proc\\*", &found));
  if (search.get() == INVALID_HANDLE_VALUE) return 0;
  do {
    if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') continue;
    const std::wstring folder = std::wstring(L"Z:\\proc\\") + found.cFileName;
    const std::string program = Lower(ReadProcFile(folder + L"\\cmdline").c_str());  // up to the first NUL
    if (program != wanted) continue;
    if (EnvironmentValue(ReadProcFile(folder + L"\\environ"), "WINEPREFIX") != prefix) continue;
    return static_cast<std::uint32_t>(std::wcstoul(found.cFileName, nullptr, 10));
  } while (FindNextFileW(search.get(), &found));
  return 0;
}

ResourceSample Sample(HANDLE process, DWORD processId, std::uint32_t linuxPid) {
  ResourceSample sample;
  sample.tableHandles = TableHandles(processId);
  WindowCount windows{processId, 0};
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
  sample.windows = windows.count;

  DWORD handles = 0;
  if (GetProcessHandleCount(process, &handles)) sample.apiHandles = handles;
  sample.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
  sample.userObjects = GetGuiResources(process, GR_USEROBJECTS);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    sample.privateKiB = static_cast<std::int64_t>(memory.PrivateUsage / 1024);
    sample.workingSetKiB = static_cast<std::int64_t>(memory.WorkingSetSize / 1024);
  }

  if (linuxPid != 0) {
    const std::wstring folder = L"Z:\\proc\\" + std::to_wstring(linuxPid);
    const std::string status = ReadProcFile(folder + L"\\status");
    sample.rssAnonKiB = StatusField(status, "RssAnon:");
    sample.vmRssKiB = StatusField(status, "VmRSS:");
    sample.descriptors = CountEntries(folder + L"\\fd");
  }
  return sample;
}

std::string Describe(const ResourceSample& s) {
  return "table handles " + std::to_string(s.tableHandles) + ", windows " + std::to_string(s.windows) +
         ", RssAnon " + std::to_string(s.rssAnonKiB) + " KiB, VmRSS " + std::to_string(s.vmRssKiB) +
         " KiB, descriptors " + std::to_string(s.descriptors) + " | platform: GetProcessHandleCount " +
         std::to_string(s.apiHandles) + ", GDI " + std::to_string(s.gdiObjects) + ", USER " +
         std::to_string(s.userObjects) + ", private " + std::to_string(s.privateKiB) + " KiB, working set " +
         std::to_string(s.workingSetKiB) + " KiB";
}

}  // namespace evidence
