// The monitors as they are attached now, for placing windows: where a frame opens wholly in a
// work area (work_area_fit.h), the work area of a window's monitor, and a window placement's
// workspace coordinates turned into screen coordinates.
#pragma once

#include <windows.h>

#include <cstdint>

// The top-left at which a frame of width x height asked for at (x, y) opens wholly in the work
// area of one of the monitors (WorkAreaFit).
POINT WorkAreaPosition(std::int64_t x, std::int64_t y, int width, int height);
// The work area of the monitor that shows most of `window` (the nearest when none does), or of
// the primary monitor for a null window.
RECT MonitorWorkArea(HWND window);
// A point of `window`'s placement (GetWindowPlacement) in screen coordinates. Except for tool
// windows these are workspace coordinates, whose origin is the top-left of the work area of the
// window's monitor: they differ from screen coordinates by a taskbar at the top or the left.
POINT PlacementToScreen(HWND window, POINT point);
