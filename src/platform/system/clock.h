#pragma once
// The wall clock, for the one place that seeds the generator from it.
#include <cstdint>

namespace velquora {

struct TimeOfDay {
  int Hours = 0;
  int Minutes = 0;
  int Seconds = 0;
  int Milliseconds = 0;
};

// The current UTC time of day.
TimeOfDay UtcTimeOfDay();

}  // namespace velquora
