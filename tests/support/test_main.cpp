// The main of every Windows test program: the runtime heap and the texts exist for the whole
// run, as in the tool, and a watchdog ends a run that hangs (a GUI test must never hang CI).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "runtime/memory.h"
#include "runtime/text.h"
#include "tests/support/win_files.h"

namespace {

DWORD WINAPI Watchdog(void* seconds) {
  Sleep(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(seconds)) * 1000);
  std::fprintf(stderr, "watchdog: the test program ran too long, ending it\n");
  std::fflush(stderr);
  // TerminateProcess, not ExitProcess: a hung thread may hold the loader lock that the
  // orderly exit would wait for.
  TerminateProcess(GetCurrentProcess(), 99);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  // REBOOTPC_TEST_WATCHDOG (seconds) shortens or lengthens the default of 100 s; ctest's own
  // timeout stays the outer bound.
  const auto seconds = static_cast<UINT_PTR>(wintest::EnvironmentNumber(L"REBOOTPC_TEST_WATCHDOG", 100));
  CloseHandle(CreateThread(nullptr, 0, Watchdog, reinterpret_cast<void*>(seconds), 0, nullptr));

  RuntimeHeapCreate();
  StringsInit();
  const int result = RUN_ALL_TESTS();
  StringsShutdown();
  RuntimeHeapDestroy();
  std::fflush(stdout);
  return result;
}
