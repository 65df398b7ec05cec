// The settings store against the plain Win32 ways of doing the same work, measured alternately in
// the same run on one generated file of about 10 MB holding 100,000 keys (ASCII, no mark):
// - PrefsOpen + one PrefsWriteString + PrefsClose (load, parse, rewrite the whole file) against
//   a raw ReadFile of the whole file and a WriteFile of the same bytes back through the handle;
// - opening the file and reading 1,000 keys spread over it with PrefsReadString against 1,000
//   GetPrivateProfileStringW calls on the same file (the profile API caches the loaded file).
// Prints rows of the benchmarks' table (bench_table.h).
//
// The write row's rounds are short and its ratio moves with the host's pace, so it takes more
// of them; the reads take a second per round and their row is for information.
//
//   bench_prefs [write rounds [read rounds]]
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
  DWORD got = 0;
  ReadFile(file, buffer, static_cast<DWORD>(size.QuadPart), &got, nullptr);
  LARGE_INTEGER zero{};
  SetFilePointerEx(file, zero, nullptr, FILE_BEGIN);
  DWORD wrote = 0;
  WriteFile(file, buffer, got, &wrote, nullptr);
  SetEndOfFile(file);
  CloseHandle(file);
  HeapFree(GetProcessHeap(), 0, buffer);
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
  const int readRuns = argc > 2 ? std::max(1, _wtoi(argv[2])) : 9;
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
  const std::string content = Content();
  if (!WriteAll(storePath, content) || !WriteAll(rawPath, content) || !WriteAll(profilePath, content)) {
    std::fprintf(stderr, "cannot write the benchmark files in %ls\n", folder.c_str());
    return 1;
  }

  std::vector<double> store, raw, storeReads, profileReads;
  std::size_t storeFound = 0;
  std::size_t profileFound = 0;
  for (int run = 0; run < runs; ++run) {
    raw.push_back(RawReadWrite(rawPath));
    store.push_back(PrefsOpenWriteClose(storePath));
    if (run >= readRuns) continue;
    profileReads.push_back(ProfileReads(profilePath, &profileFound));
    storeReads.push_back(PrefsReads(storePath, &storeFound));
  }
  bench::Row("settings open+write+close 10 MB (ms)", store, raw, "<= 2.0");
  bench::Row("settings 1,000 reads of 100k keys (ms)", storeReads, profileReads, "(info)");
  const int readsMade = std::min(runs, readRuns) * kReads;
  if (storeFound != static_cast<std::size_t>(readsMade) || profileFound != storeFound) {
    std::printf("note: keys found: store %zu, GetPrivateProfileStringW %zu, of %d\n", storeFound, profileFound,
                readsMade);
  }

  PrefsEnd();
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, profilePath.c_str());  // flush the profile cache
  DeleteFileW(storePath.c_str());
  DeleteFileW(rawPath.c_str());
  DeleteFileW(profilePath.c_str());
  RemoveDirectoryW(folder.c_str());
  StringsShutdown();
  RuntimeHeapDestroy();
  return 0;
}
