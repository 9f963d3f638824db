#include "core/rounding.h"

#include <cmath>
#include <limits>

namespace velquora {

namespace {
// value, a whole number, held within T's range. The conversion of the whole number goes
// through llrint, which converts in the default rounding mode and is exact for it: a
// plain cast truncates, and on the x87 unit that means switching its rounding mode
// there and back for every conversion, which costs more than all the rest.
template <typename T>
T Saturate(Real value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<Real>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (value >= static_cast<Real>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(std::llrint(value));
}

// Ties to even. rint rounds in the floating-point environment's mode, which this
// program never changes from its default, round-to-nearest-even. It compiles to one
// instruction; nearbyint, which gives the same values but keeps the inexact flag clear
// (a flag this program never reads), is a library call that saves and restores the
// floating-point environment around that instruction, and a floor-and-compare version
// costs several library calls.
Real RoundHalfEven(Real value) { return std::rint(value); }
}  // namespace

std::int64_t Round(Real value) { return Saturate<std::int64_t>(RoundHalfEven(value)); }
std::int64_t Trunc(Real value) { return Saturate<std::int64_t>(std::trunc(value)); }
std::int32_t Round32(Real value) { return Saturate<std::int32_t>(RoundHalfEven(value)); }
std::int32_t Trunc32(Real value) { return Saturate<std::int32_t>(std::trunc(value)); }

}  // namespace velquora
