#include "core/rounding.h"

#include <cmath>
#include <limits>

namespace velquora {

namespace {
template <typename T>
T Saturate(Real value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<Real>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (value >= static_cast<Real>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(value);
}

// Ties to even, independent of the floating-point environment's rounding mode.
Real RoundHalfEven(Real value) {
  const Real floor = std::floor(value);
  const Real diff = value - floor;
  if (diff < 0.5L) return floor;
  if (diff > 0.5L) return floor + 1.0L;
  return std::fmod(floor, 2.0L) == 0.0L ? floor : floor + 1.0L;
}
}  // namespace

std::int64_t Round(Real value) { return Saturate<std::int64_t>(RoundHalfEven(value)); }
std::int64_t Trunc(Real value) { return Saturate<std::int64_t>(std::trunc(value)); }
std::int32_t Round32(Real value) { return Saturate<std::int32_t>(RoundHalfEven(value)); }
std::int32_t Trunc32(Real value) { return Saturate<std::int32_t>(std::trunc(value)); }

}  // namespace velquora
