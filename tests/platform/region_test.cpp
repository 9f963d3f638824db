#include <gtest/gtest.h>

#include <climits>

#include "platform/gdi/region.h"

namespace velquora {
namespace {

// Pixel-by-pixel statement of the round-rectangle rule: inside R (the rectangle less
// its last column and row) and, within a corner box, with the pixel centre inside that
// corner's ellipse.
bool InRoundRect(int x, int y, int left, int top, int right, int bottom, int ew, int eh) {
  const int rRight = right - 1;
  const int rBottom = bottom - 1;
  if (x < left || x >= rRight || y < top || y >= rBottom) return false;
  const int w = std::min(ew, rRight - left);
  const int h = std::min(eh, rBottom - top);
  if (w < 2 || h < 2) return true;
  const double a = w / 2.0;
  const double b = h / 2.0;
  const double cx = x + 0.5;
  const double cy = y + 0.5;
  double ex = 0;  // centre of the corner ellipse the pixel may fall in
  double ey = 0;
  if (cx < left + a) ex = left + a;
  else if (cx > rRight - a) ex = rRight - a;
  else return true;
  if (cy < top + b) ey = top + b;
  else if (cy > rBottom - b) ey = rBottom - b;
  else return true;
  const double nx = (cx - ex) / a;
  const double ny = (cy - ey) / b;
  return nx * nx + ny * ny <= 1 + 1e-9;
}

TEST(Region, EmptyByDefault) {
  const TRegion region;
  EXPECT_TRUE(region.Empty());
  EXPECT_EQ(region.Bounds(), Rect{});
  EXPECT_FALSE(region.Contains(0, 0));
}

TEST(Region, RectangleCoversLeftTopInclusiveRightBottomExclusive) {
  const TRegion region = TRegion::FromRect(Rect{2, 3, 5, 7});
  EXPECT_EQ(region.Bounds(), (Rect{2, 3, 5, 7}));
  EXPECT_TRUE(region.Contains(2, 3));
  EXPECT_TRUE(region.Contains(4, 6));
  EXPECT_FALSE(region.Contains(5, 6));
  EXPECT_FALSE(region.Contains(4, 7));
  EXPECT_FALSE(region.Contains(1, 3));
  EXPECT_EQ(region.RowSpan(4), (Span{2, 5}));
  EXPECT_TRUE(region.RowSpan(7).Empty());
}

TEST(Region, RectangleCornersInAnyOrder) {
  EXPECT_EQ(TRegion::FromRect(Rect{5, 7, 2, 3}), TRegion::FromRect(Rect{2, 3, 5, 7}));
  EXPECT_TRUE(TRegion::FromRect(Rect{2, 3, 2, 9}).Empty());
}

TEST(Region, RoundRectLeavesOutTheLastColumnAndRow) {
  EXPECT_EQ(TRegion::RoundRect(Rect{0, 0, 10, 8}, 0, 0), TRegion::FromRect(Rect{0, 0, 9, 7}));
  EXPECT_EQ(TRegion::RoundRect(Rect{0, 0, 10, 8}, 1, 30), TRegion::FromRect(Rect{0, 0, 9, 7}));
  EXPECT_TRUE(TRegion::RoundRect(Rect{0, 0, 1, 8}, 4, 4).Empty());
}

TEST(Region, RoundRectCircleCorner) {
  // R = (0, 0, 10, 10) with a circle of radius 5: the top row holds the pixels whose
  // centres lie within 5 * sqrt(1 - 0.9^2) = 2.18 of x = 5, that is x = 3 .. 6.
  const TRegion region = TRegion::RoundRect(Rect{0, 0, 11, 11}, 10, 10);
  EXPECT_EQ(region.RowSpan(0), (Span{3, 7}));
  EXPECT_EQ(region.RowSpan(5), (Span{0, 10}));
  EXPECT_EQ(region.RowSpan(9), (Span{3, 7}));
  EXPECT_EQ(region.Bounds(), (Rect{0, 0, 10, 10}));
}

TEST(Region, RoundRectMatchesThePixelRule) {
  struct Shape {
    Rect Box;
    int Width, Height;
  };
  const Shape shapes[] = {{{0, 0, 21, 13}, 8, 6},  {{3, 2, 30, 30}, 11, 7},  {{-5, -4, 12, 9}, 5, 13},
                          {{0, 0, 17, 17}, 40, 40}, {{1, 1, 40, 9}, 20, 3},   {{0, 0, 9, 9}, 2, 2},
                          {{0, 0, 64, 48}, 63, 47}, {{10, 10, 0, 0}, 6, 6}};
  for (const Shape& s : shapes) {
    const TRegion region = TRegion::RoundRect(s.Box, s.Width, s.Height);
    const int left = std::min(s.Box.Left, s.Box.Right);
    const int right = std::max(s.Box.Left, s.Box.Right);
    const int top = std::min(s.Box.Top, s.Box.Bottom);
    const int bottom = std::max(s.Box.Top, s.Box.Bottom);
    for (int y = top - 2; y < bottom + 2; ++y)
      for (int x = left - 2; x < right + 2; ++x)
        EXPECT_EQ(region.Contains(x, y), InRoundRect(x, y, left, top, right, bottom, s.Width, s.Height))
            << "(" << x << "," << y << ") of " << s.Box.Left << "," << s.Box.Top << "," << s.Box.Right << ","
            << s.Box.Bottom << " / " << s.Width << "x" << s.Height;
  }
}

TEST(Region, RoundRectIsSymmetric) {
  const TRegion region = TRegion::RoundRect(Rect{0, 0, 34, 20}, 15, 9);  // R is 33 x 19
  for (int y = 0; y < 19; ++y)
    for (int x = 0; x < 33; ++x) {
      EXPECT_EQ(region.Contains(x, y), region.Contains(32 - x, y)) << x << "," << y;
      EXPECT_EQ(region.Contains(x, y), region.Contains(x, 18 - y)) << x << "," << y;
    }
}

TEST(Region, NegativeEllipseSizesCountByMagnitude) {
  EXPECT_EQ(TRegion::RoundRect(Rect{0, 0, 20, 20}, -6, -8), TRegion::RoundRect(Rect{0, 0, 20, 20}, 6, 8));
}

TEST(Region, HostileCoordinatesStayWithinTheLimit) {
  const TRegion rect = TRegion::FromRect(Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX});
  EXPECT_EQ(rect.Bounds(), (Rect{-TRegion::CoordinateLimit, -TRegion::CoordinateLimit, TRegion::CoordinateLimit,
                                 TRegion::CoordinateLimit}));
  EXPECT_TRUE(rect.Contains(0, 0));
  const TRegion round = TRegion::RoundRect(Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, INT_MAX, INT_MIN);
  EXPECT_TRUE(round.Contains(0, 0));
  EXPECT_LE(round.Bounds().Bottom, TRegion::CoordinateLimit);
  EXPECT_GE(round.Bounds().Top, -TRegion::CoordinateLimit);
  EXPECT_TRUE(TRegion::FromRect(Rect{INT_MAX - 5, 0, INT_MAX, 5}).Empty()) << "beyond the limit";
}

}  // namespace
}  // namespace velquora
