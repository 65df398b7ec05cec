#include "gui/window/monitor_work_area.h"

#include "gui/window/work_area_fit.h"

namespace {

// Monitors beyond these are left out of the choice; no desk has that many.
constexpr std::size_t kMonitorsKept = 32;

struct MonitorList {
  MonitorAreas areas[kMonitorsKept];
  std::size_t count;
};

AreaRect Area(const RECT& rect) { return AreaRect{rect.left, rect.top, rect.right, rect.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  auto* monitors = reinterpret_cast<MonitorList*>(list);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    monitors->areas[monitors->count++] = MonitorAreas{Area(info.rcMonitor), Area(info.rcWork)};
  }
  return monitors->count < kMonitorsKept;
}

MONITORINFO InfoOf(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    info.rcMonitor = info.rcWork;
  }
  return info;
}

}  // namespace

POINT WorkAreaPosition(std::int64_t x, std::int64_t y, int width, int height) {
  MonitorList monitors{};
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  const AreaPoint at = WorkAreaFit(x, y, width, height, monitors.areas, monitors.count);
  return POINT{static_cast<LONG>(at.x), static_cast<LONG>(at.y)};
}

RECT MonitorWorkArea(HWND window) {
  HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                             : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  return InfoOf(monitor).rcWork;
}

POINT PlacementToScreen(HWND window, POINT point) {
  if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return point;
  // For a minimised window MonitorFromWindow takes the rectangle it had before.
  const MONITORINFO info = InfoOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
  return POINT{point.x + info.rcWork.left - info.rcMonitor.left, point.y + info.rcWork.top - info.rcMonitor.top};
}
