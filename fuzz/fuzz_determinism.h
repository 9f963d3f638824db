#pragma once
// Every fuzz target runs one input the same way every time, so that a saved input
// replays the fault it was saved for. While a FuzzDeterminism lives:
// - the process-wide generator is seeded from the input's own bytes, and so is every
//   scene created meanwhile (a scene otherwise seeds it from the time of day);
// - TickCount reads a virtual clock standing at 0, not the real one.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/random.h"
#include "platform/system/tick_count.h"

namespace velquora {

// FNV-1a over the bytes: a stable 32-bit seed that changes with every byte.
inline std::uint32_t SeedFromBytes(const std::uint8_t* data, std::size_t size) {
  std::uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}

class FuzzDeterminism {
public:
  FuzzDeterminism(const std::uint8_t* data, std::size_t size) : previous_(FixedSeed()) {
    const std::uint32_t seed = SeedFromBytes(data, size);
    SetFixedSeed(seed);
    SetRandSeed(seed);
  }
  ~FuzzDeterminism() { SetFixedSeed(previous_); }
  FuzzDeterminism(const FuzzDeterminism&) = delete;
  FuzzDeterminism& operator=(const FuzzDeterminism&) = delete;

  ScopedVirtualClock& Clock() { return clock_; }

private:
  std::optional<std::uint32_t> previous_;
  ScopedVirtualClock clock_;
};

}  // namespace velquora
