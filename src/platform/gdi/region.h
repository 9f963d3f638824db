#pragma once
// Clip regions: rectangles and rectangles with rounded corners, as the scene's shaping
// code creates them. A region is a value; a canvas keeps its own copy of the region
// selected as its clip, so the caller's region may go away right after selecting it.
#include <cstdint>
#include <vector>

#include "core/geometry.h"

namespace velquora {

// Pixels Left .. Right - 1 of one row.
struct Span {
  std::int32_t Left = 0;
  std::int32_t Right = 0;
  bool Empty() const { return Right <= Left; }
  friend bool operator==(const Span&, const Span&) = default;
};

class TRegion {
public:
  TRegion() = default;  // no pixels

  // The pixels of the rectangle; corners may come in any order (a rectangle with
  // left > right covers right .. left - 1).
  static TRegion FromRect(const Rect& rect);

  // A rectangle with rounded corners, the shape of a Windows round-rectangle region:
  //  - corners are put in order, then the last column and the last row are left out:
  //    the region lies inside R = (left, top, right - 1, bottom - 1);
  //  - each corner is a quarter of an ellipse of w x h pixels, w = min(|ellipseWidth|,
  //    width of R), h = min(|ellipseHeight|, height of R), placed in the corner of R;
  //  - a pixel of R belongs to the region when its centre (x + 0.5, y + 0.5) lies inside
  //    that ellipse or outside the w/2 x h/2 corner boxes (on the ellipse counts as inside);
  //  - with w < 2 or h < 2 the region is R itself.
  static TRegion RoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight);

  bool Empty() const { return rows_.empty(); }
  // The smallest rectangle holding every pixel; all zero when empty.
  Rect Bounds() const { return bounds_; }
  bool Contains(int x, int y) const;
  // The pixels of row y (empty outside the region). Both shapes have one span per row.
  Span RowSpan(int y) const;

  friend bool operator==(const TRegion&, const TRegion&) = default;

  // Rows and columns are kept within -CoordinateLimit .. CoordinateLimit: far beyond any
  // bitmap, and a bound on the memory a region built from hostile numbers can take.
  static constexpr std::int32_t CoordinateLimit = 1 << 16;

private:
  void Finish();  // drops empty rows at both ends and computes the bounds

  std::int32_t top_ = 0;    // row of rows_[0]
  std::vector<Span> rows_;  // one span per row from top_ downwards
  Rect bounds_;
};

}  // namespace velquora
