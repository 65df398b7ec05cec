// The submit round trip: from the Enter key in the name field to the form being ready for the
// next computer (the name field empty and focused), with a shutdown.exe that ends at once, in
// RebootPC.exe against handwritten_tool.exe, which does the same work by hand (the fields read,
// shutdown.exe started hidden with CreateProcessW and waited for, the fields cleared).
//
// Both programs run side by side, each in a folder of its own with a settled reboot.prefs, each
// in a job object that reports the processes it starts. A round brings each to the front in
// turn, settles it, presses Enter with SendInput, waits (without polling) for the shutdown.exe
// it starts to end, then asks for the name field until the form is ready. The ratio is the
// median of the per-round ratios.
// Needs WINEDLLOVERRIDES=shutdown.exe=n, since the stand-in replaces system32\shutdown.exe.
//
//   bench_submit <RebootPC.exe> <handwritten_tool.exe> <instant_exit.exe> [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "bench/bench_table.h"
#include "runtime/scoped.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::wstring& about) {
  std::fprintf(stderr, "bench_submit: %s %ls (error %lu)\n", what, about.c_str(), GetLastError());
  std::exit(2);
}

std::wstring FullPath(const wchar_t* path) {
  wchar_t full[MAX_PATH];
  GetFullPathNameW(path, MAX_PATH, full, nullptr);
  return full;
}

std::wstring MakeFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  // A settled file: no first-start questions.
  const char prefs[] = "\xEF\xBB\xBF\r\nFirstRun = 0\r\nRebootX = 40\r\nRebootY = 40\r\nAdminName = \r\nAdminPass = \r\nDomain = \r\n";
  const ScopedHandle file(CreateFileW((folder + L"\\reboot.prefs").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file.get() == INVALID_HANDLE_VALUE || !WriteFile(file.get(), prefs, sizeof prefs - 1, &written, nullptr)) {
    Fail("cannot write the settings in", folder);
  }
  return folder;
}

struct Side {
  explicit Side(const wchar_t* name) : label(name) {}
  const wchar_t* label;
  ScopedHandle process;
  ScopedHandle job;
  ScopedHandle started;  // the job's completion port
  DWORD threadId = 0;
  HWND window = nullptr;
  HWND name = nullptr;
  HWND notice = nullptr;
  std::vector<double> milliseconds;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM parameter) {
  auto* side = reinterpret_cast<Side*>(parameter);
  DWORD process = 0;
  const DWORD thread = GetWindowThreadProcessId(window, &process);
  if (process == GetProcessId(side->process.get()) && IsWindowVisible(window) && GetDlgItem(window, 5)) {
    side->window = window;
    side->threadId = thread;
    return FALSE;
  }
  return TRUE;
}

// Started as Explorer starts a program: no console of ours to inherit.
void Start(Side& side, const std::wstring& exe, const std::wstring& folder) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, folder.c_str(),
                      &startup, &process)) {
    Fail("cannot start", exe);
  }
  side.process.Reset(process.hProcess);
  // The program's children join its job, and the job tells the port about each new process.
  side.job.Reset(CreateJobObjectW(nullptr, nullptr));
  side.started.Reset(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT port{};
  port.CompletionKey = side.job.get();
  port.CompletionPort = side.started.get();
  if (!side.job.get() || !side.started.get() ||
      !SetInformationJobObject(side.job.get(), JobObjectAssociateCompletionPortInformation, &port, sizeof port) ||
      !AssignProcessToJobObject(side.job.get(), process.hProcess)) {
    Fail("cannot watch the children of", exe);
  }
  CloseHandle(process.hThread);
  for (int tries = 0; tries < 10000 && !side.window; ++tries) {
    Sleep(1);
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&side));
  }
  if (!side.window) Fail("no window from", exe);
  side.name = GetDlgItem(side.window, 0);
  side.notice = GetDlgItem(side.window, 5);
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, &answer)) Fail("no answer", L"");
  return static_cast<LRESULT>(answer);
}

HWND FocusOf(const Side& side) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(side.threadId, &info) ? info.hwndFocus : nullptr;
}

bool FormReady(const Side& side) { return Ask(side.name, WM_GETTEXTLENGTH) == 0 && FocusOf(side) == side.name; }

// Waits until the processes the program starts for the submit (shutdown.exe and the console
// host its console brings) have started and ended again, from the job's reports. The whole Wine
// session shares one CPU, so polling the program meanwhile would take time from the work
// measured (and more from a program that answers while it waits than from one that blocks).
void ForgetEarlierReports(const Side& side) {
  DWORD message = 0;
  ULONG_PTR key = 0;
  LPOVERLAPPED data = nullptr;
  while (GetQueuedCompletionStatus(side.started.get(), &message, &key, &data, 0)) {
  }
}

void WaitForShutdownRun(const Side& side) {
  std::set<ULONG_PTR> running;
  bool anyStarted = false;
  while (!anyStarted || !running.empty()) {
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED data = nullptr;
    if (!GetQueuedCompletionStatus(side.started.get(), &message, &key, &data, 10000)) {
      Fail("no shutdown.exe run ended for", side.label);
    }
    const auto processId = reinterpret_cast<ULONG_PTR>(data);
    if (message == JOB_OBJECT_MSG_NEW_PROCESS) {
      running.insert(processId);
      anyStarted = true;
    } else if (message == JOB_OBJECT_MSG_EXIT_PROCESS || message == JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS) {
      running.erase(processId);
    }
  }
}

void PressEnter() {
  INPUT keys[2]{};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_RETURN;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One submit: untimed, the fields filled and the window in front and settled; timed, Enter to
// the form being ready.
void Round(Side& side) {
  Ask(side.name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"pc01"));
  Ask(side.notice, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Benchmark"));
  SetForegroundWindow(side.window);
  for (int tries = 0; tries < 5000 && (GetForegroundWindow() != side.window || FocusOf(side) != side.name); ++tries) {
    Sleep(1);
  }
  if (FocusOf(side) != side.name) Fail("the name field has no focus", L"");
  Ask(side.window, WM_NULL);
  Sleep(50);
  ForgetEarlierReports(side);
  const double begin = Now();
  PressEnter();
  WaitForShutdownRun(side);
  while (!FormReady(side)) {
    if (Now() - begin > 10000) Fail("the form was not ready again 10 s after Enter in", side.label);
    Sleep(2);
  }
  side.milliseconds.push_back(Now() - begin);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_submit <RebootPC.exe> <handwritten_tool.exe> <instant_exit.exe> [rounds]\n");
    return 2;
  }
  const int rounds = argc > 4 ? _wtoi(argv[4]) : 30;
  wchar_t shutdown[MAX_PATH];
  GetSystemDirectoryW(shutdown, MAX_PATH - 14);
  lstrcatW(shutdown, L"\\shutdown.exe");
  if (!CopyFileW(FullPath(argv[3]).c_str(), shutdown, FALSE)) Fail("cannot replace", shutdown);

  Side tool(L"RebootPC.exe");
  Side handwritten(L"handwritten_tool.exe");
  Start(tool, FullPath(argv[1]), MakeFolder(L"rebootpc-bench-submit-tool-"));
  Start(handwritten, FullPath(argv[2]), MakeFolder(L"rebootpc-bench-submit-hand-"));
  // A first submit each, unmeasured: the first start of a console program maps what later ones
  // find mapped.
  Round(tool);
  Round(handwritten);
  tool.milliseconds.clear();
  handwritten.milliseconds.clear();
  for (int round = 0; round < rounds; ++round) {
    // In turns first, so that neither side always follows the other.
    if (round % 2) {
      Round(tool);
      Round(handwritten);
    } else {
      Round(handwritten);
      Round(tool);
    }
  }
  bench::Row("submit round trip (ms)", tool.milliseconds, handwritten.milliseconds, "<= 1.10");
  for (Side* side : {&tool, &handwritten}) {
    PostMessageW(side->window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(side->process.get(), 5000) != WAIT_OBJECT_0) TerminateProcess(side->process.get(), 1);
  }
  return 0;
}
