// The settings store against the plain Win32 ways of doing the same work, measured alternately in
// the same run:
// - what the tool does on every move of its window, on its own six-key reboot.prefs: PrefsOpen,
//   PrefsWriteInteger of RebootX and RebootY, PrefsClose, against the same bytes read and written
//   back raw (CreateFileW, ReadFile, SetFilePointerEx, WriteFile, SetEndOfFile, CloseHandle). One
//   save takes tens of microseconds, so a round times a batch of each, one after the other;
// - for information, on a generated file of about 10 MB holding 100,000 keys (ASCII, no mark):
//   PrefsOpen + one PrefsWriteString + PrefsClose against a raw ReadFile of the whole file and a
//   WriteFile of the same bytes back, and 1,000 PrefsReadString calls against as many
//   GetPrivateProfileStringW calls on the same file (the profile API caches the loaded file).
// Prints rows of the benchmarks' table (bench_table.h).
//
//   bench_prefs [rounds [large-file rounds]]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_table.h"
#include "prefs/prefs.h"
#include "runtime/memory.h"
#include "runtime/text.h"

namespace {

constexpr int kKeys = 100000;
constexpr int kReads = 1000;
constexpr int kSavesPerBatch = 200;

// The tool's settings file as it stands after the first start: the position and the three
// scrambled answers. A save of position 40, 40 gives the same bytes back.
constexpr char kToolFile[] =
    "\xEF\xBB\xBF\r\nFirstRun = 0\r\nRebootX = 40\r\nRebootY = 40\r\nAdminName = 25>:?\r\n"
    "AdminPass = $64C6E\r\nDomain = 4@CA\r\n";

double Now() {
  static LARGE_INTEGER frequency{};
  if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::wstring KeyName(int n) { return L"Key" + std::to_wstring(n); }

// 100,000 lines "KeyN = " + about 90 characters: about 10 MB.
std::string Content() {
  std::string content;
  content.reserve(kKeys * 104);
  for (int n = 0; n < kKeys; ++n) {
    content += "Key" + std::to_string(n) + " = value " + std::to_string(n * 7919) + " ";
    content.append(80, static_cast<char>('a' + n % 26));
    content += "\r\n";
  }
  return content;
}

bool WriteAll(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) && wrote == bytes.size();
  CloseHandle(file);
  return ok;
}

// Reads an open file whole into `buffer` and writes the bytes read back over it, as a save
// without the store does.
void ReadAndWriteBack(HANDLE file, char* buffer, DWORD capacity) {
  DWORD got = 0;
  ReadFile(file, buffer, capacity, &got, nullptr);
  LARGE_INTEGER zero{};
  SetFilePointerEx(file, zero, nullptr, FILE_BEGIN);
  DWORD wrote = 0;
  WriteFile(file, buffer, got, &wrote, nullptr);
  SetEndOfFile(file);
}

// What a save without the store costs: read the file whole into a buffer of its own, as any
// reader must, and write the same bytes back.
double RawReadWrite(const std::wstring& path) {
  const double start = Now();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  auto* buffer = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, static_cast<std::size_t>(size.QuadPart)));
  ReadAndWriteBack(file, buffer, static_cast<DWORD>(size.QuadPart));
  CloseHandle(file);
  HeapFree(GetProcessHeap(), 0, buffer);
  return Now() - start;
}

// The tool's save done raw: the same opening, the file read whole, and its bytes written back.
double RawToolSaves(const std::wstring& path) {
  char buffer[4096];
  const double start = Now();
  for (int i = 0; i < kSavesPerBatch; ++i) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    ReadAndWriteBack(file, buffer, sizeof buffer);
    CloseHandle(file);
  }
  return Now() - start;
}

// The tool's save on a move of its window (SavePosition in app/settings.cpp).
double PrefsToolSaves(const std::wstring& path) {
  const double start = Now();
  for (int i = 0; i < kSavesPerBatch; ++i) {
    PrefsOpen(path.c_str());
    PrefsWriteInteger(L"RebootX", 40);
    PrefsWriteInteger(L"RebootY", 40);
    PrefsClose();
  }
  return Now() - start;
}

double PrefsOpenWriteClose(const std::wstring& path) {
  const double start = Now();
  PrefsOpen(path.c_str());
  PrefsWriteString(L"Key50000", L"changed");
  PrefsClose();
  return Now() - start;
}

double PrefsReads(const std::wstring& path, std::size_t* found) {
  const double start = Now();
  PrefsOpen(path.c_str());
  for (int i = 0; i < kReads; ++i) {
    const Text value = PrefsReadString(KeyName(i * (kKeys / kReads)).c_str(), L"");
    *found += value.empty() ? 0 : 1;
  }
  PrefsClose();
  return Now() - start;
}

double ProfileReads(const std::wstring& path, std::size_t* found) {
  wchar_t value[256];
  const double start = Now();
  for (int i = 0; i < kReads; ++i) {
    *found += GetPrivateProfileStringW(L"", KeyName(i * (kKeys / kReads)).c_str(), L"", value, 256, path.c_str()) ? 1 : 0;
  }
  return Now() - start;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 31;
  const int largeRuns = argc > 2 ? std::max(1, _wtoi(argv[2])) : 9;
  RuntimeHeapCreate();
  StringsInit();
  PrefsInit();

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"rebootpc_bench_prefs_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring storePath = folder + L"\\store.prefs";
  const std::wstring rawPath = folder + L"\\raw.prefs";
  const std::wstring profilePath = folder + L"\\profile.ini";
  const std::wstring toolStorePath = folder + L"\\tool_store.prefs";
  const std::wstring toolRawPath = folder + L"\\tool_raw.prefs";
  const std::string toolFile(kToolFile, sizeof kToolFile - 1);
  const std::string content = Content();
  if (!WriteAll(storePath, content) || !WriteAll(rawPath, content) || !WriteAll(profilePath, content) ||
      !WriteAll(toolStorePath, toolFile) || !WriteAll(toolRawPath, toolFile)) {
    std::fprintf(stderr, "cannot write the benchmark files in %ls\n", folder.c_str());
    return 1;
  }

  std::vector<double> toolStore, toolRaw, store, raw, storeReads, profileReads;
  std::size_t storeFound = 0;
  std::size_t profileFound = 0;
  for (int run = 0; run < runs; ++run) {
    toolRaw.push_back(RawToolSaves(toolRawPath) * 1000.0 / kSavesPerBatch);
    toolStore.push_back(PrefsToolSaves(toolStorePath) * 1000.0 / kSavesPerBatch);
    if (run >= largeRuns) continue;
    raw.push_back(RawReadWrite(rawPath));
    store.push_back(PrefsOpenWriteClose(storePath));
    profileReads.push_back(ProfileReads(profilePath, &profileFound));
    storeReads.push_back(PrefsReads(storePath, &storeFound));
  }
  bench::Row("settings move save, 6 keys (us)", toolStore, toolRaw, "<= 1.2");
  bench::Row("settings open+write+close 10 MB (ms)", store, raw, "(info)");
  bench::Row("settings 1,000 reads of 100k keys (ms)", storeReads, profileReads, "(info)");
  const int readsMade = std::min(runs, largeRuns) * kReads;
  if (storeFound != static_cast<std::size_t>(readsMade) || profileFound != storeFound) {
    std::printf("note: keys found: store %zu, GetPrivateProfileStringW %zu, of %d\n", storeFound, profileFound,
                readsMade);
  }

  PrefsEnd();
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, profilePath.c_str());  // flush the profile cache
  DeleteFileW(storePath.c_str());
  DeleteFileW(rawPath.c_str());
  DeleteFileW(profilePath.c_str());
  DeleteFileW(toolStorePath.c_str());
  DeleteFileW(toolRawPath.c_str());
  RemoveDirectoryW(folder.c_str());
  StringsShutdown();
  RuntimeHeapDestroy();
  return 0;
}
