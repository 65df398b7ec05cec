// The Linux side of a process running under Wine, read through drive Z: (/proc), for counters
// Wine 8 does not answer through Win32 (private bytes, for one): the soak and fault tests and
// the start-up benchmark use it.
#pragma once

#include <cstdint>
#include <string>

namespace wineproc {

// The Linux process of a Wine process, found by its image path (the command line Wine gives it,
// as a Windows path or, on drive Z:, as the Unix one) and by this process's WINEPREFIX, so that
// a run in another prefix is never taken for it. 0 when there is none (not under Wine, or it has
// ended).
std::uint32_t LinuxProcessOf(const std::wstring& imagePath);
// A number field of /proc/<pid>/status such as "RssAnon:" (in KiB), or -1.
std::int64_t StatusField(std::uint32_t linuxPid, const char* field);
// How many file descriptors the process holds open, or -1.
std::int64_t DescriptorCount(std::uint32_t linuxPid);

}  // namespace wineproc
