// The one event queue of the GUI runtime and its blocking wait. Window procedures turn Windows
// messages into events and append them here; the gadget layer appends its own. EventWait hands
// out the oldest queued event, or pumps exactly one Windows message and returns its number.
// Another thread reaches the queue only through the hidden posted-event window (class
// "PostEventClass", registered message "Orv_PostEventMessage").
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

constexpr std::int64_t Clicked = 0;           // BN_CLICKED as a gadget event subtype
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
// While commands are refused (a modal wait, which takes no input), EventPost drops the events
// that act: a MenuEvent (a menu item or shortcut) and a button's click (GadgetEvent with subtype
// Clicked). Whatever raised them meanwhile (a click an automation tool sent, say) answers nothing
// the user saw. Events that only inform (a content change, a focus change, a move) still reach
// the application. Calls nest, like EventSuspend and EventResume.
void EventRefuseCommands();
void EventAcceptCommands();

// The record another thread allocates on the runtime heap (RuntimeAlloc) and posts, as the
// lParam of the registered message "Orv_PostEventMessage", to the posted-event window; the GUI
// thread appends it with EventPostAlways and frees it.
struct PostedEventRecord {
  std::uint64_t reserved;  // ignored
  std::int64_t kind;       // signed 32-bit kind, padded to 64 bits
  std::int64_t object;
  std::int64_t window;
  std::int64_t subtype;
  std::uint64_t extra;
};

// For inspection (tests, diagnostics): the number of queued entries, and the window and the
// extra value of the current event.
std::int64_t EventQueueLength();
std::int64_t EventWindow();
std::uint64_t EventExtra();
