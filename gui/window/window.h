// Numbered top-level windows: opening one with a frame position, a client size, a title and
// style flags; its native handle and frame position; closing. Every window has a window class
// of its own (window_class.h), a record in the window table (window_record.h) and the shared
// window procedure (window_procedure.h). Also the start-up step for the common controls and
// COM.
#pragma once

#include <windows.h>

#include <cstdint>

// WindowOpen flags with a meaning of their own; all other bits are Win32 window styles.
constexpr std::uint32_t WindowCentered = 0x1;
constexpr std::uint32_t WindowCenterOnParent = 0x2;  // no parent here: switches centring off
constexpr std::uint32_t WindowTool = 0x4;
constexpr std::uint32_t WindowNoGadgetList = 0x8;
constexpr std::uint32_t WindowNoActivate = 0x02000000;
constexpr std::uint32_t WindowHidden = 0x10000000;
// x or y: let Windows choose the position.
constexpr std::int64_t WindowDefaultPosition = -65535;

// Start-up and teardown steps.
void WindowsInit();
void WindowsEnd();
void ControlsInit();

// Returns the native handle, or for number -1 the new window's number; 0 on failure. x, y:
// the frame's top-left corner on the screen; width, height: the client size.
std::int64_t WindowOpen(std::int64_t number, std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                        const wchar_t* title, std::uint32_t flags);
HWND WindowHandle(std::int64_t number);
std::int64_t WindowLeft(std::int64_t number);
std::int64_t WindowTop(std::int64_t number);
// The frame's top-left where the window stands when restored: its current one, or, while it is
// minimised or maximised, the one it is restored to. {0, 0} for an unknown number.
POINT WindowRestoredPosition(std::int64_t number);
// The window table's free procedure; -1 closes every window.
void WindowClose(std::int64_t number);

// The frame correction for sizing borders: 5 with desktop composition on, else 0.
int WindowFrameCorrection();
