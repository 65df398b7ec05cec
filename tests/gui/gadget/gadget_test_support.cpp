#include "tests/gui/gadget/gadget_test_support.h"

#include "gui/gadget/gadget.h"
#include "gui/window/event_queue.h"
#include "gui/window/window.h"

std::vector<GadgetTestEvent> CollectGadgetEvents(DWORD milliseconds) {
  std::vector<GadgetTestEvent> events;
  for (const Event& event : CollectEvents(milliseconds)) {
    if (event.kind == GadgetEvent || event.kind == MenuEvent) events.push_back(event);
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
  CollectGadgetEvents(50);
}

void GadgetWindowTest::TearDown() {
  GadgetFree(AnyNumber);
  CollectGadgetEvents(20);
}
