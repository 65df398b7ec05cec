#include "tests/gui/window/window_test_support.h"

#include <gtest/gtest.h>

#include "app/runtime_startup.h"
#include "gui/window/event_queue.h"
#include "tests/support/win_test.h"

namespace {

// The runtime's start-up and teardown around the test program, as the tool runs them.
class GuiRuntimeEnvironment : public testing::Environment {
 public:
  void SetUp() override { RuntimeStartup(); }
  void TearDown() override { RuntimeShutdown(); }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new GuiRuntimeEnvironment);

}  // namespace

std::string Describe(const std::vector<Event>& events) {
  std::string text = "[";
  for (const Event& event : events) {
    text += " {" + std::to_string(event.kind) + ", " + std::to_string(event.object) + ", " +
            std::to_string(event.window) + ", " + std::to_string(event.subtype) + "}";
  }
  return text + " ]";
}

SIZE ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right - client.left, client.bottom - client.top};
}

RECT Frame(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  return frame;
}

SIZE FrameSize(HWND window) {
  const RECT frame = Frame(window);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = name;
  RegisterClassW(&windowClass);
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

void SendKeys(WORD virtualKey, bool control, bool shift, bool alt) {
  wintest::SendKeyStrokes(virtualKey, control, shift, alt);
}

std::vector<Event> KeyEvents(WORD virtualKey, bool control, bool shift, bool alt) {
  SendKeys(virtualKey, control, shift, alt);
  return CollectEvents(150);
}
