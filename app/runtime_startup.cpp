#include "app/runtime_startup.h"

#include "gui/gadget/gadget.h"
#include "gui/graphics/font_table.h"
#include "gui/graphics/image_drawing.h"
#include "gui/graphics/image_table.h"
#include "gui/window/event_queue.h"
#include "gui/window/menu.h"
#include "gui/window/window.h"
#include "prefs/prefs.h"
#include "runtime/launcher.h"
#include "runtime/memory_heap.h"
#include "runtime/text.h"

// Each later step relies on the earlier ones: windows need the event layer's class, gadgets the
// window layer, and the common controls must be registered before the first gadget is made.
void RuntimeStartup() {
  StringsInit();
  MemoryHeapInit();
  EventLayerInit();
  // Of the graphics steps only the font and image tables are built: the tool loads, draws and
  // saves no image, so a "BMP" codec registration and 2D and vector drawing states would be set
  // up here and released at teardown without ever being used.
  FontsInit();
  ImagesInit();
  ImageDrawingInit();
  WindowsInit();
  GadgetInit();
  MenusInit();
  PrefsInit();
  LauncherInit();
  ControlsInit();
}

void RuntimeShutdown() {
  PrefsEnd();
  GadgetShutdown();
  WindowsEnd();
  ImageDrawingEnd();
  ImagesEnd();
  FontsEnd();
  EventLayerEnd();
  MemoryHeapEnd();
}
