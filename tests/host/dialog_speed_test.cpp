#include "host/dialog_speed.h"

#include <gtest/gtest.h>

namespace velquora {
namespace {

TEST(DialogSpeed, FramesPerSecondFromThePeriod) {
  const struct {
    std::int32_t interval, speed;
  } cases[] = {{50, 20}, {40, 25}, {30, 33}, {0, 1}, {1000, 1}, {1, 1000}, {26, 38}, {2001, 0}, {400, 2}, {80, 12}};
  for (const auto& c : cases) EXPECT_EQ(SpeedFromInterval(c.interval), c.speed) << c.interval << " ms";
}

TEST(DialogSpeed, ClickPositionMapsTheBarOntoZeroTo39) {
  const struct {
    std::int32_t x, w, speed;
  } cases[] = {{0, 188, 0},    {188, 188, 39}, {187, 188, 39}, {94, 188, 20}, {-30, 188, 0},
               {500, 188, 39}, {10, 0, 0},     {10, -5, 0},    {1, 78, 0},    {3, 78, 2}};
  for (const auto& c : cases) EXPECT_EQ(SpeedFromCursor(c.x, c.w), c.speed) << c.x << " of " << c.w;
}

TEST(DialogSpeed, PeriodFromTheSpeed) {
  const struct {
    std::int32_t speed, interval;
  } cases[] = {{0, 1000}, {39, 26}, {20, 50}, {25, 40}, {33, 30}, {1, 1000}, {16, 62}, {3, 333}};
  for (const auto& c : cases) EXPECT_EQ(IntervalFromSpeed(c.speed), c.interval) << c.speed;
}

TEST(DialogSpeed, LabelText) { EXPECT_EQ(SpeedText(20), "20 frames per second"); }

}  // namespace
}  // namespace velquora
