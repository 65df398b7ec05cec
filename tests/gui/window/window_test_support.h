// Shared by the window and gadget layers' tests: the runtime's start-up and teardown around a
// test program, collecting events the way the application does (through EventWait), window sizes
// and class registration.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct Event {
  std::int64_t kind;
  std::int64_t object;
  std::int64_t window;
  std::int64_t subtype;
  bool operator==(const Event&) const = default;
};

std::string Describe(const std::vector<Event>& events);

// A window's client size; its frame (GetWindowRect) and the frame's size.
SIZE ClientSize(HWND window);
RECT Frame(HWND window);
SIZE FrameSize(HWND window);
// Registers a window class of this program with the procedure; a second registration of the name
// changes nothing.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

// Runs EventWait for `milliseconds` (never blocking: only while an event is queued or a message
// is waiting) and returns the events it took, in order.
std::vector<Event> CollectEvents(DWORD milliseconds = 200);
// Events of one kind among `events`.
std::vector<Event> OfKind(const std::vector<Event>& events, std::int64_t kind);
// Empties the queue and the thread's message queue, dropping everything.
void DiscardEvents();

// Real keystrokes through SendInput, without pumping: the caller pumps through EventWait, so
// that the accelerators apply as in the application.
void SendKeys(WORD virtualKey, bool control = false, bool shift = false, bool alt = false);
// Keystrokes, then the events EventWait produced from them.
std::vector<Event> KeyEvents(WORD virtualKey, bool control = false, bool shift = false, bool alt = false);
