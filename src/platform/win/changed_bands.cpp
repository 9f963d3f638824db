#include "platform/win/changed_bands.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace velquora {

namespace {

std::uint32_t PixelAt(const std::uint8_t* row, int x) {
  std::uint32_t pixel = 0;
  std::memcpy(&pixel, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof pixel);
  return pixel;
}

std::uint64_t PixelPairAt(const std::uint8_t* row, int x) {
  std::uint64_t pair = 0;
  std::memcpy(&pair, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof pair);
  return pair;
}

// The columns [first, last) within [left, right) where two rows of 32-bit pixels
// differ; first == last when they are equal there. Pairs of pixels are compared at once
// until a difference is near.
std::pair<int, int> ChangedColumns(const std::uint8_t* row, const std::uint8_t* shown, int left, int right) {
  int first = left;
  while (first + 2 <= right && PixelPairAt(row, first) == PixelPairAt(shown, first)) first += 2;
  while (first < right && PixelAt(row, first) == PixelAt(shown, first)) ++first;
  int last = right;
  while (last - 2 >= first && PixelPairAt(row, last - 2) == PixelPairAt(shown, last - 2)) last -= 2;
  while (last > first && PixelAt(row, last - 1) == PixelAt(shown, last - 1)) --last;
  return {first, last};
}

template <typename A, typename B>
Rect CommonArea(const A& a, const B& b) {
  return Rect{0, 0, std::min(a.Width, b.Width), std::min(a.Height, b.Height)};
}

// Bands of consecutive changed rows within area, each as wide as the changes in its
// rows, top to bottom; outside area the picture equals what was shown.
void AppendChangedBands(const PixelRows& picture, const PixelRows& shown, const Rect& area, std::vector<Rect>& bands) {
  const Rect inside = Intersection(area, CommonArea(picture, shown));
  if (inside.IsEmpty()) return;
  const std::size_t first_band = bands.size();
  const auto offset = static_cast<std::size_t>(inside.Left) * 4;
  const auto bytes = static_cast<std::size_t>(inside.Width()) * 4;
  for (int y = inside.Top; y < inside.Bottom; ++y) {
    const std::uint8_t* row = picture.Row(y);
    const std::uint8_t* shown_row = shown.Row(y);
    if (std::memcmp(row + offset, shown_row + offset, bytes) == 0) continue;  // the usual case, fast
    const auto [first, last] = ChangedColumns(row, shown_row, inside.Left, inside.Right);
    if (first == last) continue;
    if (bands.size() > first_band && bands.back().Bottom == y) {
      Rect& band = bands.back();
      band.Left = std::min(band.Left, first);
      band.Right = std::max(band.Right, last);
      band.Bottom = y + 1;
    } else {
      bands.push_back(Rect{first, y, last, y + 1});
    }
  }
}

}  // namespace

PixelRows RowsOf(const TBitmap& bitmap) {
  if (bitmap.Format() != PixelFormat::Bits32 || bitmap.Empty()) return {};
  return PixelRows{bitmap.ScanLine(0), bitmap.Stride(), bitmap.Width(), bitmap.Height()};
}

WritablePixelRows RowsOf(TBitmap& bitmap) {
  if (bitmap.Format() != PixelFormat::Bits32 || bitmap.Empty()) return {};
  return WritablePixelRows{bitmap.ScanLine(0), bitmap.Stride(), bitmap.Width(), bitmap.Height()};
}

std::vector<Rect> ChangedBands(const PixelRows& picture, const PixelRows& shown, bool anywhere,
                               const std::vector<Rect>& parts) {
  std::vector<Rect> bands;
  if (anywhere) {
    AppendChangedBands(picture, shown, CommonArea(picture, shown), bands);
    return bands;
  }
  for (const Rect& part : DistinctParts(parts, CommonArea(picture, shown))) {
    AppendChangedBands(picture, shown, part, bands);
  }
  return bands;
}

std::vector<Rect> DistinctParts(const std::vector<Rect>& parts, const Rect& bounds) {
  std::vector<Rect> distinct;
  for (auto part = parts.begin(); part != parts.end(); ++part) {
    const bool seen =
        std::any_of(parts.begin(), part, [&](const Rect& earlier) { return Union(earlier, *part) == earlier; });
    const Rect inside = Intersection(*part, bounds);
    if (!seen && !inside.IsEmpty()) distinct.push_back(inside);
  }
  return distinct;
}

void CopyBands(const PixelRows& from, const WritablePixelRows& to, const std::vector<Rect>& bands) {
  for (const Rect& band : bands) {
    const Rect inside = Intersection(band, CommonArea(from, to));
    if (inside.IsEmpty()) continue;
    const auto offset = static_cast<std::size_t>(inside.Left) * 4;
    const auto bytes = static_cast<std::size_t>(inside.Width()) * 4;
    for (int y = inside.Top; y < inside.Bottom; ++y) std::memcpy(to.Row(y) + offset, from.Row(y) + offset, bytes);
  }
}

}  // namespace velquora
