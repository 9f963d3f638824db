#pragma once
// Milliseconds since an arbitrary start, as a 32-bit count that wraps after 49.7 days;
// differences are taken unsigned, so a wrap between two readings does no harm.
// Headless runs replace the real clock with a virtual one that moves only when they
// set it, so that everything timed (media positions, clip frames) is reproducible.
#include <cstdint>

namespace velquora {

std::uint32_t TickCount();
// The real clock, also while a virtual one is in force: for progress reports only.
std::uint32_t RealTickCount();

// While an object of this class lives, TickCount reads the time it was last set to
// (initially 0) instead of the real clock. Objects nest; the newest one is in force.
class ScopedVirtualClock {
public:
  ScopedVirtualClock();
  ~ScopedVirtualClock();
  ScopedVirtualClock(const ScopedVirtualClock&) = delete;
  ScopedVirtualClock& operator=(const ScopedVirtualClock&) = delete;

  void Set(std::uint32_t milliseconds);
  std::uint32_t Now() const { return now_; }

private:
  std::uint32_t now_ = 0;
  ScopedVirtualClock* previous_;
};

}  // namespace velquora
