#include "gui/window/work_area_fit.h"

namespace {

// Far enough for any desktop, near enough that sums and products of coordinates stay exact.
constexpr std::int64_t kFar = std::int64_t{1} << 30;

std::int64_t Limited(std::int64_t value, std::int64_t low, std::int64_t high) {
  return value < low ? low : value > high ? high : value;
}

bool Inside(const AreaRect& inner, const AreaRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// How much of [low1, high1) lies in [low2, high2).
std::int64_t Overlap(std::int64_t low1, std::int64_t high1, std::int64_t low2, std::int64_t high2) {
  const std::int64_t low = low1 > low2 ? low1 : low2;
  const std::int64_t high = high1 < high2 ? high1 : high2;
  return high > low ? high - low : 0;
}

// The gap between [low1, high1) and [low2, high2); 0 when they overlap or touch.
std::int64_t Gap(std::int64_t low1, std::int64_t high1, std::int64_t low2, std::int64_t high2) {
  if (high1 <= low2) return low2 - high1;
  if (high2 <= low1) return low1 - high2;
  return 0;
}

// The start of [start, start + size) moved the least into [low, high); `low` when it is larger.
std::int64_t Fitted(std::int64_t start, std::int64_t size, std::int64_t low, std::int64_t high) {
  if (size >= high - low) return low;
  return Limited(start, low, high - size);
}

}  // namespace

AreaPoint WorkAreaFit(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                      const MonitorAreas* monitors, std::size_t count) {
  x = Limited(x, -kFar, kFar);
  y = Limited(y, -kFar, kFar);
  width = Limited(width, 0, kFar);
  height = Limited(height, 0, kFar);
  const AreaRect frame{x, y, x + width, y + height};
  if (count == 0) return AreaPoint{x, y};
  for (std::size_t i = 0; i < count; ++i) {
    if (Inside(frame, monitors[i].work)) return AreaPoint{x, y};
  }

  std::size_t chosen = 0;
  std::int64_t largest = 0;
  double nearest = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const AreaRect& m = monitors[i].monitor;
    const std::int64_t part = Overlap(frame.left, frame.right, m.left, m.right) *
                              Overlap(frame.top, frame.bottom, m.top, m.bottom);
    if (part > largest) {
      largest = part;
      chosen = i;
    } else if (largest == 0) {
      const auto dx = static_cast<double>(Gap(frame.left, frame.right, m.left, m.right));
      const auto dy = static_cast<double>(Gap(frame.top, frame.bottom, m.top, m.bottom));
      const double distance = dx * dx + dy * dy;
      if (i == 0 || distance < nearest) {
        nearest = distance;
        chosen = i;
      }
    }
  }
  const AreaRect& work = monitors[chosen].work;
  return AreaPoint{Fitted(x, width, work.left, work.right), Fitted(y, height, work.top, work.bottom)};
}
