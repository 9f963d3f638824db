#include "platform/system/tick_count.h"

#include <chrono>
#include <utility>

namespace velquora {

namespace {
ScopedVirtualClock*& CurrentVirtualClock() {
  static ScopedVirtualClock* clock = nullptr;
  return clock;
}
}  // namespace

std::uint32_t RealTickCount() {
  const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count();
  return static_cast<std::uint32_t>(milliseconds);
}

ScopedVirtualClock::ScopedVirtualClock() : previous_(std::exchange(CurrentVirtualClock(), this)) {}

ScopedVirtualClock::~ScopedVirtualClock() { CurrentVirtualClock() = previous_; }

void ScopedVirtualClock::Set(std::uint32_t milliseconds) { now_ = milliseconds; }

std::uint32_t TickCount() {
  if (const ScopedVirtualClock* clock = CurrentVirtualClock()) return clock->Now();
  return RealTickCount();
}

}  // namespace velquora
