#include "tests/gui/gadget/gadget_test_support.h"

#include "gui/gadget/gadget.h"
#include "gui/graphics/font_table.h"
#include "gui/graphics/image_drawing.h"
#include "gui/graphics/image_table.h"
#include "gui/window/event_queue.h"
#include "gui/window/menu.h"
#include "gui/window/window.h"
#include "runtime/memory_heap.h"

namespace {

// The start-up and teardown lists of the tool, as far as the gadget layer needs them.
class GadgetLayerEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    MemoryHeapInit();
    EventLayerInit();
    FontsInit();
    ImagesInit();
    ImageDrawingInit();
    WindowsInit();
    GadgetInit();
    MenusInit();
    ControlsInit();
  }
  void TearDown() override {
    GadgetShutdown();
    WindowsEnd();
    ImageDrawingEnd();
    ImagesEnd();
    FontsEnd();
    EventLayerEnd();
    MemoryHeapEnd();
  }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new GadgetLayerEnvironment);

}  // namespace

std::string Describe(const std::vector<GadgetTestEvent>& events) {
  std::string text = "[";
  for (const GadgetTestEvent& event : events) {
    text += " {" + std::to_string(event.kind) + ", " + std::to_string(event.object) + ", " +
            std::to_string(event.window) + ", " + std::to_string(event.subtype) + "}";
  }
  return text + " ]";
}

std::vector<GadgetTestEvent> CollectEvents(DWORD milliseconds) {
  std::vector<GadgetTestEvent> events;
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    MSG message;
    if (EventQueueLength() > 0) {
      const std::int64_t kind = EventWait();
      if (kind == GadgetEvent || kind == MenuEvent) {
        events.push_back({kind, EventGadgetNumber(), EventWindow(), EventSubtype()});
      }
      continue;
    }
    if (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      EventWait();
      continue;
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= end) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
  return events;
}

std::vector<std::int64_t> GadgetSubtypes(const std::vector<GadgetTestEvent>& events, std::int64_t object) {
  std::vector<std::int64_t> subtypes;
  for (const GadgetTestEvent& event : events) {
    if (event.kind == GadgetEvent && event.object == object) subtypes.push_back(event.subtype);
  }
  return subtypes;
}

void GadgetWindowTest::SetUp() {
  window_ = reinterpret_cast<HWND>(WindowOpen(0, 60, 60, 320, 200, L"Gadget test", 0xCA0000));
  ASSERT_NE(window_, nullptr);
  CollectEvents(50);
}

void GadgetWindowTest::TearDown() {
  GadgetFree(AnyNumber);
  CollectEvents(20);
}
