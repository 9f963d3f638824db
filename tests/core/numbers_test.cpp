#include <gtest/gtest.h>

#include "core/ansi_text.h"
#include "core/random.h"
#include "core/rounding.h"

namespace velquora {
namespace {

TEST(Round, TiesGoToTheEvenNeighbour) {
  struct Case { Real value; std::int64_t rounded; };
  for (const Case& c : {Case{0.5L, 0}, Case{1.5L, 2}, Case{2.5L, 2}, Case{-0.5L, 0}, Case{-1.5L, -2},
                        Case{-2.5L, -2}, Case{2.4999L, 2}, Case{2.5001L, 3}, Case{-2.6L, -3},
                        // Whole numbers beyond double's 53 bits convert exactly.
                        Case{9007199254740993.0L, 9007199254740993}, Case{-9007199254740995.5L, -9007199254740996}}) {
    EXPECT_EQ(Round(c.value), c.rounded) << static_cast<double>(c.value);
  }
}

TEST(Round, TruncMovesTowardsZero) {
  EXPECT_EQ(Trunc(2.9L), 2);
  EXPECT_EQ(Trunc(-2.9L), -2);
  EXPECT_EQ(Trunc(9007199254740993.75L), 9007199254740993);
}

TEST(Round, ThirtyTwoBitFormsSaturate) {
  EXPECT_EQ(Round32(1e30L), INT32_MAX);
  EXPECT_EQ(Round32(-1e30L), INT32_MIN);
  EXPECT_EQ(Trunc32(1e30L), INT32_MAX);
  EXPECT_EQ(Round32(2147483646.5L), 2147483646);
  EXPECT_EQ(Round32(2147483646.6L), INT32_MAX);
  EXPECT_EQ(Round32(-2147483647.5L), INT32_MIN);
  EXPECT_EQ(Trunc32(2147483646.99L), 2147483646);
  EXPECT_EQ(Trunc32(-2147483647.99L), -2147483647);
}

TEST(Generator, FollowsTheLinearCongruentialRule) {
  SetRandSeed(0);
  EXPECT_EQ(Random(100), 0);  // seed 1: (1 * 100) >> 32
  EXPECT_EQ(RandSeed(), 1U);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(RandSeed(), 134775814U);
  SetRandSeed(0xFFFFFFFFU);
  const std::uint32_t next = 0xFFFFFFFFU * 134775813U + 1U;
  EXPECT_EQ(Random(1000), static_cast<std::int32_t>((std::uint64_t{next} * 1000U) >> 32));
  SetRandSeed(41);
  const std::uint32_t after = 41U * 134775813U + 1U;
  EXPECT_EQ(RandomReal(), static_cast<Real>(after) / 4294967296.0L);
}

TEST(Generator, SameSeedSameSequence) {
  SetRandSeed(12345);
  std::vector<std::int32_t> first;
  for (int i = 0; i < 10; ++i) first.push_back(Random(640));
  SetRandSeed(12345);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Random(640), first[static_cast<std::size_t>(i)]);
}

TEST(Generator, TimeOfDaySeedCountsMilliseconds) {
  EXPECT_EQ(TimeOfDaySeed(0, 0, 0, 0), 0U);
  EXPECT_EQ(TimeOfDaySeed(1, 2, 3, 4), 3723004U);
  EXPECT_EQ(TimeOfDaySeed(23, 59, 59, 999), 86399999U);
}

TEST(UpperCaseAnsi, LowersLettersAndHighBytesByThirtyTwo) {
  EXPECT_EQ(UpperCaseAnsi("/s"), "/S");
  EXPECT_EQ(UpperCaseAnsi(".exe"), ".EXE");
  EXPECT_EQ(UpperCaseAnsi("Sp-{}"), "SP-{}");
  EXPECT_EQ(UpperCaseAnsi("\xE0\xFF\xDF"), "\xC0\xDF\xDF");
}

}  // namespace
}  // namespace velquora
