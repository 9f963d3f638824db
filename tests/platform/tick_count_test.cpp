#include "platform/system/tick_count.h"

#include <gtest/gtest.h>

namespace velquora {
namespace {

TEST(VirtualClock, TickCountReadsTheNewestVirtualClockAndTheRealOneAfterwards) {
  {
    ScopedVirtualClock outer;
    EXPECT_EQ(TickCount(), 0u);
    outer.Set(150);
    {
      ScopedVirtualClock inner;
      inner.Set(0xFFFFFFFFu);
      EXPECT_EQ(TickCount(), 0xFFFFFFFFu);
    }
    EXPECT_EQ(TickCount(), 150u);
  }
  // The real clock runs on from wherever it stands; two readings are close together.
  const std::uint32_t first = TickCount();
  EXPECT_LT(TickCount() - first, 60'000u);
}

}  // namespace
}  // namespace velquora
