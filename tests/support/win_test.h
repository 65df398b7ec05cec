// Helpers for tests that drive real Win32 windows under Wine: settling the message queue,
// real keyboard and mouse input through SendInput, waiting for a condition, scratch folders (and
// the file and environment readers of win_files.h).
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "tests/support/win_files.h"

namespace wintest {

// Processes every message that arrives within `milliseconds` (the settle-the-queue pump).
void Pump(DWORD milliseconds = 50);
// Pumps messages until `done` is true or `milliseconds` pass; returns whether it came true.
bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds = 3000);

// Brings a top-level window to the foreground and waits until it is.
bool BringToFront(HWND window);
// Real keystrokes for a virtual-key code, with optional modifiers held around it, then a short
// settle of the queue.
void PressKey(WORD virtualKey, bool control = false, bool shift = false, bool alt = false);
// The same keystrokes without pumping, for callers that pump through EventWait themselves.
void SendKeyStrokes(WORD virtualKey, bool control = false, bool shift = false, bool alt = false);
// One key going down or up, and a sequence of them sent in one SendInput call without pumping,
// for sequences the helpers above do not make (a key held across several others).
INPUT KeyInput(WORD virtualKey, bool up);
void SendKeyInputs(std::initializer_list<INPUT> inputs);
// A key held down for about `milliseconds`, as the keyboard reports it: its key-down, again
// every 33 ms (the repeats, which the system marks with bit 30 of lParam as the key is down
// already), then its key-up; pumps meanwhile.
void HoldKey(WORD virtualKey, DWORD milliseconds);
// Types text as Unicode keystrokes (KEYEVENTF_UNICODE).
void TypeText(const std::wstring& text);
// A real left click at a point in the window's client area, or of the screen.
void ClickClient(HWND window, int x, int y);
void ClickScreen(int screenX, int screenY);
// Moves the real mouse to a screen point.
void MoveMouseTo(int screenX, int screenY);
// Presses (down) or releases the left button at a screen point.
void PressMouseAt(int screenX, int screenY, bool down);

// A fresh empty folder under the temporary folder, removed with its files on destruction.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// Makes a folder current for the lifetime of the object.
class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const std::wstring& folder);
  ~ScopedCurrentFolder();
  ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
  ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

 private:
  std::wstring previous_;
};

// UTF-16 to UTF-8, for readable assertion messages.
std::string Narrow(const std::wstring& text);
// The folder the running test program lives in, with no trailing backslash.
std::wstring ProgramFolder();

}  // namespace wintest
