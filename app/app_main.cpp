#include "app/app_main.h"

#include "app/app_state.h"
#include "runtime/memory.h"
#include "runtime/memory_heap.h"
#include "runtime/text.h"

AppState app;

void RuntimeStartup() {
  StringsInit();
  MemoryHeapInit();
}

void RuntimeShutdown() {
  MemoryHeapEnd();
  StringsShutdown();
}

void AppMain() {
  app = AppState{};
  app.instanceHandle = GetModuleHandleW(nullptr);
  app.appHeap = RuntimeHeapCreate();

  RuntimeStartup();

  RuntimeShutdown();
  RuntimeHeapDestroy();
  ExitProcess(static_cast<UINT>(app.exitCode));
}
