// Rectangles hold coordinates that come from scene files: their sizes and the bound on
// coordinates never let 32-bit arithmetic overflow.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/geometry.h"

namespace velquora {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(Rect, SizesBeyondThe32BitRangeSaturate) {
  struct Case {
    Rect rect;
    std::int32_t width, height;
  };
  const Case cases[] = {
      {{-153, 0, 2147483511, 10}, kMax, 10},
      {{kMin, kMin, kMax, kMax}, kMax, kMax},
      {{kMax, kMax, kMin, kMin}, kMin, kMin},
      {{-5, -7, 5, 7}, 10, 14},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.rect.Width(), c.width);
    EXPECT_EQ(c.rect.Height(), c.height);
  }
}

TEST(Rect, BoundsSaturatesItsFarSides) {
  EXPECT_EQ(Bounds(kMax - 5, -10, 100, 30), (Rect{kMax - 5, -10, kMax, 20}));
  EXPECT_EQ(Bounds(kMin + 5, kMin + 1, -100, -2), (Rect{kMin + 5, kMin + 1, kMin, kMin}));
}

TEST(Rect, CoordinatesAreHeldWithinTheBoundSoThatTheirDifferencesFit) {
  EXPECT_EQ(ClampCoordinate(std::int64_t{kMax} + 10), kCoordinateLimit);
  EXPECT_EQ(ClampCoordinate(std::int64_t{kMin} - 10), -kCoordinateLimit);
  EXPECT_EQ(ClampCoordinate(-153), -153);
  // The widest rectangle the bound allows, grown by another bound's worth, still fits.
  const Rect widest{-kCoordinateLimit, -kCoordinateLimit, kCoordinateLimit, kCoordinateLimit};
  EXPECT_EQ(std::int64_t{widest.Width()} + kCoordinateLimit, 3 * std::int64_t{kCoordinateLimit});
  EXPECT_LT(3 * std::int64_t{kCoordinateLimit}, std::int64_t{kMax});
}

}  // namespace
}  // namespace velquora
