// The rule that opens a window wholly in a monitor's work area, over desks Wine cannot show: two
// and three monitors, a left monitor at negative x, a taskbar at the top or the left, a monitor
// gone, a window larger than the work area, positions beyond every screen.
#include "gui/window/work_area_fit.h"

#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace {

MonitorAreas Whole(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
  return MonitorAreas{{left, top, right, bottom}, {left, top, right, bottom}};
}

// The frame of the main window, about as Windows draws it.
constexpr std::int64_t W = 326;
constexpr std::int64_t H = 190;
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

const std::vector<MonitorAreas> kOne = {Whole(0, 0, 1024, 768)};
const std::vector<MonitorAreas> kTaskbarTop = {{{0, 0, 1920, 1080}, {0, 40, 1920, 1080}}};
const std::vector<MonitorAreas> kTaskbarLeft = {{{0, 0, 1920, 1080}, {60, 0, 1920, 1080}}};
// The primary at the origin, a smaller one to its left at negative x, taskbar at the bottom.
const std::vector<MonitorAreas> kLeftOfPrimary = {{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
                                                  Whole(-1280, 0, 0, 1024)};
// Three in a row, the third shorter.
const std::vector<MonitorAreas> kThree = {Whole(0, 0, 1920, 1080), Whole(1920, 0, 3840, 1080),
                                          Whole(3840, 0, 5120, 1024)};
const std::vector<MonitorAreas> kSmall = {{{0, 0, 300, 200}, {0, 0, 300, 170}}};

struct Row {
  const char* label;
  const std::vector<MonitorAreas>* monitors;
  std::int64_t x, y;
  std::int64_t expectedX, expectedY;
  std::int64_t width = W, height = H;
};

const Row kRows[] = {
    {"wholly in the work area stays", &kOne, 30, 40, 30, 40},
    {"filling the work area stays", &kOne, 0, 0, 0, 0, 1024, 768},
    {"far right and below", &kOne, 5000, 5000, 1024 - W, 768 - H},
    {"far left", &kOne, -3000, 100, 0, 100},
    {"far above", &kOne, 100, -2000, 100, 0},
    {"half off the bottom right", &kOne, 900, 700, 1024 - W, 768 - H},
    {"caption above the top", &kOne, -40, -20, 0, 0},
    {"parked minimised", &kOne, -31999, -31999, 0, 0},
    {"beyond 64 bits' reach", &kOne, kMax, kMin, 1024 - W, 0},
    {"taskbar at the top covers 0,0", &kTaskbarTop, 0, 0, 0, 40},
    {"taskbar at the top, partly under it", &kTaskbarTop, 500, 20, 500, 40},
    {"taskbar at the left covers 0,0", &kTaskbarLeft, 0, 0, 60, 0},
    {"on the left monitor stays", &kLeftOfPrimary, -1000, 100, -1000, 100},
    {"mostly on the primary", &kLeftOfPrimary, -100, 100, 0, 100},
    {"mostly on the left monitor", &kLeftOfPrimary, -300, 100, -W, 100},
    {"over the primary's taskbar", &kLeftOfPrimary, 500, 900, 500, 1040 - H},
    {"below the left monitor, nearest it", &kLeftOfPrimary, -1000, 1050, -1000, 1024 - H},
    {"left monitor gone", &kOne, -1000, 100, 0, 100},
    {"across the first seam, mostly on the second", &kThree, 1800, 100, 1920, 100},
    {"off the third's bottom", &kThree, 5000, 900, 5120 - W, 1024 - H},
    {"beyond the third, nearest it", &kThree, 9000, 50, 5120 - W, 50},
    {"larger than the work area: top-left kept in it", &kSmall, 100, 50, 0, 0},
    {"larger than the work area, above its left", &kSmall, -50, -50, 0, 0},
    {"wider only", &kSmall, 100, 10, 0, 10, 400, 100},
};

TEST(WorkAreaFit, OpensWhollyInTheWorkAreaOfTheMonitorHoldingMostOrNearest) {
  for (const Row& row : kRows) {
    const AreaPoint at = WorkAreaFit(row.x, row.y, row.width, row.height, row.monitors->data(), row.monitors->size());
    EXPECT_EQ(row.expectedX, at.x) << row.label;
    EXPECT_EQ(row.expectedY, at.y) << row.label;
  }
  const AreaPoint nowhere = WorkAreaFit(5000, -7, W, H, nullptr, 0);
  EXPECT_EQ(5000, nowhere.x) << "no monitors";
  EXPECT_EQ(-7, nowhere.y) << "no monitors";
}

}  // namespace
