#pragma once
// Conversions of reals to integers: Round is to nearest with ties to even, Trunc
// towards zero. Results outside the 32-bit range saturate rather than overflow.
#include <cstdint>

#include "core/real48.h"

namespace velquora {

std::int64_t Round(Real value);
std::int64_t Trunc(Real value);
// The same, clamped into the signed 32-bit range used by coordinates and rectangles.
std::int32_t Round32(Real value);
std::int32_t Trunc32(Real value);

}  // namespace velquora
