#include "playback/shaping.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <span>

#include "core/real48.h"
#include "core/rounding.h"

namespace velquora {

namespace {

Real TanDegrees(std::int64_t degrees) { return std::tan(static_cast<Real>(degrees) * std::numbers::pi_v<Real> / 180); }

std::int32_t RoundedSlant(std::int64_t side, std::int64_t degrees) {
  return static_cast<std::int32_t>(Round(static_cast<Real>(side) * TanDegrees(degrees)));
}

// Coordinates computed from a file's numbers, kept within the 32-bit range the canvas and
// the regions take. Only absurd margins, widths or diameters ever reach the limits.
Point At(std::int64_t x, std::int64_t y) { return Point{Saturate32(x), Saturate32(y)}; }

Rect Corners(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
  return Rect{Saturate32(left), Saturate32(top), Saturate32(right), Saturate32(bottom)};
}

std::uint8_t GradientChannel(std::uint8_t from, std::uint8_t to, std::int64_t index, std::int64_t lastLine) {
  const std::int64_t product = index * (std::int64_t{to} - from);
  const Real value = from + static_cast<Real>(product) / static_cast<Real>(lastLine);
  return static_cast<std::uint8_t>(std::clamp<std::int64_t>(Round(value), 0, 255));
}

void FillWithBrush(TCanvas& canvas, const Rect& rect, TColor color) {
  const TColor previous = canvas.Brush.Color;
  canvas.Brush.Color = color;
  canvas.FillRect(rect);
  canvas.Brush.Color = previous;
}

// Draws the closed polygon filled and outlined in color; the brush colour is restored,
// the pen keeps color.
void DarkenPolygon(TCanvas& canvas, std::span<const Point> points, TColor color) {
  const TColor previous = canvas.Brush.Color;
  canvas.Brush.Color = color;
  canvas.Pen.Color = color;
  canvas.Polygon(points);
  canvas.Brush.Color = previous;
}

struct FrameLayout {
  std::int64_t W, H;  // bitmap size
  std::int64_t b;     // border margin
  std::int64_t c;     // border width
  std::int64_t r;     // corner diameter
};

void ShapeSquare(TCanvas& canvas, const TShapeStyle& style, const FrameLayout& f) {
  const auto [W, H, b, c, r] = f;
  FillWithBrush(canvas, Corners(0, 0, W, H), style.FrameFillColor);
  if (c > 0) {
    if (style.BorderStyle == kBevelBorder) {
      FillWithBrush(canvas, Corners(b, b, W - b, H - b), style.BorderLightColor);
      const std::array bevel{At(W - b - 1, b),         At(W - b - c, b + c), At(W - b - c, H - b - c),
                             At(b + c, H - b - c),     At(b, H - b - 1),     At(W - b - 1, H - b - 1)};
      DarkenPolygon(canvas, bevel, style.BorderDarkColor);
    } else if (style.BorderStyle == kGradientBorder) {
      const TRegion border = TRegion::FromRect(Corners(b, b, W - b, H - b));
      FillAngled(canvas, style.FillMode, style.GradientAngle, style.BorderLightColor, style.BorderDarkColor, &border);
    }
  }
  const TRegion inner = TRegion::FromRect(Corners(b + c, b + c, W - b - c, H - b - c));
  FillAngled(canvas, style.FillMode, style.GradientAngle, style.GradientFrom, style.GradientTo, &inner);
}

void ShapeRounded(TCanvas& canvas, const TShapeStyle& style, const FrameLayout& f) {
  const auto [W, H, b, c, r] = f;
  // The corners outside the rounded outline keep what the bitmap held.
  canvas.SetClipRegion(TRegion::RoundRect(Corners(0, 0, W + 1, H + 1), Saturate32(r), Saturate32(r)));
  FillWithBrush(canvas, Corners(0, 0, W, H), style.FrameFillColor);

  const std::int32_t borderCorner = Saturate32(r - 2 * b);
  const TRegion border = TRegion::RoundRect(Corners(b, b, W - b + 1, H - b + 1), borderCorner, borderCorner);
  if (c > 0) {
    if (style.BorderStyle == kBevelBorder) {
      canvas.SetClipRegion(border);
      FillWithBrush(canvas, Corners(b, b, W - b, H - b), style.BorderLightColor);
      // The lower-right half of the border, cut off along a 45-degree line.
      const std::int64_t m = W > H ? H / 2 : W / 2;
      const std::array bevel{At(W - b - 1, b), At(W - b - m, b + m), At(b + m, H - b - m), At(b, H - b - 1),
                             At(W - b - 1, H - b - 1)};
      DarkenPolygon(canvas, bevel, style.BorderDarkColor);
    } else if (style.BorderStyle == kGradientBorder) {
      FillAngled(canvas, style.FillMode, style.GradientAngle, style.BorderLightColor, style.BorderDarkColor, &border);
    }
  }
  // The inner corner shrinks by c + 2b (not by 2c + 2b), as the frames were designed.
  const std::int32_t innerCorner = Saturate32(r - c - 2 * b);
  const TRegion inner =
      TRegion::RoundRect(Corners(b + c, b + c, W - b - c + 1, H - b - c + 1), innerCorner, innerCorner);
  FillAngled(canvas, style.FillMode, style.GradientAngle, style.GradientFrom, style.GradientTo, &inner);
}

}  // namespace

TAngledLayout AngledLayout(std::int32_t angle, int width, int height) {
  const auto e = static_cast<std::int32_t>(std::clamp<std::int64_t>(180 - std::int64_t{angle}, -180, 180));
  TAngledLayout layout;
  layout.Direction = e;
  const std::int64_t W = width;
  const std::int64_t H = height;
  std::int64_t along = W;  // the side the lines are counted along
  if (e >= 1 && e <= 45) {
    layout.Slant = RoundedSlant(H, e);
  } else if (e >= 46 && e <= 90) {
    layout.Slant = RoundedSlant(W, 90 - e);
    along = H;
  } else if (e >= 91 && e <= 135) {
    layout.Slant = RoundedSlant(W, e - 90);
    along = H;
  } else if (e >= 136) {
    layout.Slant = RoundedSlant(H, 180 - e);
  } else if (e == 0) {
    layout.Slant = 0;
  } else if (e >= -45) {
    layout.Slant = RoundedSlant(H, -e);
  } else if (e >= -90) {
    layout.Slant = RoundedSlant(W, 90 + e);
    along = H;
  } else if (e >= -135) {
    layout.Slant = RoundedSlant(W, -90 - e);
    along = H;
  } else {
    layout.Slant = RoundedSlant(H, 180 + e);
  }
  layout.LastLine = static_cast<std::int32_t>(along + layout.Slant);
  return layout;
}

TAngledLine AngledLine(const TAngledLayout& layout, int index, int width, int height) {
  const std::int32_t e = layout.Direction;
  const std::int64_t i = index;
  const std::int64_t d = layout.Slant;
  const std::int64_t W = width;
  const std::int64_t H = height;
  if (e >= 1 && e <= 45) return {At(i, 0), At(i - d, H)};
  if (e >= 46 && e <= 90) return {At(0, i), At(W, i - d)};
  if (e >= 91 && e <= 135) return {At(W, i), At(-1, i - d)};
  if (e >= 136) return {At(W - i + d, H), At(W - i, -1)};
  if (e >= -45) return {At(i - d, 0), At(i, H)};
  if (e >= -90) return {At(W, H + d - i), At(-1, H - i)};
  if (e >= -135) return {At(-1, H + d - i), At(W, H - i)};
  return {At(W - i + d, -1), At(W - i, H)};
}

TColor GradientColor(TColor c1, TColor c2, std::int64_t index, std::int64_t lastLine) {
  // A one-line area (lastLine 0) would divide by zero; its single line takes c1.
  if (lastLine == 0) return c1;
  return RGB(GradientChannel(GetRValue(c1), GetRValue(c2), index, lastLine),
             GradientChannel(GetGValue(c1), GetGValue(c2), index, lastLine),
             GradientChannel(GetBValue(c1), GetBValue(c2), index, lastLine));
}

void FillAngled(TCanvas& canvas, std::int32_t mode, std::int32_t angle, TColor c1, TColor c2, const TRegion* region) {
  if (region != nullptr) canvas.SetClipRegion(*region);
  const int width = canvas.Bitmap().Width();
  const int height = canvas.Bitmap().Height();
  const TAngledLayout layout = AngledLayout(angle, width, height);
  for (std::int32_t i = 0; i <= layout.LastLine; ++i) {
    if (mode == kFillGradient) canvas.Pen.Color = GradientColor(c1, c2, i, layout.LastLine);
    if (mode == kFillStripes) canvas.Pen.Color = i % 2 != 0 ? c1 : c2;
    const TAngledLine line = AngledLine(layout, i, width, height);
    canvas.MoveTo(line.From.X, line.From.Y);
    canvas.LineTo(line.To.X, line.To.Y);
  }
}

void ShapeBitmap(std::int32_t kind, TCanvas& canvas, const TShapeStyle& style) {
  if (kind != kRectangularFrameShape) return;
  try {
    const FrameLayout layout{canvas.Bitmap().Width(), canvas.Bitmap().Height(), style.BorderMargin,
                             style.BorderWidth, style.CornerDiameter};
    if (layout.r <= 0)
      ShapeSquare(canvas, style, layout);
    else
      ShapeRounded(canvas, style, layout);
  } catch (...) {
    // A background that cannot be painted is left as far as it got.
  }
}

}  // namespace velquora
