#pragma once
// Finding what changed between a picture and what a window shows, as bands of rows, and
// copying those bands: shared by the window system, which keeps a copy of what each
// window shows, and by back ends that keep that copy themselves.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/geometry.h"
#include "platform/gdi/bitmap.h"

namespace velquora {

// Rows of 32-bit pixels in memory: a Bits32 bitmap or a back end's own copy; Byte is
// const for rows only read.
template <typename Byte>
struct BasicPixelRows {
  Byte* First = nullptr;      // row 0
  std::ptrdiff_t Stride = 0;  // bytes from one row to the next
  int Width = 0;
  int Height = 0;

  Byte* Row(int y) const { return First + static_cast<std::ptrdiff_t>(y) * Stride; }
};
using PixelRows = BasicPixelRows<const std::uint8_t>;
using WritablePixelRows = BasicPixelRows<std::uint8_t>;

inline PixelRows ReadOnly(const WritablePixelRows& rows) { return {rows.First, rows.Stride, rows.Width, rows.Height}; }

// The rows of a Bits32 bitmap (any other format has none).
PixelRows RowsOf(const TBitmap& bitmap);
WritablePixelRows RowsOf(TBitmap& bitmap);

// Bands of consecutive changed rows, top to bottom within each area compared, each as
// wide as the changes in its rows: over the part both have in common when the picture
// may have changed anywhere, else within each part drawn that no earlier part holds
// (the rows changed in two distant parts are not sent as one wide band).
std::vector<Rect> ChangedBands(const PixelRows& picture, const PixelRows& shown, bool anywhere,
                               const std::vector<Rect>& parts);

// The parts drawn that lie inside bounds, clipped to them, leaving out each part that an
// earlier one holds.
std::vector<Rect> DistinctParts(const std::vector<Rect>& parts, const Rect& bounds);

// Copies the bands (inside both) from one set of rows to the other.
void CopyBands(const PixelRows& from, const WritablePixelRows& to, const std::vector<Rect>& bands);

}  // namespace velquora
