// Resource counters of another process for the soak and fault tests, taken from whatever the
// platform really answers. Wine 8 answers 0 for GetProcessHandleCount, GetGuiResources and
// private bytes, so beside those the sample holds counters that are real there: the handles the
// system's handle table lists for the process (NtQuerySystemInformation with
// SystemHandleInformation), the process's windows (EnumWindows / EnumChildWindows), and, for a
// process running under Wine, its Linux side read through drive Z: (/proc/<pid>/status for
// RssAnon and VmRSS, /proc/<pid>/fd for open descriptors).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace evidence {

struct ResourceSample {
  // Real under Wine (-1 when the counter could not be read).
  std::int64_t tableHandles = -1;  // entries of the system handle table owned by the process
  std::int64_t windows = -1;       // its top-level and child windows
  std::int64_t rssAnonKiB = -1;    // Linux: anonymous resident memory
  std::int64_t vmRssKiB = -1;      // Linux: resident memory
  std::int64_t descriptors = -1;   // Linux: open file descriptors
  // The Win32 answers, kept to show what the platform reports.
  std::int64_t apiHandles = -1;    // GetProcessHandleCount
  std::int64_t gdiObjects = -1;    // GetGuiResources(GR_GDIOBJECTS)
  std::int64_t userObjects = -1;   // GetGuiResources(GR_USEROBJECTS)
  std::int64_t privateKiB = -1;    // PROCESS_MEMORY_COUNTERS_EX.PrivateUsage
  std::int64_t workingSetKiB = -1;
};

// One sample of the process; `linuxPid` (wineproc::LinuxProcessOf) 0 leaves the Linux counters
// at -1.
ResourceSample Sample(HANDLE process, DWORD processId, std::uint32_t linuxPid);

// "handles 41, windows 12, RssAnon 5120 KiB, ..." for test messages and the soak's report.
std::string Describe(const ResourceSample& sample);

}  // namespace evidence
