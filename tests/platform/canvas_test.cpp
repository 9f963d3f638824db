#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "platform/gdi/canvas.h"

namespace velquora {
namespace {

constexpr TColor White = RGB(255, 255, 255);
constexpr TColor Red = RGB(255, 0, 0);
constexpr TColor Blue = RGB(0, 0, 255);
constexpr TColor Green = RGB(0, 255, 0);

using PixelSet = std::set<std::pair<int, int>>;

// The pixels of the bitmap that differ from white.
PixelSet Painted(const TBitmap& bitmap) {
  PixelSet painted;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      if (bitmap.GetPixel(x, y) != White) painted.insert({x, y});
  return painted;
}

// The line rule stated on real numbers: step t along the major axis; the minor offset is
// t * d / D rounded to nearest, an exact half going back towards the start.
PixelSet ReferenceLine(Point a, Point b) {
  PixelSet pixels;
  const double dx = b.X - a.X;
  const double dy = b.Y - a.Y;
  const bool xMajor = std::fabs(dx) >= std::fabs(dy);
  const double length = std::max(std::fabs(dx), std::fabs(dy));
  for (int t = 0; t < static_cast<int>(length); ++t) {
    const double exact = t * (xMajor ? std::fabs(dy) : std::fabs(dx)) / length;
    double offset = std::floor(exact);
    if (exact - offset > 0.5) offset += 1;
    const int minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int major = (xMajor ? a.X : a.Y) + majorSign * t;
    const int minor = (xMajor ? a.Y : a.X) + minorSign * static_cast<int>(offset);
    pixels.insert(xMajor ? std::pair{major, minor} : std::pair{minor, major});
  }
  return pixels;
}

PixelSet Within(const PixelSet& pixels, int width, int height) {
  PixelSet inside;
  for (const auto& p : pixels)
    if (p.first >= 0 && p.second >= 0 && p.first < width && p.second < height) inside.insert(p);
  return inside;
}

PixelSet DrawnLine(Point a, Point b, int width = 24, int height = 24) {
  TBitmap bitmap(width, height, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  canvas.MoveTo(a.X, a.Y);
  canvas.LineTo(b.X, b.Y);
  return Painted(bitmap);
}

TEST(CanvasLine, LeavesOutTheEndPoint) {
  EXPECT_EQ(DrawnLine({1, 2}, {5, 2}), (PixelSet{{1, 2}, {2, 2}, {3, 2}, {4, 2}}));
  EXPECT_EQ(DrawnLine({3, 5}, {3, 2}), (PixelSet{{3, 5}, {3, 4}, {3, 3}}));
  EXPECT_EQ(DrawnLine({0, 0}, {3, 3}), (PixelSet{{0, 0}, {1, 1}, {2, 2}}));
  EXPECT_TRUE(DrawnLine({4, 4}, {4, 4}).empty()) << "a zero-length line draws nothing";
}

TEST(CanvasLine, ShallowLineSteps) {
  EXPECT_EQ(DrawnLine({0, 0}, {6, 2}), (PixelSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}}));
}

TEST(CanvasLine, ExactHalvesRoundTowardsTheStart) {
  // Halfway at x = 2 in both directions.
  EXPECT_EQ(DrawnLine({0, 0}, {4, 1}), (PixelSet{{0, 0}, {1, 0}, {2, 0}, {3, 1}}));
  EXPECT_EQ(DrawnLine({4, 1}, {0, 0}), (PixelSet{{4, 1}, {3, 1}, {2, 1}, {1, 0}}));
}

TEST(CanvasLine, MatchesTheRuleInEveryDirection) {
  const Point ends[] = {{0, 0},  {7, 3},   {3, 7},  {-4, 6}, {6, -5}, {-7, -2}, {-2, -7}, {10, 0}, {0, -9},
                        {5, 5},  {-6, 6},  {9, 4},  {4, -8}, {-8, 3}, {13, 13}, {-11, 0}, {2, 11}, {12, -1}};
  const Point centre{11, 12};
  for (const Point& e : ends) {
    const Point a = centre;
    const Point b{centre.X + e.X, centre.Y + e.Y};
    EXPECT_EQ(DrawnLine(a, b), Within(ReferenceLine(a, b), 24, 24)) << "to " << b.X << "," << b.Y;
    EXPECT_EQ(DrawnLine(b, a), Within(ReferenceLine(b, a), 24, 24)) << "from " << b.X << "," << b.Y;
  }
}

TEST(CanvasLine, ClipsLinesThatStartAndEndOutside) {
  const std::pair<Point, Point> lines[] = {{{-500, -300}, {600, 400}}, {{900, 3}, {-900, 19}},  {{5, -700}, {17, 800}},
                                           {{-30, 40}, {40, -30}},     {{23, 23}, {-977, -999}}, {{-50, 10}, {-1, 10}}};
  for (const auto& [a, b] : lines)
    EXPECT_EQ(DrawnLine(a, b), Within(ReferenceLine(a, b), 24, 24)) << a.X << "," << a.Y << " to " << b.X << "," << b.Y;
}

TEST(CanvasLine, ExtremeCoordinatesDrawTheVisiblePart) {
  PixelSet row;
  for (int x = 0; x < 24; ++x) row.insert({x, 5});
  EXPECT_EQ(DrawnLine({INT_MIN, 5}, {INT_MAX, 5}), row);
  PixelSet diagonal;
  for (int i = 0; i < 24; ++i) diagonal.insert({i, i});
  EXPECT_EQ(DrawnLine({INT_MIN + 1, INT_MIN + 1}, {INT_MAX, INT_MAX}), diagonal);
}

TEST(CanvasLine, PenPositionFollowsLineTo) {
  TBitmap bitmap(8, 8);
  TCanvas canvas(bitmap);
  canvas.MoveTo(1, 1);
  canvas.LineTo(4, 1);
  canvas.LineTo(4, 5);
  EXPECT_EQ(canvas.PenPos(), (Point{4, 5}));
  EXPECT_EQ(bitmap.GetPixel(4, 1), RGB(0, 0, 0)) << "the second line starts where the first left off";
  EXPECT_EQ(bitmap.GetPixel(4, 5), White);
}

TEST(CanvasFill, FillRectFillsTheRectangleOnly) {
  TBitmap bitmap(6, 5, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  canvas.Brush.Color = Red;
  canvas.FillRect(Rect{1, 1, 3, 4});
  PixelSet expected;
  for (int y = 1; y < 4; ++y)
    for (int x = 1; x < 3; ++x) expected.insert({x, y});
  EXPECT_EQ(Painted(bitmap), expected);
  canvas.FillRect(Rect{5, 4, 2, 1});  // right and bottom before left and top: nothing
  canvas.FillRect(Rect{-100, -100, -1, 3});
  EXPECT_EQ(Painted(bitmap), expected);
  canvas.FillRect(Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX});
  EXPECT_EQ(Painted(bitmap).size(), 30U);
}

TEST(CanvasFill, RectangleHasAPenBorderAndABrushInside) {
  TBitmap bitmap(7, 6, PixelFormat::Bits32);
  TCanvas canvas(bitmap);
  canvas.Pen.Color = Blue;
  canvas.Brush.Color = Red;
  canvas.Rectangle(Rect{1, 1, 5, 5});
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) {
      TColor expected = White;
      if (x >= 1 && x <= 4 && y >= 1 && y <= 4) expected = (x == 1 || x == 4 || y == 1 || y == 4) ? Blue : Red;
      EXPECT_EQ(bitmap.GetPixel(x, y), expected) << x << "," << y;
    }
}

TEST(CanvasFill, IndexedTargetsTakeTheNearestEntry) {
  TBitmap bitmap(2, 1, PixelFormat::Bits4);
  TCanvas canvas(bitmap);
  canvas.Brush.Color = RGB(250, 10, 5);
  canvas.FillRect(Rect{0, 0, 2, 1});
  EXPECT_EQ(bitmap.GetPixel(0, 0), Red);
  EXPECT_EQ(bitmap.GetIndex(1, 0), 9);
}

// The polygon rule from the other side: pixel (x, y) is filled when an odd number of
// edges (each covering its upper end, not its lower) cross the row at or left of x.
bool InsidePolygon(const std::vector<Point>& points, int x, int y) {
  int crossings = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    Point a = points[i];
    Point b = points[(i + 1) % points.size()];
    if (a.Y == b.Y) continue;
    if (a.Y > b.Y) std::swap(a, b);
    if (y < a.Y || y >= b.Y) continue;
    // crossing X <= x  <=>  (x - a.X)(b.Y - a.Y) >= (y - a.Y)(b.X - a.X)
    if (static_cast<long long>(x - a.X) * (b.Y - a.Y) >= static_cast<long long>(y - a.Y) * (b.X - a.X)) ++crossings;
  }
  return crossings % 2 == 1;
}

void ExpectPolygon(const std::vector<Point>& points, int width, int height) {
  TBitmap bitmap(width, height, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  canvas.Pen.Color = Blue;
  canvas.Brush.Color = Red;
  canvas.Polygon(points);
  PixelSet outline;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const PixelSet edge = ReferenceLine(points[i], points[(i + 1) % points.size()]);
    outline.insert(edge.begin(), edge.end());
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const TColor expected = outline.count({x, y}) ? Blue : InsidePolygon(points, x, y) ? Red : White;
      ASSERT_EQ(bitmap.GetPixel(x, y), expected) << "(" << x << "," << y << ") of a " << points.size() << "-point polygon";
    }
}

TEST(CanvasPolygon, SquareCoversItsVerticesInclusive) {
  TBitmap bitmap(6, 6, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  canvas.Pen.Color = Blue;
  canvas.Brush.Color = Red;
  const std::vector<Point> square = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  canvas.Polygon(square);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) {
      TColor expected = White;
      if (x <= 4 && y <= 4) expected = (x == 0 || x == 4 || y == 0 || y == 4) ? Blue : Red;
      EXPECT_EQ(bitmap.GetPixel(x, y), expected) << x << "," << y;
    }
  EXPECT_EQ(canvas.PenPos(), (Point{0, 0})) << "a polygon leaves the pen position alone";
}

TEST(CanvasPolygon, FillsByTheAlternateRule) {
  ExpectPolygon({{2, 1}, {17, 4}, {9, 15}}, 20, 18);
  ExpectPolygon({{1, 1}, {18, 1}, {18, 16}, {10, 6}, {1, 16}}, 20, 18);            // concave
  ExpectPolygon({{10, 0}, {13, 17}, {0, 6}, {19, 6}, {6, 17}}, 20, 18);           // a star: its core is outside
  ExpectPolygon({{17, 2}, {13, 6}, {13, 12}, {6, 12}, {2, 16}, {17, 16}}, 20, 18);  // the bevel's six points
  ExpectPolygon({{-5, -3}, {30, 4}, {8, 25}}, 20, 18);                              // partly outside
}

TEST(CanvasPolygon, FewerThanTwoPointsDrawNothing) {
  TBitmap bitmap(4, 4);
  TCanvas canvas(bitmap);
  canvas.Polygon(std::vector<Point>{{1, 1}});
  canvas.Polygon({});
  EXPECT_TRUE(Painted(bitmap).empty());
}

TEST(CanvasClip, DrawingStaysInsideTheRegion) {
  TBitmap bitmap(10, 10, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  const TRegion region = TRegion::RoundRect(Rect{1, 1, 10, 9}, 6, 6);
  canvas.SetClipRegion(region);
  canvas.Brush.Color = Red;
  canvas.FillRect(Rect{0, 0, 10, 10});
  canvas.MoveTo(0, 0);
  canvas.LineTo(10, 10);
  canvas.SetPixel(0, 9, Blue);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(bitmap.GetPixel(x, y) != White, region.Contains(x, y)) << x << "," << y;
  EXPECT_EQ(canvas.GetPixel(0, 0), InvalidColor);
  EXPECT_EQ(canvas.GetPixel(4, 4), RGB(0, 0, 0)) << "on the line";
  EXPECT_EQ(canvas.GetPixel(5, 3), Red);
}

TEST(CanvasClip, TheCanvasKeepsItsOwnCopyOfTheRegion) {
  TBitmap bitmap(6, 6, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  {
    TRegion region = TRegion::FromRect(Rect{0, 0, 2, 2});
    canvas.SetClipRegion(region);
    region = TRegion::FromRect(Rect{0, 0, 6, 6});
  }
  canvas.Brush.Color = Red;
  canvas.FillRect(Rect{0, 0, 6, 6});
  EXPECT_EQ(Painted(bitmap), (PixelSet{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
  canvas.ClearClipRegion();
  canvas.FillRect(Rect{0, 0, 6, 6});
  EXPECT_EQ(Painted(bitmap).size(), 36U);
}

TEST(CanvasClip, EmptyRegionClipsEverything) {
  TBitmap bitmap(4, 4);
  TCanvas canvas(bitmap);
  canvas.SetClipRegion(TRegion());
  canvas.Brush.Color = Red;
  canvas.FillRect(Rect{0, 0, 4, 4});
  canvas.Draw(0, 0, TBitmap(2, 2));
  const std::vector<Point> triangle = {{0, 0}, {3, 0}, {0, 3}};
  canvas.Polygon(triangle);
  EXPECT_TRUE(Painted(bitmap).empty());
}

// A picture whose every pixel has its own colour.
TBitmap Numbered(int width, int height, PixelFormat format = PixelFormat::Bits32) {
  TBitmap bitmap(width, height, format);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, RGB(static_cast<std::uint8_t>(x * 16), static_cast<std::uint8_t>(y * 16), 7));
  return bitmap;
}

TEST(CanvasDraw, CopiesTheSourceAtThePoint) {
  TBitmap target(6, 5, PixelFormat::Bits32);
  TCanvas canvas(target);
  const TBitmap source = Numbered(3, 2);
  canvas.Draw(2, 1, source);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
      EXPECT_EQ(target.GetPixel(x, y), inside ? source.GetPixel(x - 2, y - 1) : White) << x << "," << y;
    }
}

TEST(CanvasDraw, PartlyOutsideIsCut) {
  TBitmap target(4, 4, PixelFormat::Bits24);
  TCanvas canvas(target);
  const TBitmap source = Numbered(3, 3);
  canvas.Draw(-1, 2, source);
  EXPECT_EQ(target.GetPixel(0, 2), source.GetPixel(1, 0));
  EXPECT_EQ(target.GetPixel(1, 3), source.GetPixel(2, 1));
  EXPECT_EQ(Painted(target).size(), 4U);
}

TEST(CanvasDraw, TransparentPixelsLeaveTheTarget) {
  for (const PixelFormat format : {PixelFormat::Bits32, PixelFormat::Bits24, PixelFormat::Bits8}) {
    TBitmap target(3, 1, PixelFormat::Bits32);
    TCanvas canvas(target);
    canvas.Brush.Color = Green;
    canvas.FillRect(Rect{0, 0, 3, 1});
    TBitmap source(3, 1, format);
    source.SetPixel(0, 0, Red);
    source.SetPixel(1, 0, Blue);
    source.SetPixel(2, 0, Red);
    source.Transparent = true;
    source.TransparentColor = Red;
    canvas.Draw(0, 0, source);
    EXPECT_EQ(target.GetPixel(0, 0), Green) << BitsPerPixel(format);
    EXPECT_EQ(target.GetPixel(1, 0), Blue) << BitsPerPixel(format);
    EXPECT_EQ(target.GetPixel(2, 0), Green) << BitsPerPixel(format);
    source.Transparent = false;
    canvas.Draw(0, 0, source);
    EXPECT_EQ(target.GetPixel(0, 0), Red) << BitsPerPixel(format);
  }
}

TEST(CanvasDraw, ConvertsBetweenFormats) {
  const TBitmap source = Numbered(4, 3);
  TBitmap target(4, 3, PixelFormat::Bits16);
  TCanvas(target).Draw(0, 0, source);
  TBitmap expected = source;
  expected.SetPixelFormat(PixelFormat::Bits16);
  EXPECT_EQ(target, expected);

  TBitmap indexed(4, 3, PixelFormat::Bits8);
  TCanvas(indexed).Draw(0, 0, source);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(indexed.GetIndex(x, y), NearestPaletteIndex(indexed.Palette(), source.GetPixel(x, y)));
}

TEST(CanvasPalette, CopiesBetweenPaletteBitmapsMapThroughThePalettes) {
  TBitmap source(3, 1, PixelFormat::Bits8);
  source.SetPalette({{0, 0, 0}, {255, 0, 0}, {0, 0, 250}});
  source.SetIndex(0, 0, 1);
  source.SetIndex(1, 0, 2);
  source.SetIndex(2, 0, 0);
  TBitmap target(3, 1, PixelFormat::Bits8);
  target.SetPalette({{0, 0, 255}, {0, 0, 0}, {250, 0, 0}});
  TCanvas(target).CopyRect(Rect{0, 0, 3, 1}, source, Rect{0, 0, 3, 1});
  EXPECT_EQ(target.GetIndex(0, 0), 2);
  EXPECT_EQ(target.GetIndex(1, 0), 0);
  EXPECT_EQ(target.GetIndex(2, 0), 1);
}

TEST(CanvasPalette, IdenticalPalettesCopyTheIndices) {
  TBitmap source(2, 1, PixelFormat::Bits8);
  source.SetPalette({{5, 5, 5}, {5, 5, 5}});  // two equal entries: only indices tell them apart
  source.SetIndex(0, 0, 1);
  source.SetIndex(1, 0, 0);
  TBitmap target(2, 1, PixelFormat::Bits8);
  target.SetPalette(source.Palette());
  TCanvas(target).BitBlt(0, 0, 2, 1, source, 0, 0);
  EXPECT_EQ(target.GetIndex(0, 0), 1);
  EXPECT_EQ(target.GetIndex(1, 0), 0);

  TBitmap mono(9, 1, PixelFormat::Bits1);
  for (int x = 0; x < 9; ++x) mono.SetIndex(x, 0, x % 3 == 0 ? 0 : 1);
  TBitmap monoTarget(9, 1, PixelFormat::Bits1);
  TCanvas(monoTarget).Draw(0, 0, mono);
  EXPECT_EQ(monoTarget, mono);
}

// floor((i + 0.5) * s / d): the stretch rule on real numbers.
int Sampled(int i, int s, int d) { return static_cast<int>(std::floor((i + 0.5) * s / d)); }

void ExpectStretch(int sourceWidth, int sourceHeight, const Rect& dest, int width, int height) {
  const TBitmap source = Numbered(sourceWidth, sourceHeight);
  TBitmap target(width, height, PixelFormat::Bits32);
  TCanvas(target).StretchDraw(dest, source);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      TColor expected = White;
      if (x >= dest.Left && x < dest.Right && y >= dest.Top && y < dest.Bottom)
        expected = source.GetPixel(Sampled(x - dest.Left, sourceWidth, dest.Width()),
                                   Sampled(y - dest.Top, sourceHeight, dest.Height()));
      ASSERT_EQ(target.GetPixel(x, y), expected) << x << "," << y << " stretching " << sourceWidth << "x" << sourceHeight;
    }
}

TEST(CanvasStretch, NearestSourcePixelByCentres) {
  ExpectStretch(4, 3, Rect{1, 1, 9, 7}, 10, 8);   // twice as large
  ExpectStretch(8, 6, Rect{0, 0, 4, 3}, 5, 4);    // half: pixels 1, 3, 5, 7
  ExpectStretch(3, 5, Rect{2, 0, 4, 7}, 6, 8);    // 3 -> 2 wide, 5 -> 7 high
  ExpectStretch(5, 5, Rect{-3, -2, 9, 4}, 6, 6);  // cut by the target's edges
}

TEST(CanvasStretch, DoublingRepeatsEachPixelTwice) {
  const TBitmap source = Numbered(2, 1);
  TBitmap target(4, 2, PixelFormat::Bits24);
  TCanvas(target).StretchDraw(Rect{0, 0, 4, 2}, source);
  EXPECT_EQ(target.GetPixel(1, 1), source.GetPixel(0, 0));
  EXPECT_EQ(target.GetPixel(2, 0), source.GetPixel(1, 0));
}

TEST(CanvasStretch, HonoursTransparency) {
  TBitmap source(2, 1, PixelFormat::Bits24);
  source.SetPixel(0, 0, Red);
  source.SetPixel(1, 0, Blue);
  source.Transparent = true;
  source.TransparentColor = Red;
  TBitmap target(4, 1, PixelFormat::Bits24);
  TCanvas(target).StretchDraw(Rect{0, 0, 4, 1}, source);
  EXPECT_EQ(Painted(target), (PixelSet{{2, 0}, {3, 0}}));
}

TEST(CanvasStretch, TransparentBltLeavesOutItsOwnKeyNotTheSources) {
  for (const PixelFormat format : {PixelFormat::Bits24, PixelFormat::Bits32}) {
    TBitmap source(2, 1, format);
    source.SetPixel(0, 0, Red);
    source.SetPixel(1, 0, Blue);
    source.Transparent = true;
    source.TransparentColor = Red;
    TBitmap target(6, 2, format);
    // Three times as wide, hanging one pixel over the left edge.
    TCanvas(target).TransparentBlt(-1, 0, 6, 2, source, Blue);
    EXPECT_EQ(Painted(target), (PixelSet{{0, 0}, {1, 0}, {0, 1}, {1, 1}})) << static_cast<int>(format);
    EXPECT_EQ(target.GetPixel(0, 0), Red);
  }
}

TEST(CanvasStretch, EmptyOrInvertedTargetsDrawNothing) {
  TBitmap target(4, 4);
  TCanvas canvas(target);
  canvas.StretchDraw(Rect{3, 0, 1, 4}, Numbered(2, 2));
  canvas.StretchDraw(Rect{0, 0, 0, 4}, Numbered(2, 2));
  canvas.StretchDraw(Rect{0, 0, 4, 4}, TBitmap());
  EXPECT_TRUE(Painted(target).empty());
}

TEST(CanvasCopy, CopyRectIgnoresTransparency) {
  TBitmap source(1, 1, PixelFormat::Bits24);
  source.SetPixel(0, 0, Red);
  source.Transparent = true;
  source.TransparentColor = Red;
  TBitmap target(1, 1, PixelFormat::Bits24);
  TCanvas(target).CopyRect(Rect{0, 0, 1, 1}, source, Rect{0, 0, 1, 1});
  EXPECT_EQ(target.GetPixel(0, 0), Red);
}

TEST(CanvasCopy, SourceOutsideItsBitmapLeavesTheTarget) {
  const TBitmap source = Numbered(3, 3);
  TBitmap target(4, 4, PixelFormat::Bits32);
  TCanvas(target).BitBlt(0, 0, 4, 4, source, -1, 1);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const int sx = x - 1;
      const int sy = y + 1;
      const bool fromSource = sx >= 0 && sx < 3 && sy < 3;
      EXPECT_EQ(target.GetPixel(x, y), fromSource ? source.GetPixel(sx, sy) : White) << x << "," << y;
    }
}

TEST(CanvasCopy, OverlappingCopyWithinOneBitmap) {
  for (const PixelFormat format : {PixelFormat::Bits32, PixelFormat::Bits8, PixelFormat::Bits4}) {
    TBitmap bitmap(6, 1, format);
    const TColor colours[] = {RGB(0, 0, 0), Red, Green, Blue, White, RGB(255, 255, 0)};
    for (int x = 0; x < 6; ++x) bitmap.SetPixel(x, 0, colours[x]);
    TCanvas(bitmap).BitBlt(1, 0, 5, 1, bitmap, 0, 0);  // shift right by one
    EXPECT_EQ(bitmap.GetPixel(0, 0), colours[0]);
    for (int x = 1; x < 6; ++x) EXPECT_EQ(bitmap.GetPixel(x, 0), colours[x - 1]) << x << " at " << BitsPerPixel(format);
  }
}

// Copies of whole rows, which go as one block of bytes when the rows have no padding,
// against the pixel rule: target (x, y) takes source (x, y + shift) where that exists.
TEST(CanvasCopy, WholeRowCopiesMatchThePixelRule) {
  struct Case {
    int y, height, sourceY;
  };
  for (const PixelFormat format : {PixelFormat::Bits32, PixelFormat::Bits24, PixelFormat::Bits16}) {
    for (const Case c : {Case{0, 5, 0}, Case{1, 3, 0}, Case{0, 5, 2}, Case{-2, 9, -1}, Case{2, 5, -3}, Case{0, 5, 5}}) {
      TBitmap source = Numbered(5, 5);
      source.SetPixelFormat(format);
      TBitmap target(5, 5, format);
      TCanvas(target).BitBlt(0, c.y, 5, c.height, source, 0, c.sourceY);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
          const int sy = y - c.y + c.sourceY;
          const bool copied = y >= c.y && y < c.y + c.height && sy >= 0 && sy < 5;
          EXPECT_EQ(target.GetPixel(x, y), copied ? source.GetPixel(x, sy) : White)
              << x << "," << y << " case " << c.y << "/" << c.height << "/" << c.sourceY << " at "
              << BitsPerPixel(format);
        }
    }
  }
  // Within one bitmap, rows shifted down by one.
  TBitmap bitmap = Numbered(4, 4);
  const TBitmap before = bitmap;
  TCanvas(bitmap).BitBlt(0, 1, 4, 3, bitmap, 0, 0);
  for (int y = 1; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(bitmap.GetPixel(x, y), before.GetPixel(x, y - 1)) << x << "," << y;
}

// Unscaled 32-bit transparent drawing compares the colour bytes only; drawn pixels keep
// the source's fourth byte; clipping and edges cut as for any copy.
TEST(CanvasDraw, TransparentKeyIgnoresTheFourthByteAndCopiesIt) {
  TBitmap source(4, 2, PixelFormat::Bits32);
  for (int x = 0; x < 4; ++x) {
    source.SetPixel(x, 0, x % 2 == 0 ? Red : Blue);
    source.SetPixel(x, 1, x == 3 ? Red : Green);
  }
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) source.ScanLine(y)[4 * x + 3] = static_cast<std::uint8_t>(0x40 + x);
  source.Transparent = true;
  source.TransparentColor = Red;

  TBitmap target(4, 3, PixelFormat::Bits32);
  TCanvas canvas(target);
  canvas.SetClipRegion(TRegion::FromRect(Rect{0, 0, 3, 3}));
  canvas.Draw(-1, 1, source);  // source column 0 and target column 3 are cut
  const TColor expected[2][3] = {{Blue, White, Blue}, {Green, Green, White}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(target.GetPixel(x, y + 1), expected[y][x]) << x << "," << y;
      const bool drawn = expected[y][x] != White;
      EXPECT_EQ(target.ScanLine(y + 1)[4 * x + 3], drawn ? 0x40 + x + 1 : 0) << x << "," << y;
    }
  EXPECT_EQ(target.GetPixel(3, 2), White);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(target.GetPixel(x, 0), White);
}

TEST(CanvasCopy, StretchingCopyRect) {
  const TBitmap source = Numbered(4, 4);
  TBitmap target(2, 2, PixelFormat::Bits32);
  TCanvas(target).CopyRect(Rect{0, 0, 2, 2}, source, Rect{2, 2, 4, 4});
  EXPECT_EQ(target.GetPixel(0, 0), source.GetPixel(2, 2));
  TCanvas(target).CopyRect(Rect{0, 0, 2, 2}, source, Rect{0, 0, 4, 4});
  EXPECT_EQ(target.GetPixel(1, 1), source.GetPixel(3, 3));
  EXPECT_EQ(target.GetPixel(0, 1), source.GetPixel(1, 3));
}

TEST(CanvasPixels, SetAndGetWithClipAndBounds) {
  TBitmap bitmap(3, 3, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  canvas.SetPixel(1, 2, Blue);
  canvas.SetPixel(3, 0, Blue);
  canvas.SetPixel(-1, 0, Blue);
  EXPECT_EQ(canvas.GetPixel(1, 2), Blue);
  EXPECT_EQ(canvas.GetPixel(3, 0), InvalidColor);
  EXPECT_EQ(Painted(bitmap), (PixelSet{{1, 2}}));
}

}  // namespace
}  // namespace velquora
