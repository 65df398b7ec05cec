#include "tests/gui/window/window_test_support.h"

#include <gtest/gtest.h>

#include "gui/gadget/gadget.h"
#include "gui/window/event_queue.h"
#include "gui/window/menu.h"
#include "gui/window/window.h"

namespace {

// The start-up and teardown steps of the layer, in the application's order.
class WindowLayerEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    EventLayerInit();
    WindowsInit();
    GadgetInit();
    MenusInit();
    ControlsInit();
  }
  void TearDown() override {
    GadgetShutdown();
    WindowsEnd();
    EventLayerEnd();
  }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new WindowLayerEnvironment);

}  // namespace

std::string Describe(const std::vector<Event>& events) {
  std::string text = "[";
  for (const Event& event : events) {
    text += " {" + std::to_string(event.kind) + ", " + std::to_string(event.object) + ", " +
            std::to_string(event.window) + ", " + std::to_string(event.subtype) + "}";
  }
  return text + " ]";
}

std::vector<Event> CollectEvents(DWORD milliseconds) {
  std::vector<Event> events;
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    MSG message;
    if (EventQueueLength() > 0) {
      const std::int64_t kind = EventWait();
      events.push_back({kind, EventMenuItem(), EventWindow(), EventSubtype()});
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

std::vector<Event> OfKind(const std::vector<Event>& events, std::int64_t kind) {
  std::vector<Event> found;
  for (const Event& event : events) {
    if (event.kind == kind) found.push_back(event);
  }
  return found;
}

void DiscardEvents() { CollectEvents(50); }

namespace {
INPUT KeyInput(WORD virtualKey, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}
}  // namespace

void SendKeys(WORD virtualKey, bool control, bool shift, bool alt) {
  std::vector<INPUT> inputs;
  if (control) inputs.push_back(KeyInput(VK_CONTROL, false));
  if (shift) inputs.push_back(KeyInput(VK_SHIFT, false));
  if (alt) inputs.push_back(KeyInput(VK_MENU, false));
  inputs.push_back(KeyInput(virtualKey, false));
  inputs.push_back(KeyInput(virtualKey, true));
  if (alt) inputs.push_back(KeyInput(VK_MENU, true));
  if (shift) inputs.push_back(KeyInput(VK_SHIFT, true));
  if (control) inputs.push_back(KeyInput(VK_CONTROL, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::vector<Event> KeyEvents(WORD virtualKey, bool control, bool shift, bool alt) {
  SendKeys(virtualKey, control, shift, alt);
  return CollectEvents(150);
}
