// Start-up time and footprint of RebootPC.exe against the same start-up work written by hand in
// plain Win32 (handwritten_tool.exe), and, for information, against a minimal one-window
// program, all measured in the same run. Start-up: from CreateProcessW until the process first
// waits for input (WaitForInputIdle) with its main window visible. Footprint after idle, in the
// first rounds only, after a settling pause: the working set (GetProcessMemoryInfo) and,
// because Wine reports no private bytes, the Linux process's anonymous resident memory (RssAnon
// in /proc/<pid>/status, read through Wine's Z: drive).
//
// A round starts the tool and the hand-written program back to back, in turns first, then the
// minimal program; each row's ratio is the median of the per-round ratios (bench_table.h). A
// single Wine start varies by a third from one to the next here, mostly through the host, and
// pairing neighbours with many rounds is what keeps the ratio still from run to run.
//
//   bench_startup <RebootPC.exe> <handwritten_tool.exe> <minimal_window.exe> [rounds [memory rounds]]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_table.h"
#include "runtime/scoped.h"
#include "tests/support/wine_process.h"

namespace {

struct Sample {
  double startMilliseconds = 0;
  double workingSetKiB = 0;
  double rssAnonKiB = 0;
};

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindVisibleTopLevel(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND VisibleWindowOf(DWORD processId) {
  WindowSearch search{processId, nullptr};
  EnumWindows(FindVisibleTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

Sample RunOnce(const std::wstring& exe, const std::wstring& folder, bool footprint) {
  Sample sample;
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &process)) {
    std::fprintf(stderr, "cannot start %ls (error %lu)\n", exe.c_str(), GetLastError());
    std::exit(2);
  }
  ScopedHandle processHandle(process.hProcess);
  ScopedHandle threadHandle(process.hThread);
  // Waiting for the first idle asks nothing of the window server meanwhile; polling for the
  // window would compete with the starting program for the server and lengthen its start by
  // a varying amount. Both programs show their window before they first wait for input, so the
  // window is normally there at once; the short poll covers a program that idles earlier.
  WaitForInputIdle(process.hProcess, 10000);
  HWND window = VisibleWindowOf(process.dwProcessId);
  for (int tries = 0; tries < 5000 && !window; ++tries) {
    Sleep(1);
    window = VisibleWindowOf(process.dwProcessId);
  }
  QueryPerformanceCounter(&end);
  sample.startMilliseconds = 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);

  if (footprint) {
    Sleep(300);  // let the program settle after its first idle (working-set trim, first paint)
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) {
      sample.workingSetKiB = static_cast<double>(counters.WorkingSetSize) / 1024.0;
    }
    sample.rssAnonKiB = static_cast<double>(wineproc::StatusField(wineproc::LinuxProcessOf(exe), "RssAnon:"));
  }

  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  Sleep(100);  // the process's Linux side, the window server and the desktop finish its exit
  return sample;
}

std::wstring FullPath(const wchar_t* path) {
  wchar_t full[MAX_PATH];
  GetFullPathNameW(path, MAX_PATH, full, nullptr);
  return full;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: bench_startup <RebootPC.exe> <handwritten_tool.exe> <minimal_window.exe> [rounds [memory rounds]]\n");
    return 2;
  }
  const std::wstring tool = FullPath(argv[1]);
  const std::wstring handwritten = FullPath(argv[2]);
  const std::wstring minimal = FullPath(argv[3]);
  const int rounds = argc > 4 ? _wtoi(argv[4]) : 45;
  const int footprintRounds = argc > 5 ? _wtoi(argv[5]) : 9;

  // A settings file that has seen its first start, so that no credential prompt comes up.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"rebootpc-bench-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::string prefs =
      "\xEF\xBB\xBF\r\nFirstRun = 0\r\nRebootX = 40\r\nRebootY = 40\r\nAdminName = \r\nAdminPass = \r\nDomain = \r\n";
  HANDLE file = CreateFileW((folder + L"\\reboot.prefs").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, prefs.data(), static_cast<DWORD>(prefs.size()), &written, nullptr);
  CloseHandle(file);

  // Warm the file cache and the prefix once for each program.
  RunOnce(tool, folder, false);
  RunOnce(handwritten, folder, false);
  RunOnce(minimal, folder, false);
  struct Series {
    std::vector<double> start, workingSet, anon;
    void Add(const Sample& sample, bool footprint) {
      start.push_back(sample.startMilliseconds);
      if (!footprint) return;
      workingSet.push_back(sample.workingSetKiB);
      anon.push_back(sample.rssAnonKiB);
    }
  } ours, byHand, bare;
  for (int round = 0; round < rounds; ++round) {
    const bool footprint = round < footprintRounds;
    const bool toolFirst = round % 2 == 0;
    Series& first = toolFirst ? ours : byHand;
    Series& second = toolFirst ? byHand : ours;
    first.Add(RunOnce(toolFirst ? tool : handwritten, folder, footprint), footprint);
    second.Add(RunOnce(toolFirst ? handwritten : tool, folder, footprint), footprint);
    bare.Add(RunOnce(minimal, folder, footprint), footprint);
  }
  bench::Row("start-up vs hand-written (ms)", ours.start, byHand.start, "<= 1.05");
  bench::Row("private memory vs hand-written (KiB)", ours.anon, byHand.anon, "<= 1.05");
  bench::Row("working set vs hand-written (KiB)", ours.workingSet, byHand.workingSet, "(info)");
  bench::Row("start-up vs minimal window (ms)", ours.start, bare.start, "(info)");
  bench::Row("private memory vs minimal (KiB)", ours.anon, bare.anon, "(info)");

  DeleteFileW((folder + L"\\reboot.prefs").c_str());
  RemoveDirectoryW(folder.c_str());
  return 0;
}
