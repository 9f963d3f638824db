#include "platform/system/clock.h"

#include <chrono>

namespace velquora {

TimeOfDay UtcTimeOfDay() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const hh_mm_ss time{duration_cast<milliseconds>(now - floor<days>(now))};
  return {static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count())};
}

}  // namespace velquora
