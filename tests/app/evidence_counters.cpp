#include "tests/app/evidence_counters.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

#include "tests/support/wine_process.h"

namespace evidence {

namespace {

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

  sample.rssAnonKiB = wineproc::StatusField(linuxPid, "RssAnon:");
  sample.vmRssKiB = wineproc::StatusField(linuxPid, "VmRSS:");
  sample.descriptors = wineproc::DescriptorCount(linuxPid);
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
