// EventWait against a bare GetMessageW / TranslateMessage / DispatchMessageW loop, both
// dispatching the same posted messages to the same toolkit window (the application's window
// with its shortcuts and a focused edit control), measured alternately in one run. Prints one row
// of the benchmarks' table (bench_table.h): the time per message of each loop.
//
//   bench_event_loop [messages per round] [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_table.h"
#include "gui/gadget/gadget.h"
#include "gui/window/event_queue.h"
#include "gui/window/menu.h"
#include "gui/window/shortcut.h"
#include "gui/window/window.h"
#include "runtime/memory.h"
#include "runtime/text.h"

namespace {

// Windows keeps at most 10000 posted messages in a queue; post in batches well below that.
constexpr int kBatch = 500;
constexpr UINT kBenchMessage = WM_APP + 1;

double Now() {
  static LARGE_INTEGER frequency{};
  if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void PostBatch(HWND window, int count) {
  for (int index = 0; index < count; ++index) PostMessageW(window, kBenchMessage, static_cast<WPARAM>(index), 0);
}

// Seconds the loop takes to dispatch `messages` posted messages; posting is not timed.
template <typename Loop>
double TimeRound(HWND window, int messages, Loop loop) {
  double total = 0;
  for (int done = 0; done < messages; done += kBatch) {
    const int count = std::min(kBatch, messages - done);
    PostBatch(window, count);
    const double start = Now();
    loop(count);
    total += Now() - start;
  }
  return total;
}

void BareLoop(int count) {
  MSG message;
  for (int index = 0; index < count; ++index) {
    GetMessageW(&message, nullptr, 0, 0);
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The messages produce no event, so every EventWait fetches and dispatches exactly one.
void EventWaitLoop(int count) {
  for (int index = 0; index < count; ++index) EventWait();
}

// Lets the window settle: activation, painting and the events they queue.
void Settle() {
  const ULONGLONG end = GetTickCount64() + 300;
  MSG message;
  while (GetTickCount64() < end) {
    while (EventQueueLength() > 0 || PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) EventWait();
    Sleep(10);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int messages = argc > 1 ? _wtoi(argv[1]) : 3000;
  const int rounds = argc > 2 ? _wtoi(argv[2]) : 9;
  if (messages <= 0 || rounds <= 0) {
    std::fprintf(stderr, "usage: bench_event_loop [messages per round] [rounds]\n");
    return 2;
  }
  RuntimeHeapCreate();
  StringsInit();
  EventLayerInit();
  WindowsInit();
  GadgetInit();
  MenusInit();
  ControlsInit();

  WindowOpen(0, 40, 40, 320, 130 + MenuBarHeight(), L"Reboot PC", 0xCA0000);
  HWND window = WindowHandle(0);
  MenuCreate(0, window);
  MenuAddTitle(L"File");
  MenuAddItem(1, L"&Quit\tCtrl+Q");
  MenuAddTitle(L"Help");
  MenuAddItem(2, L"&About...\tCtrl+A");
  ShortcutAdd(0, 0x20051, 1);
  ShortcutAdd(0, 0x20041, 2);
  ShortcutAdd(0, 13, 3);
  MenuHide(0, 1);
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, 65, 12, 240, 20,
                              window, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetForegroundWindow(window);
  SetFocus(edit);
  Settle();
  const bool active = GetActiveWindow() == window;

  std::vector<double> bare;
  std::vector<double> waited;
  for (int round = 0; round < rounds; ++round) {
    bare.push_back(TimeRound(window, messages, BareLoop));
    waited.push_back(TimeRound(window, messages, EventWaitLoop));
  }
  for (double& seconds : bare) seconds = seconds / messages * 1e6;
  for (double& seconds : waited) seconds = seconds / messages * 1e6;
  bench::Row(active ? "EventWait per message (us)" : "EventWait per message, inactive (us)", waited, bare,
             "<= 1.10");

  GadgetShutdown();
  WindowsEnd();
  EventLayerEnd();
  StringsShutdown();
  RuntimeHeapDestroy();
  return 0;
}
