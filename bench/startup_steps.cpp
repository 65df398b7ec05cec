// Where the tool's start-up time goes: the steps of AppMain's start-up, in its order, each
// timed in this process, up to the first idle of the main window (the first position save
// included). Run in a folder holding a settled reboot.prefs; prints one "step milliseconds" line
// per step, which tools/bench --breakdown takes the medians of over several runs.
#include <windows.h>

#include <cstdio>

#include "app/app_main.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/runtime_startup.h"
#include "app/settings.h"
#include "gui/gadget/gadget.h"
#include "gui/graphics/font_table.h"
#include "gui/graphics/image_drawing.h"
#include "gui/graphics/image_table.h"
#include "gui/window/event_queue.h"
#include "gui/window/menu.h"
#include "gui/window/window.h"
#include "prefs/prefs.h"
#include "runtime/launcher.h"
#include "runtime/memory.h"
#include "runtime/memory_heap.h"
#include "runtime/system_library.h"
#include "runtime/text.h"

namespace {

double Now() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER counter{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Step>
void Timed(const char* name, Step step) {
  const double start = Now();
  step();
  std::printf("%s %.3f\n", name, Now() - start);
}

// The event loop until nothing is queued: what the tool does before it first waits idle.
void FirstIdle() {
  MSG message;
  for (;;) {
    if (EventQueueLength() == 0 && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) return;
    app.eventKind = static_cast<std::int32_t>(EventWait());
    TrimWorkingSet();
    if (app.eventKind == MoveWindowEvent) SavePosition();
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const double start = Now();
  Timed("dll-search", DllSearchRestrict);
  app = AppState{};
  app.instanceHandle = GetModuleHandleW(nullptr);
  Timed("runtime-heap", [] { app.appHeap = RuntimeHeapCreate(); });
  Timed("strings", StringsInit);
  Timed("memory-heap", MemoryHeapInit);
  Timed("event-layer", EventLayerInit);
  Timed("fonts", FontsInit);
  Timed("images", ImagesInit);
  Timed("image-drawing", ImageDrawingInit);
  Timed("windows", WindowsInit);
  Timed("gadgets", GadgetInit);
  Timed("menus", MenusInit);
  Timed("prefs", PrefsInit);
  Timed("launcher", LauncherInit);
  Timed("controls-com", ControlsInit);
  app.windowTitle = L"Reboot PC";
  app.windowHeight = 130;
  app.windowWidth = 320;
  app.charsLeft = NoticeLimit;
  Timed("load-settings", LoadSettings);
  Timed("main-window", MainWindowOpen);
  Timed("first-idle", FirstIdle);
  std::printf("total %.3f\n", Now() - start);
  RuntimeShutdown();
  return 0;
}
