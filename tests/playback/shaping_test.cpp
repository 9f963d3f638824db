#include "playback/shaping.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/canvas.h"

namespace velquora {
namespace {

// Golden pictures live in tests/data/golden. VELQUORA_UPDATE_GOLDEN=1 makes the tests
// write them instead of comparing; each written picture is then checked by eye.
std::filesystem::path GoldenPath(const std::string& name) {
  return std::filesystem::path(VELQUORA_TEST_FILES) / "golden" / (name + ".png");
}

bool UpdatingGoldens() {
  const char* value = std::getenv("VELQUORA_UPDATE_GOLDEN");
  return value != nullptr && std::string_view(value) == "1";
}

void ExpectMatchesGolden(const TBitmap& bitmap, const std::string& name) {
  const std::filesystem::path path = GoldenPath(name);
  if (UpdatingGoldens()) {
    std::filesystem::create_directories(path.parent_path());
    SavePng(bitmap, path);
  }
  const TBitmap golden = LoadPng(path);
  ASSERT_EQ(golden.Width(), bitmap.Width()) << name;
  ASSERT_EQ(golden.Height(), bitmap.Height()) << name;
  int differences = 0;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      if (golden.GetPixel(x, y) != bitmap.GetPixel(x, y) && ++differences <= 3)
        ADD_FAILURE() << name << ": pixel (" << x << ", " << y << ") is " << std::hex << bitmap.GetPixel(x, y)
                      << ", golden " << golden.GetPixel(x, y);
  EXPECT_EQ(differences, 0) << name;
}

// The gradient rule computed independently: c1 + i (c2 - c1) / n per channel, to nearest
// with ties to even (the default floating-point rounding mode).
std::uint8_t ReferenceChannel(int from, int to, int i, int n) {
  const double value = from + static_cast<double>(i * (to - from)) / n;
  return static_cast<std::uint8_t>(std::nearbyint(value));
}

TColor Grad(TColor c1, TColor c2, int i, int n) {
  return RGB(ReferenceChannel(GetRValue(c1), GetRValue(c2), i, n), ReferenceChannel(GetGValue(c1), GetGValue(c2), i, n),
             ReferenceChannel(GetBValue(c1), GetBValue(c2), i, n));
}

constexpr TColor Yellow = RGB(250, 220, 40);
constexpr TColor Blue = RGB(20, 40, 200);
constexpr TColor White = RGB(255, 255, 255);
constexpr TColor Green = RGB(0, 160, 0);
constexpr TColor Maroon = RGB(120, 20, 40);
constexpr TColor Light = RGB(0xC0, 0xC0, 0xC0);
constexpr TColor Dark = RGB(0x80, 0x80, 0x80);

// ---- the angle tables ----

struct LayoutRow {
  std::int32_t Angle;
  std::int32_t Direction, Slant, LastLine;
  Point From5, To5;  // line 5
};

// W = 40, H = 30; slants from tan in degrees: 30 tan 10 = 5.29, 40 tan 20 = 14.56,
// 40 tan 30 = 23.09, 30 tan 20 = 10.92, 40 tan 44 = 38.63, 30 tan 44 = 28.97,
// 40 tan 1 = 0.70, 30 tan 1 = 0.52.
const LayoutRow kLayoutRows[] = {
    {170, 10, 5, 45, {5, 0}, {0, 30}},       {135, 45, 30, 70, {5, 0}, {-25, 30}},
    {134, 46, 39, 69, {0, 5}, {40, -34}},    {110, 70, 15, 45, {0, 5}, {40, -10}},
    {90, 90, 0, 30, {0, 5}, {40, 5}},        {89, 91, 1, 31, {40, 5}, {-1, 4}},
    {60, 120, 23, 53, {40, 5}, {-1, -18}},   {45, 135, 40, 70, {40, 5}, {-1, -35}},
    {44, 136, 29, 69, {64, 30}, {35, -1}},   {20, 160, 11, 51, {46, 30}, {35, -1}},
    {0, 180, 0, 40, {35, 30}, {35, -1}},     {180, 0, 0, 40, {5, 0}, {5, 30}},
    {181, -1, 1, 41, {4, 0}, {5, 30}},       {200, -20, 11, 51, {-6, 0}, {5, 30}},
    {225, -45, 30, 70, {-25, 0}, {5, 30}},   {226, -46, 39, 69, {40, 64}, {-1, 25}},
    {250, -70, 15, 45, {40, 40}, {-1, 25}},  {270, -90, 0, 30, {40, 25}, {-1, 25}},
    {271, -91, 1, 31, {-1, 26}, {40, 25}},   {300, -120, 23, 53, {-1, 48}, {40, 25}},
    {315, -135, 40, 70, {-1, 65}, {40, 25}}, {316, -136, 29, 69, {64, -1}, {35, 30}},
    {360, -180, 0, 40, {35, -1}, {35, 30}},
    // Directions beyond +-180 are limited.
    {-100, 180, 0, 40, {35, 30}, {35, -1}},  {1000, -180, 0, 40, {35, -1}, {35, 30}},
    {INT_MIN, 180, 0, 40, {35, 30}, {35, -1}}, {INT_MAX, -180, 0, 40, {35, -1}, {35, 30}},
};

TEST(FillAngled, LayoutFollowsTheRangeTables) {
  for (const LayoutRow& row : kLayoutRows) {
    const TAngledLayout layout = AngledLayout(row.Angle, 40, 30);
    EXPECT_EQ(layout.Direction, row.Direction) << "angle " << row.Angle;
    EXPECT_EQ(layout.Slant, row.Slant) << "angle " << row.Angle;
    EXPECT_EQ(layout.LastLine, row.LastLine) << "angle " << row.Angle;
    const TAngledLine line = AngledLine(layout, 5, 40, 30);
    EXPECT_EQ(line.From, row.From5) << "angle " << row.Angle;
    EXPECT_EQ(line.To, row.To5) << "angle " << row.Angle;
  }
}

TEST(FillAngled, GradientChannelsRoundHalfToEven) {
  // 255 / 2 = 127.5 -> 128, 5 / 2 = 2.5 -> 2, 7 / 2 = 3.5 -> 4.
  EXPECT_EQ(GradientColor(RGB(0, 0, 0), RGB(255, 5, 7), 1, 2), RGB(128, 2, 4));
  // Falling channels: 200 - 100 / 3 = 166.67 -> 167; 30 - 2 * 20 / 3 = 16.67 -> 17.
  EXPECT_EQ(GradientColor(RGB(200, 30, 9), RGB(100, 10, 9), 1, 3), RGB(167, 23, 9));
  EXPECT_EQ(GradientColor(RGB(200, 30, 9), RGB(100, 10, 9), 2, 3), RGB(133, 17, 9));
  EXPECT_EQ(GradientColor(Yellow, Blue, 0, 9), Yellow);
  EXPECT_EQ(GradientColor(Yellow, Blue, 9, 9), Blue);
}

TEST(FillAngled, OneLineAreaTakesTheFirstColour) {
  // A bitmap without columns at angle 180 has the single line 0 (n = W = 0).
  TBitmap bitmap(0, 5, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  FillAngled(canvas, kFillGradient, 180, Yellow, Blue, nullptr);
  EXPECT_EQ(canvas.Pen.Color, Yellow);
  EXPECT_EQ(GradientColor(Yellow, Blue, 0, 0), Yellow);
}

TEST(FillAngled, GradientEndsWithTheLastColourInThePen) {
  TBitmap bitmap(10, 8, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  FillAngled(canvas, kFillGradient, 90, Yellow, Blue, nullptr);
  EXPECT_EQ(canvas.Pen.Color, Blue);
}

TEST(FillAngled, OtherModesDrawInThePenColour) {
  TBitmap bitmap(10, 8, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  canvas.Pen.Color = Maroon;
  FillAngled(canvas, 7, 30, Yellow, Blue, nullptr);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(bitmap.GetPixel(x, y), Maroon) << x << ", " << y;
}

TEST(FillAngled, RegionStaysSelectedAndLimitsTheLines) {
  TBitmap bitmap(10, 8, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  const TRegion region = TRegion::FromRect(Rect{2, 3, 6, 5});
  FillAngled(canvas, kFillStripes, 90, Yellow, Blue, &region);
  ASSERT_TRUE(canvas.ClipRegion().has_value());
  EXPECT_EQ(*canvas.ClipRegion(), region);
  EXPECT_EQ(bitmap.GetPixel(1, 3), White);
  EXPECT_EQ(bitmap.GetPixel(6, 4), White);
  EXPECT_EQ(bitmap.GetPixel(2, 3), Yellow);  // line 3 is odd: C1
  EXPECT_EQ(bitmap.GetPixel(5, 4), Blue);    // line 4 is even: C2
}

TEST(FillAngled, LinesAtEveryAngleCoverEveryPixel) {
  // The lines sweep the whole bitmap whatever the direction: stripes leave nothing of
  // what was there before.
  for (std::int32_t angle = -400; angle <= 400; angle += 1) {
    TBitmap bitmap(13, 9, PixelFormat::Bits24);
    TCanvas canvas(bitmap);
    FillAngled(canvas, kFillStripes, angle, Yellow, Blue, nullptr);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 13; ++x) ASSERT_NE(bitmap.GetPixel(x, y), White) << "angle " << angle << " at " << x << ", " << y;
  }
}

// ---- FillAngled pictures (40 x 30, gradient from yellow to blue) ----

TBitmap FillAtAngle(std::int32_t angle) {
  TBitmap bitmap(40, 30, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  FillAngled(canvas, kFillGradient, angle, Yellow, Blue, nullptr);
  return bitmap;
}

TEST(FillAngledPicture, Angle180RunsFromTheLeftEdge) {
  const TBitmap bitmap = FillAtAngle(180);
  ExpectMatchesGolden(bitmap, "fill_angle_180");
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(bitmap.GetPixel(x, y), Grad(Yellow, Blue, x, 40)) << x << ", " << y;
}

TEST(FillAngledPicture, Angle0RunsFromTheRightEdge) {
  const TBitmap bitmap = FillAtAngle(0);
  ExpectMatchesGolden(bitmap, "fill_angle_0");
  // Line i stands at column W - i: line 0 just outside, column 0 gets line n = W.
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(bitmap.GetPixel(x, y), Grad(Yellow, Blue, 40 - x, 40)) << x << ", " << y;
}

TEST(FillAngledPicture, AngleMinus100IsLimitedToAngle0) {
  const TBitmap bitmap = FillAtAngle(-100);
  ExpectMatchesGolden(bitmap, "fill_angle_minus100");
  EXPECT_TRUE(bitmap == FillAtAngle(0));
}

TEST(FillAngledPicture, Angle135DrawsDiagonalsDownToTheLeft) {
  const TBitmap bitmap = FillAtAngle(135);
  ExpectMatchesGolden(bitmap, "fill_angle_135");
  // e = 45: d = H, n = W + H; line i runs (i, 0) -> (i - H, H), one pixel per row.
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(bitmap.GetPixel(x, y), Grad(Yellow, Blue, x + y, 70)) << x << ", " << y;
}

TEST(FillAngledPicture, Angle45DrawsFromTheRightEdgeUpwards) {
  const TBitmap bitmap = FillAtAngle(45);
  ExpectMatchesGolden(bitmap, "fill_angle_45");
  // e = 135: d = W, n = W + H; line i runs (W, i) -> (-1, i - W), 41 columns for 40 rows,
  // so column W - 1 is one row above the start and column 0 is W - 1 rows above it.
  for (int y = 0; y < 30; ++y) {
    EXPECT_EQ(bitmap.GetPixel(39, y), Grad(Yellow, Blue, y + 1, 70)) << "row " << y;
    EXPECT_EQ(bitmap.GetPixel(0, y), Grad(Yellow, Blue, y + 39, 70)) << "row " << y;
  }
}

TEST(FillAngledPicture, Angle200LeansTheOtherWay) {
  const TBitmap bitmap = FillAtAngle(200);
  ExpectMatchesGolden(bitmap, "fill_angle_200");
  // e = -20: d = round(30 tan 20) = 11, n = 51; line i runs (i - 11, 0) -> (i, 30) and
  // reaches row 29 at i - 11 + round(29 * 11 / 30) = i.
  for (int x = 0; x < 40; ++x) {
    EXPECT_EQ(bitmap.GetPixel(x, 0), Grad(Yellow, Blue, x + 11, 51)) << "column " << x;
    EXPECT_EQ(bitmap.GetPixel(x, 29), Grad(Yellow, Blue, x, 51)) << "column " << x;
  }
}

// ---- ShapeBitmap pictures (48 x 32) ----

constexpr int kW = 48;
constexpr int kH = 32;

TShapeStyle GradientStyle() {
  TShapeStyle style;
  style.GradientFrom = Yellow;
  style.GradientTo = Blue;
  return style;
}

TBitmap Shaped(const TShapeStyle& style, TColor before = White) {
  TBitmap bitmap(kW, kH, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  canvas.Brush.Color = before;
  canvas.FillRect(bitmap.BoundsRect());
  ShapeBitmap(kRectangularFrameShape, canvas, style);
  return bitmap;
}

TEST(ShapeBitmapPicture, AllDefaultsDrawHorizontalGradientLinesTopToBottom) {
  const TBitmap bitmap = Shaped(GradientStyle());
  ExpectMatchesGolden(bitmap, "shape_defaults");
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(bitmap.GetPixel(x, y), Grad(Yellow, Blue, y, kH)) << x << ", " << y;
}

TEST(ShapeBitmapPicture, StripesAt90StartWithTheSecondColour) {
  TShapeStyle style = GradientStyle();
  style.FillMode = kFillStripes;
  const TBitmap bitmap = Shaped(style);
  ExpectMatchesGolden(bitmap, "shape_stripes_90");
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(bitmap.GetPixel(x, y), y % 2 == 0 ? Blue : Yellow) << x << ", " << y;
}

TShapeStyle BorderStyle(std::int32_t kind) {
  TShapeStyle style = GradientStyle();
  style.BorderStyle = kind;
  style.BorderWidth = 5;
  style.BorderMargin = 3;
  style.FrameFillColor = Green;
  return style;
}

TEST(ShapeBitmapPicture, BevelledBorderWithSquareCorners) {
  const TBitmap bitmap = Shaped(BorderStyle(kBevelBorder));
  ExpectMatchesGolden(bitmap, "shape_bevel_square");
  // Margin b = 3, border c = 5: the border spans 3 .. 44 and 3 .. 28, the inner area
  // 8 .. 39 and 8 .. 23.
  for (const Point p : {Point{0, 0}, Point{47, 31}, Point{2, 15}, Point{20, 1}, Point{45, 15}, Point{20, 29}})
    EXPECT_EQ(bitmap.GetPixel(p.X, p.Y), Green) << "margin " << p.X << ", " << p.Y;
  for (const Point p : {Point{3, 3}, Point{20, 3}, Point{20, 7}, Point{3, 15}, Point{7, 15}, Point{3, 27}})
    EXPECT_EQ(bitmap.GetPixel(p.X, p.Y), Light) << "lit side " << p.X << ", " << p.Y;
  for (const Point p : {Point{44, 3}, Point{44, 15}, Point{40, 15}, Point{20, 28}, Point{20, 24}, Point{3, 28}})
    EXPECT_EQ(bitmap.GetPixel(p.X, p.Y), Dark) << "dark side " << p.X << ", " << p.Y;
  for (int y = 8; y < 24; ++y)
    for (int x = 8; x < 40; ++x) ASSERT_EQ(bitmap.GetPixel(x, y), Grad(Yellow, Blue, y, kH)) << x << ", " << y;
}

TEST(ShapeBitmapPicture, LineBorderRunsFromLightToDark) {
  const TBitmap bitmap = Shaped(BorderStyle(kGradientBorder));
  ExpectMatchesGolden(bitmap, "shape_line_border");
  // The border's lines span the whole bitmap height, clipped to the border rectangle.
  for (int y = 3; y < 29; ++y) {
    EXPECT_EQ(bitmap.GetPixel(3, y), Grad(Light, Dark, y, kH)) << "row " << y;
    EXPECT_EQ(bitmap.GetPixel(44, y), Grad(Light, Dark, y, kH)) << "row " << y;
    EXPECT_EQ(bitmap.GetPixel(2, y), Green) << "row " << y;
  }
  EXPECT_EQ(bitmap.GetPixel(20, 3), Grad(Light, Dark, 3, kH));
  EXPECT_EQ(bitmap.GetPixel(20, 28), Grad(Light, Dark, 28, kH));
  EXPECT_EQ(bitmap.GetPixel(20, 15), Grad(Yellow, Blue, 15, kH));
}

TEST(ShapeBitmapPicture, RoundedCornersWithABorder) {
  TShapeStyle style = BorderStyle(kBevelBorder);
  style.BorderMargin = 2;
  style.BorderWidth = 4;
  style.CornerDiameter = 16;
  style.FrameFillColor = Maroon;
  TBitmap bitmap(kW, kH, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  canvas.Brush.Color = Green;
  canvas.FillRect(bitmap.BoundsRect());
  ShapeBitmap(kRectangularFrameShape, canvas, style);
  ExpectMatchesGolden(bitmap, "shape_rounded_border");

  // The corners outside the rounded outline keep what was there.
  for (const Point p : {Point{0, 0}, Point{47, 0}, Point{0, 31}, Point{47, 31}})
    EXPECT_EQ(bitmap.GetPixel(p.X, p.Y), Green) << "corner " << p.X << ", " << p.Y;
  EXPECT_EQ(bitmap.GetPixel(24, 0), Maroon);
  EXPECT_EQ(bitmap.GetPixel(0, 16), Maroon);
  EXPECT_EQ(bitmap.GetPixel(24, 2), Light);  // upper side of the border
  EXPECT_EQ(bitmap.GetPixel(2, 10), Light);  // left side, above the 45-degree cut
  EXPECT_EQ(bitmap.GetPixel(24, 29), Dark);  // lower side
  EXPECT_EQ(bitmap.GetPixel(45, 16), Dark);  // right side
  EXPECT_EQ(bitmap.GetPixel(24, 16), Grad(Yellow, Blue, 16, kH));
  // The inner area's region (6, 6, 43, 27) with corners of 16 - 4 - 2 x 2 = 8 stays the clip.
  ASSERT_TRUE(canvas.ClipRegion().has_value());
  EXPECT_EQ(*canvas.ClipRegion(), TRegion::RoundRect(Rect{6, 6, 43, 27}, 8, 8));
  EXPECT_EQ(canvas.Pen.Color, Blue);
}

TEST(ShapeBitmapPicture, PenColourModeAfterABevelPaintsTheInnerAreaDark) {
  TShapeStyle style = BorderStyle(kBevelBorder);
  style.FillMode = 2;
  TBitmap bitmap(kW, kH, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  canvas.Pen.Color = Maroon;  // what the caller set; the bevel replaces it
  ShapeBitmap(kRectangularFrameShape, canvas, style);
  ExpectMatchesGolden(bitmap, "shape_fillmode2_bevel");
  for (int y = 8; y < 24; ++y)
    for (int x = 8; x < 40; ++x) ASSERT_EQ(bitmap.GetPixel(x, y), Dark) << x << ", " << y;
  EXPECT_EQ(bitmap.GetPixel(20, 3), Light);
}

// ---- ShapeBitmap rules without pictures ----

TEST(ShapeBitmap, PenColourModeWithoutABorderUsesTheCallersPen) {
  TShapeStyle style = GradientStyle();
  style.FillMode = 2;
  TBitmap bitmap(kW, kH, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  canvas.Pen.Color = Maroon;
  ShapeBitmap(kRectangularFrameShape, canvas, style);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(bitmap.GetPixel(x, y), Maroon) << x << ", " << y;
}

TEST(ShapeBitmap, ZeroBorderWidthDrawsNoBorderAndTheInnerAreaStartsAtTheMargin) {
  for (const std::int32_t kind : {kBevelBorder, kGradientBorder}) {
    TShapeStyle style = BorderStyle(kind);
    style.BorderWidth = 0;
    style.BorderMargin = 5;
    const TBitmap bitmap = Shaped(style);
    EXPECT_EQ(bitmap.GetPixel(4, 4), Green) << "style " << kind;
    EXPECT_EQ(bitmap.GetPixel(5, 5), Grad(Yellow, Blue, 5, kH)) << "style " << kind;
    EXPECT_EQ(bitmap.GetPixel(42, 26), Grad(Yellow, Blue, 26, kH)) << "style " << kind;
    EXPECT_EQ(bitmap.GetPixel(43, 26), Green) << "style " << kind;
  }
}

TEST(ShapeBitmap, BevelRestoresTheBrushAndLeavesTheDarkPen) {
  TBitmap bitmap(kW, kH, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  canvas.Brush.Color = Maroon;
  TShapeStyle style = BorderStyle(kBevelBorder);
  style.FillMode = 2;
  ShapeBitmap(kRectangularFrameShape, canvas, style);
  EXPECT_EQ(canvas.Brush.Color, Maroon);
  EXPECT_EQ(canvas.Pen.Color, Dark);
}

TEST(ShapeBitmap, OtherShapeKindsPaintNothing) {
  TShapeStyle style = GradientStyle();
  for (const std::int32_t kind : {0, 1, 3, 5, -4}) {
    TBitmap bitmap(kW, kH, PixelFormat::Bits24);
    TCanvas canvas(bitmap);
    ShapeBitmap(kind, canvas, style);
    EXPECT_TRUE(bitmap == TBitmap(kW, kH, PixelFormat::Bits24)) << "kind " << kind;
  }
}

TEST(ShapeBitmap, SquareInnerAreaUsesTheBitmapSizeForTheLines) {
  // Lines are counted over the whole bitmap, not over the inner area: row y has colour y / H.
  TShapeStyle style = GradientStyle();
  style.BorderMargin = 10;
  const TBitmap bitmap = Shaped(style);
  EXPECT_EQ(bitmap.GetPixel(10, 10), Grad(Yellow, Blue, 10, kH));
  EXPECT_EQ(bitmap.GetPixel(37, 21), Grad(Yellow, Blue, 21, kH));
  EXPECT_EQ(bitmap.GetPixel(9, 10), RGB(0, 0, 0));  // FrameFillColor's default
}

TEST(ShapeBitmap, AbsurdNumbersFromAFileStayInsideTheBitmap) {
  // A margin beyond any bitmap turns the inner rectangle inside out; the region, like a
  // system region, takes its corners in either order and so covers the whole bitmap.
  TShapeStyle style = GradientStyle();
  style.BorderMargin = INT_MAX;
  style.BorderWidth = 0;
  const TBitmap bitmap = Shaped(style);
  for (int y = 0; y < kH; ++y) ASSERT_EQ(bitmap.GetPixel(7, y), Grad(Yellow, Blue, y, kH)) << "row " << y;

  const std::int32_t extremes[] = {INT_MIN, -1, 0, 1, 7, INT_MAX};
  for (const std::int32_t margin : extremes)
    for (const std::int32_t width : extremes)
      for (const std::int32_t corner : extremes) {
        TShapeStyle wild = BorderStyle(kBevelBorder);
        wild.BorderMargin = margin;
        wild.BorderWidth = width;
        wild.CornerDiameter = corner;
        wild.GradientAngle = margin;
        const TBitmap shaped = Shaped(wild);
        // The frame fill always reaches the centre, whatever follows it: the white the
        // bitmap held before never survives there.
        ASSERT_NE(shaped.GetPixel(kW / 2, kH / 2), White) << margin << " " << width << " " << corner;
      }
}

}  // namespace
}  // namespace velquora
