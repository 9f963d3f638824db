#pragma once
// The one process-wide pseudo-random generator. Every random draw of the system goes
// through it, so that a fixed seed replays a run exactly:
//   seed := seed * 134775813 + 1 (mod 2^32) before each draw;
//   Random(n) = high 32 bits of the 64-bit product seed * n;  RandomReal() = seed / 2^32.
#include <cstdint>
#include <optional>

#include "core/real48.h"

namespace velquora {

std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);

// 0 .. n-1 for n > 0, 0 for n == 0 (n is taken as an unsigned 32-bit number).
std::int32_t Random(std::int32_t n);
Real RandomReal();

// Milliseconds of the UTC time of day: ((h * 60 + m) * 60 + s) * 1000 + ms.
std::uint32_t TimeOfDaySeed(int hours, int minutes, int seconds, int milliseconds);

// A seed fixed by the command line (--seed) replaces the clock wherever the scene would
// seed the generator. Empty: use the clock.
void SetFixedSeed(std::optional<std::uint32_t> seed);
std::optional<std::uint32_t> FixedSeed();

}  // namespace velquora
