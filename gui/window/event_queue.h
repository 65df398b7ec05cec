// The one event queue of the GUI runtime and its blocking wait. Window procedures turn Windows
// messages into events and append them here; the gadget layer appends its own. EventWait hands
// out the oldest queued event, or pumps exactly one Windows message and returns its number.
#pragma once

#include <cstdint>

enum EventKind : std::int32_t {
  GadgetEvent = 13100,
  MenuEvent = 13101,
  IconNotifyEvent = 13102,
  ActivateWindowEvent = 13104,
  MinimizeWindowEvent = 13107,
  MaximizeWindowEvent = 13108,
  RestoreWindowEvent = 13109,
  TimerEvent = 13110,
  RightClickEvent = 13111,
  LeftClickEvent = 13112,
  LeftDoubleClickEvent = 13113,
  DeactivateWindowEvent = 13114,
  RepaintEvent = 13115,
  CloseWindowEvent = 13116,
  MoveWindowEvent = 13117,
  SizeWindowEvent = 13118,
};

constexpr std::int64_t ContentChanged = 768;  // EN_CHANGE as a gadget event subtype

// Start-up and teardown steps.
void EventLayerInit();
void EventLayerEnd();

// For the application.
std::int64_t EventWait();
std::int64_t EventMenuItem();
std::int64_t EventGadgetNumber();
std::int64_t EventSubtype();

// For the window and gadget layers (GUI thread).
void EventPost(std::int32_t kind, std::int64_t object, std::int64_t window, std::int64_t subtype);
void EventPostAlways(std::int32_t kind, std::int64_t object, std::int64_t window, std::int64_t subtype);
void EventQueueRemove(std::int32_t kind, std::int64_t object, std::int64_t window, std::int64_t subtype);
void EventQueueRemoveWindow(std::int64_t window);
void EventSuspend();
void EventResume();
