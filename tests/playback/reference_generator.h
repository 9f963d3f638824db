#pragma once
// An independent model of the process-wide generator for tests that predict draws:
// seed := seed * 134775813 + 1 (mod 2^32) before each draw; Random(n) is the high half of
// the 64-bit product of the new seed and n; the real draw is the new seed / 2^32.
#include <cstdint>

namespace velquora::testing {

class ReferenceGenerator {
public:
  explicit ReferenceGenerator(std::uint32_t seed) : seed_(seed) {}

  std::int32_t Next(std::int32_t n) {
    Advance();
    return static_cast<std::int32_t>((std::uint64_t{seed_} * static_cast<std::uint32_t>(n)) >> 32);
  }
  long double NextReal() {
    Advance();
    return static_cast<long double>(seed_) / 4294967296.0L;
  }
  std::uint32_t Seed() const { return seed_; }

private:
  void Advance() { seed_ = seed_ * 134775813u + 1u; }
  std::uint32_t seed_;
};

}  // namespace velquora::testing
