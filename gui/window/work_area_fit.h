// Where a window opens so that a screen shows it: the rule that puts a frame wholly in the work
// area of a monitor (the monitor less its taskbar and other docked bars), over the monitors'
// rectangles as plain numbers, free of Win32, so that layouts of several monitors are checked on
// any machine.
#pragma once

#include <cstddef>
#include <cstdint>

// Right and bottom exclusive, as in a RECT.
struct AreaRect {
  std::int64_t left, top, right, bottom;
};
struct MonitorAreas {
  AreaRect monitor;  // the whole monitor
  AreaRect work;     // its work area
};
struct AreaPoint {
  std::int64_t x, y;
};

// The top-left at which a frame of width x height asked for at (x, y) opens. A frame wholly in
// some monitor's work area stays. Any other moves the least distance that puts it wholly in the
// work area of the monitor that holds the largest part of it, or of the nearest monitor when
// none holds any (MonitorFromRect's choice with MONITOR_DEFAULTTONEAREST; the first in the list
// on a tie). Along an axis on which the frame is larger than that work area, its left or top
// edge goes on the work area's, so that the caption and the system menu show. Positions and sizes
// beyond 2^30 pixels count as that far. With no monitors, (x, y) stays.
AreaPoint WorkAreaFit(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                      const MonitorAreas* monitors, std::size_t count);
