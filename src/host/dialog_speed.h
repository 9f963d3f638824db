#pragma once
// The settings dialog's speed rules: frames per second shown on the speed bar and its
// label, from the frame period and from where the user clicked the bar.
#include <cstdint>
#include <string>

namespace velquora {

inline constexpr int kSpeedBarMinimum = 1;
inline constexpr int kSpeedBarMaximum = 40;
// The far right of the bar: a click maps the bar's width onto 0 .. 39.
inline constexpr int kSpeedBarClickSteps = 39;

// Frames per second for a frame period: nearest(1000 / interval), ties to even; 1 for
// a period of 0.
std::int32_t SpeedFromInterval(std::int32_t interval);

// Frames per second for a click x pixels from the bar's left edge on a bar w pixels
// wide: nearest(x * 39 / w). A cursor outside the bar counts as the nearer end, so the
// result is always 0 .. 39 (a bar without width gives 0).
std::int32_t SpeedFromCursor(std::int32_t x, std::int32_t w);

// The frame period for a speed: nearest(1000 / n), or 1000 for 0.
std::int32_t IntervalFromSpeed(std::int32_t speed);

// "N frames per second".
std::string SpeedText(std::int32_t speed);

}  // namespace velquora
