#include "core/random.h"

namespace velquora {

namespace {
std::uint32_t g_seed = 0;
std::optional<std::uint32_t> g_fixed_seed;

void Advance() { g_seed = g_seed * 134775813U + 1U; }
}  // namespace

std::uint32_t RandSeed() { return g_seed; }
void SetRandSeed(std::uint32_t seed) { g_seed = seed; }

std::int32_t Random(std::int32_t n) {
  Advance();
  const std::uint64_t product = std::uint64_t{g_seed} * static_cast<std::uint32_t>(n);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(product >> 32));
}

Real RandomReal() {
  Advance();
  return static_cast<Real>(g_seed) / 4294967296.0L;
}

std::uint32_t TimeOfDaySeed(int hours, int minutes, int seconds, int milliseconds) {
  return static_cast<std::uint32_t>(((hours * 60 + minutes) * 60 + seconds) * 1000 + milliseconds);
}

void SetFixedSeed(std::optional<std::uint32_t> seed) { g_fixed_seed = seed; }
std::optional<std::uint32_t> FixedSeed() { return g_fixed_seed; }

}  // namespace velquora
