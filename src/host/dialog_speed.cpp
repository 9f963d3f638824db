#include "host/dialog_speed.h"

#include <algorithm>

#include "core/rounding.h"

namespace velquora {

namespace {
constexpr std::int32_t kMillisecondsPerSecond = 1000;
}

std::int32_t SpeedFromInterval(std::int32_t interval) {
  if (interval == 0) return 1;
  return Round32(static_cast<Real>(kMillisecondsPerSecond) / static_cast<Real>(interval));
}

std::int32_t SpeedFromCursor(std::int32_t x, std::int32_t w) {
  if (w <= 0) return 0;
  const std::int32_t inside = std::clamp(x, 0, w);
  return Round32(static_cast<Real>(inside) * kSpeedBarClickSteps / static_cast<Real>(w));
}

std::int32_t IntervalFromSpeed(std::int32_t speed) {
  if (speed == 0) return kMillisecondsPerSecond;
  return Round32(static_cast<Real>(kMillisecondsPerSecond) / static_cast<Real>(speed));
}

std::string SpeedText(std::int32_t speed) { return std::to_string(speed) + " frames per second"; }

}  // namespace velquora
