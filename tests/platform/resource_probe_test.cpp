#include <gtest/gtest.h>

#include "platform/system/resource_probe.h"

namespace velquora {
namespace {

// A probe whose raw query counts its calls and whose clock the test moves.
class ProbeClock : public ::testing::Test {
protected:
  ProbeClock()
      : hooks_({[this](int kind) {
                  kinds.push_back(kind);
                  return figure;
                },
                [this] { return now; }}) {}

  std::vector<int> kinds;
  int figure = 100;
  std::uint32_t now = 5000;

private:
  ScopedResourceProbeHooks hooks_;
};

TEST(ResourceProbe, ThisSystemAlwaysReports100) {
  InitializeResourceProbe();
  EXPECT_EQ(FreeSystemResourcesRaw(kSystemResources), 100);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(FreeSystemResources(), 100);
}

TEST_F(ProbeClock, FiveCallsWithin200MillisecondsMakeOneQuery) {
  figure = 37;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(FreeSystemResources(), 37);
    now += 50;  // the fifth call comes 200 ms after the first
  }
  EXPECT_EQ(kinds, std::vector<int>{kSystemResources});
}

TEST_F(ProbeClock, TheSixthCallQueriesAgain) {
  for (int i = 0; i < 5; ++i) FreeSystemResources();
  figure = 14;
  EXPECT_EQ(FreeSystemResources(), 14);
  EXPECT_EQ(kinds.size(), 2U);
}

TEST_F(ProbeClock, ACallAfter200MillisecondsQueriesAgain) {
  figure = 60;
  FreeSystemResources();
  now += 200;
  figure = 20;
  EXPECT_EQ(FreeSystemResources(), 60);  // 200 ms: still cached
  now += 1;
  EXPECT_EQ(FreeSystemResources(), 20);  // 201 ms after the query
  EXPECT_EQ(kinds.size(), 2U);
  // The new query starts a new window of five answers.
  for (int i = 0; i < 4; ++i) FreeSystemResources();
  EXPECT_EQ(kinds.size(), 2U);
  FreeSystemResources();
  EXPECT_EQ(kinds.size(), 3U);
}

TEST_F(ProbeClock, ATickCountThatWrapsStillMeasuresTheDifference) {
  now = 0xFFFFFF00U;
  FreeSystemResources();
  now = 0x00000010U;  // 0x110 = 272 ms later
  FreeSystemResources();
  EXPECT_EQ(kinds.size(), 2U);
  now = 0xFFFFFFF0U;
  InitializeResourceProbe();
  FreeSystemResources();
  now = 0x00000020U;  // 48 ms later
  FreeSystemResources();
  EXPECT_EQ(kinds.size(), 3U);
}

TEST(ResourceProbe, AFixedFigureServesTestsOfLowResources) {
  {
    ScopedResourceFigure low(11);
    EXPECT_EQ(FreeSystemResources(), 11);
    EXPECT_EQ(FreeSystemResourcesRaw(kSystemResources), 11);
  }
  EXPECT_EQ(FreeSystemResources(), 100);  // the cache does not outlive the figure
}

}  // namespace
}  // namespace velquora
