#pragma once
// Software drawing on a TBitmap, pixel-exact and deterministic. A canvas is made on one
// bitmap (which must outlive it) and holds a pen, a brush, the current position and an
// optional clip region; it owns nothing else.
//
// The rules, in pixels (x to the right, y down; rectangles exclude right and bottom):
//  - Every operation draws only inside the bitmap and, when one is selected, inside the
//    clip region.
//  - Lines (LineTo, outlines) are one pixel wide and leave out their end point. A line
//    from (x0, y0) to (x1, y1) with D = max(|dx|, |dy|) > 0 steps D pixels along its
//    major axis (x when |dx| >= |dy|); at step t the minor coordinate moves by
//    q(t) = round(t * d / D) towards the end point, d being the minor distance, an exact
//    half rounding down (towards the start's minor coordinate). A zero-length line draws
//    nothing.
//  - Polygon fills by the alternate (even-odd) rule: pixel (x, y) is filled when the
//    point (x, y) lies inside, a point exactly on a left or top edge counting as inside
//    and on a right or bottom edge as outside; then the closed outline is drawn with the
//    pen, so the vertices themselves are covered.
//  - Rectangle outlines the rectangle's border pixels with the pen and fills the inside
//    with the brush; FillRect fills the whole rectangle with the brush.
//  - Copies (Draw, StretchDraw, CopyRect, BitBlt) take colours through the source's
//    palette and store them through the target's (nearest entry); identical formats and
//    palettes copy the stored pixels as they are. Source pixels outside the source
//    bitmap leave the target unchanged.
//  - Stretching samples the nearest source pixel: target pixel i (0-based within the
//    target rectangle of width dw) takes source pixel floor((2i + 1) * sw / (2 * dw))
//    within the source rectangle of width sw; rows likewise. With equal sizes that is
//    pixel i itself.
//  - Draw and StretchDraw of a source with Transparent set leave the target as it was
//    wherever the source pixel's colour equals the source's TransparentColor.
#include <optional>
#include <span>

#include "core/geometry.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/region.h"

namespace velquora {

struct TPen {
  TColor Color = RGB(0, 0, 0);
};

struct TBrush {
  TColor Color = RGB(255, 255, 255);
};

class TCanvas {
public:
  explicit TCanvas(TBitmap& bitmap) : bitmap_(&bitmap) {}

  TBitmap& Bitmap() const { return *bitmap_; }

  TPen Pen;
  TBrush Brush;

  // Selecting a region makes a copy of it the clip; the caller's region is not kept.
  void SetClipRegion(const TRegion& region) { clip_ = region; }
  void ClearClipRegion() { clip_.reset(); }
  const std::optional<TRegion>& ClipRegion() const { return clip_; }

  Point PenPos() const { return penPos_; }
  void MoveTo(int x, int y) { penPos_ = Point{x, y}; }
  // Draws from the pen position to (x, y), without (x, y), and moves the pen there.
  void LineTo(int x, int y);

  void FillRect(const Rect& rect);
  void Rectangle(const Rect& rect);  // corners in any order
  void Polygon(std::span<const Point> points);  // fewer than two points draw nothing

  // InvalidColor outside the bitmap or the clip region.
  TColor GetPixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // Copies source at (x, y), honouring its transparency.
  void Draw(int x, int y, const TBitmap& source);
  // Stretches source into dest, honouring its transparency.
  void StretchDraw(const Rect& dest, const TBitmap& source);
  // Copies sourceRect of source into dest (stretching when the sizes differ); no
  // transparency.
  void CopyRect(const Rect& dest, const TBitmap& source, const Rect& sourceRect);
  // Copies width x height pixels from (sourceX, sourceY) of source to (x, y).
  void BitBlt(int x, int y, int width, int height, const TBitmap& source, int sourceX, int sourceY);
  // Stretches the whole source to width x height at (x, y), leaving the target as it was
  // wherever the source pixel's colour equals key, whatever the source's own
  // transparency. 64-bit, so that a placement of any scale draws as it lies.
  void TransparentBlt(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height, const TBitmap& source,
                      TColor key);

private:
  // Where drawing may happen: the bitmap, cut to the clip region's bounds.
  Rect DrawingLimits() const;
  // The drawable part [left, right) of row y within the limits.
  Span VisibleSpan(int y, std::int64_t left, std::int64_t right) const;
  void DrawLine(Point from, Point to, TColor color);
  void FillSpans(std::int64_t left, std::int64_t right, int y, TColor color);
  // The copy behind Draw, StretchDraw, CopyRect, BitBlt and TransparentBlt; 64-bit
  // rectangles so that no coordinate arithmetic overflows. Source pixels of the key
  // colour, when there is one, leave the target as it was.
  struct Area {
    std::int64_t Left, Top, Right, Bottom;
  };
  void Transfer(const Area& dest, const TBitmap& source, const Area& from, std::optional<TColor> keyColor);

  TBitmap* bitmap_;
  std::optional<TRegion> clip_;
  Point penPos_;
};

}  // namespace velquora
