#pragma once
// Painting of the scene's decorated background: a frame fill, an optional border
// (bevelled, or in lines running from a light to a dark colour), optional rounded
// corners, and an inner area filled with parallel lines, in a gradient or in stripes, at
// a chosen angle. ShapeBitmap lays the areas out with clip regions; FillAngled draws the
// lines into one region.
//
// Both paint through the caller's canvas, so its pen colour and clip carry over: a fill
// mode other than gradient or stripes draws in the pen colour the canvas already has,
// and the clip region ShapeBitmap selects last (the inner area) stays selected when it
// returns. A caller that wants to draw over the whole bitmap afterwards clears it.
#include <cstdint>

#include "core/geometry.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/region.h"

namespace velquora {

// The shape kind the scene paints: a rectangular frame. Other kinds paint nothing.
inline constexpr std::int32_t kRectangularFrameShape = 4;

// Fill modes of FillAngled; any other value draws every line in the current pen colour.
inline constexpr std::int32_t kFillGradient = 0;  // line 0 in C1, line n in C2, channels interpolated
inline constexpr std::int32_t kFillStripes = 1;   // C2 on even lines, C1 on odd ones

// Border styles; any other value draws no border.
inline constexpr std::int32_t kBevelBorder = 0;     // light fill, lower and right sides darkened
inline constexpr std::int32_t kGradientBorder = 1;  // lines from BorderLightColor to BorderDarkColor

// What ShapeBitmap paints. Sizes are pixels; colours 0x00BBGGRR.
struct TShapeStyle {
  std::int32_t FillMode = kFillGradient;    // how the inner area (and a gradient border) is filled
  TColor GradientFrom = 0;                  // first line of the inner area
  TColor GradientTo = 0;                    // last line of the inner area
  std::int32_t GradientAngle = 90;          // direction of the lines, degrees
  std::int32_t BorderStyle = kBevelBorder;  // kBevelBorder, kGradientBorder, other: none
  std::int32_t BorderWidth = 0;             // 0 or less: no border
  TColor BorderLightColor = 0xC0C0C0;
  TColor BorderDarkColor = 0x808080;
  std::int32_t BorderMargin = 0;            // distance of the border from the bitmap's edge
  TColor FrameFillColor = 0;                // first fill of the frame
  std::int32_t CornerDiameter = 0;          // 0 or less: square corners
};

// Paints canvas's bitmap with the frame of the given kind. Never raises.
void ShapeBitmap(std::int32_t kind, TCanvas& canvas, const TShapeStyle& style);

// Draws the lines n = 0 .. LastLine over canvas's bitmap, clipped to region when it is
// not null (the region then stays selected as the canvas's clip). Pen colour per mode:
// kFillGradient, kFillStripes, or any other value for the canvas's current pen colour.
void FillAngled(TCanvas& canvas, std::int32_t mode, std::int32_t angle, TColor c1, TColor c2,
                const TRegion* region);

// The geometry FillAngled uses on a width x height bitmap, exposed for its tests.
struct TAngledLayout {
  std::int32_t Direction = 0;  // 180 - angle, limited to -180 .. 180
  std::int32_t Slant = 0;      // how far a line's far end is shifted from its near end
  std::int32_t LastLine = 0;   // index of the last line; lines 0 .. LastLine are drawn
};
struct TAngledLine {
  Point From;  // drawn
  Point To;    // not drawn
};
TAngledLayout AngledLayout(std::int32_t angle, int width, int height);
TAngledLine AngledLine(const TAngledLayout& layout, int index, int width, int height);
// The pen colour of line index in gradient mode: each channel c1 + index * (c2 - c1) /
// lastLine, rounded half to even; c1 when lastLine is 0.
TColor GradientColor(TColor c1, TColor c2, std::int64_t index, std::int64_t lastLine);

}  // namespace velquora
