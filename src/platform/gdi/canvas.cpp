#include "platform/gdi/canvas.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gdi/pixel_codec.h"

namespace velquora {

namespace {

using Wide = __int128;  // products of two 33-bit distances

std::int64_t FloorDiv(Wide numerator, Wide denominator) {  // denominator > 0
  Wide quotient = numerator / denominator;
  if (numerator % denominator != 0 && numerator < 0) --quotient;
  return static_cast<std::int64_t>(quotient);
}

std::int64_t CeilDiv(Wide numerator, Wide denominator) { return -FloorDiv(-numerator, denominator); }

// The source pixel that target pixel i of a stretch from size s to size d takes.
std::int64_t SamplePosition(std::int64_t i, std::int64_t s, std::int64_t d) {
  if (s == d) return i;
  return FloorDiv(Wide{2 * i + 1} * s, Wide{2} * d);
}

// A colour prepared once for one bitmap: the bytes or the palette index it is stored as.
class PixelWriter {
public:
  PixelWriter(const TBitmap& bitmap, TColor color) : format_(bitmap.Format()) {
    color &= 0xFFFFFF;
    if (IsIndexed(format_)) {
      index_ = NearestPaletteIndex(bitmap.Palette(), color);
      return;
    }
    bytes_ = BitsPerPixel(format_) / 8;
    if (format_ == PixelFormat::Bits16) {
      const std::uint16_t value = gdi::Encode565(color);
      stored_[0] = static_cast<std::uint8_t>(value);
      stored_[1] = static_cast<std::uint8_t>(value >> 8);
    } else {
      stored_[0] = GetBValue(color);
      stored_[1] = GetGValue(color);
      stored_[2] = GetRValue(color);
    }
  }

  void Fill(std::uint8_t* row, int left, int right) const {
    if (IsIndexed(format_)) {
      for (int x = left; x < right; ++x) gdi::WriteIndex(row, x, format_, index_);
      return;
    }
    for (int x = left; x < right; ++x) std::memcpy(row + static_cast<std::ptrdiff_t>(x) * bytes_, stored_, static_cast<std::size_t>(bytes_));
  }

private:
  PixelFormat format_;
  int index_ = 0;
  int bytes_ = 0;
  std::uint8_t stored_[4] = {0, 0, 0, 0};
};

// q(t) = floor((2 t d + D - 1) / 2D), stepped one t at a time.
class MinorStepper {
public:
  MinorStepper(std::int64_t start, std::int64_t minor, std::int64_t major)
      : step_(2 * minor), period_(2 * major) {
    const Wide numerator = Wide{2} * start * minor + major - 1;
    q_ = static_cast<std::int64_t>(numerator / period_);
    remainder_ = static_cast<std::int64_t>(numerator % period_);
  }
  std::int64_t Value() const { return q_; }
  void Next() {
    remainder_ += step_;
    if (remainder_ >= period_) {
      remainder_ -= period_;
      ++q_;
    }
  }
  static std::int64_t At(std::int64_t t, std::int64_t minor, std::int64_t major) {
    return static_cast<std::int64_t>((Wide{2} * t * minor + major - 1) / (Wide{2} * major));
  }

private:
  std::int64_t step_;
  std::int64_t period_;
  std::int64_t q_ = 0;
  std::int64_t remainder_ = 0;
};

// The first t in [low, high) with At(t) > limit (high when none); At grows with t.
std::int64_t FirstAbove(std::int64_t low, std::int64_t high, std::int64_t limit, std::int64_t minor, std::int64_t major) {
  while (low < high) {
    const std::int64_t middle = low + (high - low) / 2;
    if (MinorStepper::At(middle, minor, major) > limit)
      high = middle;
    else
      low = middle + 1;
  }
  return low;
}

// Copies count 32-bit pixels except those whose colour bytes (the low 24 bits) equal
// key. Written without branches so that the compiler can work on several pixels at once.
void CopyKeyed32(std::uint8_t* target, const std::uint8_t* source, std::size_t count, std::uint32_t key) {
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t value;
    std::uint32_t kept;
    std::memcpy(&value, source + 4 * i, 4);
    std::memcpy(&kept, target + 4 * i, 4);
    const std::uint32_t result = (value & 0xFFFFFFu) == key ? kept : value;
    std::memcpy(target + 4 * i, &result, 4);
  }
}

}  // namespace

Rect TCanvas::DrawingLimits() const {
  const Rect bounds = bitmap_->BoundsRect();
  return clip_ ? Intersection(bounds, clip_->Bounds()) : bounds;
}

Span TCanvas::VisibleSpan(int y, std::int64_t left, std::int64_t right) const {
  if (y < 0 || y >= bitmap_->Height()) return Span{};
  left = std::max<std::int64_t>(left, 0);
  right = std::min<std::int64_t>(right, bitmap_->Width());
  if (clip_) {
    const Span row = clip_->RowSpan(y);
    left = std::max<std::int64_t>(left, row.Left);
    right = std::min<std::int64_t>(right, row.Right);
  }
  if (right <= left) return Span{};
  return Span{static_cast<std::int32_t>(left), static_cast<std::int32_t>(right)};
}

void TCanvas::FillSpans(std::int64_t left, std::int64_t right, int y, TColor color) {
  const Span span = VisibleSpan(y, left, right);
  if (span.Empty()) return;
  PixelWriter(*bitmap_, color).Fill(bitmap_->ScanLine(y), span.Left, span.Right);
}

void TCanvas::LineTo(int x, int y) {
  DrawLine(penPos_, Point{x, y}, Pen.Color);
  penPos_ = Point{x, y};
}

void TCanvas::DrawLine(Point from, Point to, TColor color) {
  const std::int64_t dx = std::int64_t{to.X} - from.X;
  const std::int64_t dy = std::int64_t{to.Y} - from.Y;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const std::int64_t length = std::max(std::llabs(dx), std::llabs(dy));
  const Rect limits = DrawingLimits();
  if (length == 0 || limits.IsEmpty()) return;

  const std::int64_t majorStart = xMajor ? from.X : from.Y;
  const std::int64_t minorStart = xMajor ? from.Y : from.X;
  const std::int64_t majorSign = (xMajor ? dx : dy) > 0 ? 1 : -1;
  const std::int64_t minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const std::int64_t minorLength = std::llabs(xMajor ? dy : dx);
  const std::int64_t majorLow = xMajor ? limits.Left : limits.Top;
  const std::int64_t majorHigh = xMajor ? limits.Right : limits.Bottom;
  const std::int64_t minorLow = xMajor ? limits.Top : limits.Left;
  const std::int64_t minorHigh = xMajor ? limits.Bottom : limits.Right;

  // Steps whose major coordinate lies within the limits.
  std::int64_t first = majorSign > 0 ? majorLow - majorStart : majorStart - majorHigh + 1;
  std::int64_t end = majorSign > 0 ? majorHigh - majorStart : majorStart - majorLow + 1;
  first = std::max<std::int64_t>(first, 0);
  end = std::min(end, length);
  // ... and whose minor offset q(t) keeps the minor coordinate within them.
  const std::int64_t qLow = minorSign > 0 ? minorLow - minorStart : minorStart - minorHigh + 1;
  const std::int64_t qHigh = minorSign > 0 ? minorHigh - 1 - minorStart : minorStart - minorLow;
  if (first >= end || qHigh < qLow) return;
  first = FirstAbove(first, end, qLow - 1, minorLength, length);
  end = FirstAbove(first, end, qHigh, minorLength, length);

  const PixelWriter writer(*bitmap_, color);
  MinorStepper minor(first, minorLength, length);
  for (std::int64_t t = first; t < end; ++t, minor.Next()) {
    const auto major = static_cast<int>(majorStart + majorSign * t);
    const auto other = static_cast<int>(minorStart + minorSign * minor.Value());
    const int px = xMajor ? major : other;
    const int py = xMajor ? other : major;
    if (clip_ && !clip_->Contains(px, py)) continue;
    writer.Fill(bitmap_->ScanLine(py), px, px + 1);
  }
}

void TCanvas::FillRect(const Rect& rect) {
  const Rect area = Intersection(rect, DrawingLimits());
  if (area.IsEmpty()) return;
  const PixelWriter writer(*bitmap_, Brush.Color);
  for (int y = area.Top; y < area.Bottom; ++y) {
    const Span span = VisibleSpan(y, area.Left, area.Right);
    if (!span.Empty()) writer.Fill(bitmap_->ScanLine(y), span.Left, span.Right);
  }
}

void TCanvas::Rectangle(const Rect& rect) {
  const std::int64_t left = std::min(rect.Left, rect.Right);
  const std::int64_t right = std::max(rect.Left, rect.Right);
  const std::int64_t top = std::min(rect.Top, rect.Bottom);
  const std::int64_t bottom = std::max(rect.Top, rect.Bottom);
  if (right <= left || bottom <= top) return;
  const Rect limits = DrawingLimits();
  const std::int64_t firstRow = std::max<std::int64_t>(top, limits.Top);
  const std::int64_t endRow = std::min<std::int64_t>(bottom, limits.Bottom);
  for (std::int64_t y = firstRow; y < endRow; ++y) {
    const int row = static_cast<int>(y);
    if (y == top || y == bottom - 1) {
      FillSpans(left, right, row, Pen.Color);
      continue;
    }
    FillSpans(left, left + 1, row, Pen.Color);
    FillSpans(left + 1, right - 1, row, Brush.Color);
    FillSpans(right - 1, right, row, Pen.Color);
  }
}

void TCanvas::Polygon(std::span<const Point> points) {
  if (points.size() < 2) return;
  std::int64_t top = points[0].Y;
  std::int64_t bottom = points[0].Y;
  for (const Point& p : points) {
    top = std::min<std::int64_t>(top, p.Y);
    bottom = std::max<std::int64_t>(bottom, p.Y);
  }
  const Rect limits = DrawingLimits();
  top = std::max<std::int64_t>(top, limits.Top);
  bottom = std::min<std::int64_t>(bottom, limits.Bottom);

  std::vector<std::int64_t> crossings;
  for (std::int64_t y = top; y < bottom; ++y) {
    crossings.clear();
    for (std::size_t i = 0; i < points.size(); ++i) {
      Point a = points[i];
      Point b = points[(i + 1) % points.size()];
      if (a.Y == b.Y) continue;
      if (a.Y > b.Y) std::swap(a, b);
      if (y < a.Y || y >= b.Y) continue;  // each edge covers its upper end, not its lower
      // First pixel at or right of the crossing x = a.X + (y - a.Y) (b.X - a.X) / (b.Y - a.Y).
      const Wide numerator = Wide{a.X} * (std::int64_t{b.Y} - a.Y) + Wide{y - a.Y} * (std::int64_t{b.X} - a.X);
      crossings.push_back(CeilDiv(numerator, std::int64_t{b.Y} - a.Y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
      FillSpans(crossings[i], crossings[i + 1], static_cast<int>(y), Brush.Color);
  }
  for (std::size_t i = 0; i < points.size(); ++i) DrawLine(points[i], points[(i + 1) % points.size()], Pen.Color);
}

TColor TCanvas::GetPixel(int x, int y) const {
  if (clip_ && !clip_->Contains(x, y)) return InvalidColor;
  return bitmap_->GetPixel(x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (clip_ && !clip_->Contains(x, y)) return;
  bitmap_->SetPixel(x, y, color);
}

namespace {

std::optional<TColor> OwnKey(const TBitmap& source) {
  return source.Transparent ? std::optional<TColor>(source.TransparentColor) : std::nullopt;
}

}  // namespace

void TCanvas::Draw(int x, int y, const TBitmap& source) {
  Transfer(Area{x, y, std::int64_t{x} + source.Width(), std::int64_t{y} + source.Height()}, source,
           Area{0, 0, source.Width(), source.Height()}, OwnKey(source));
}

void TCanvas::StretchDraw(const Rect& dest, const TBitmap& source) {
  Transfer(Area{dest.Left, dest.Top, dest.Right, dest.Bottom}, source, Area{0, 0, source.Width(), source.Height()},
           OwnKey(source));
}

void TCanvas::TransparentBlt(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                             const TBitmap& source, TColor key) {
  Transfer(Area{x, y, x + width, y + height}, source, Area{0, 0, source.Width(), source.Height()}, key);
}

void TCanvas::CopyRect(const Rect& dest, const TBitmap& source, const Rect& sourceRect) {
  Transfer(Area{dest.Left, dest.Top, dest.Right, dest.Bottom}, source,
           Area{sourceRect.Left, sourceRect.Top, sourceRect.Right, sourceRect.Bottom}, std::nullopt);
}

void TCanvas::BitBlt(int x, int y, int width, int height, const TBitmap& source, int sourceX, int sourceY) {
  Transfer(Area{x, y, std::int64_t{x} + width, std::int64_t{y} + height}, source,
           Area{sourceX, sourceY, std::int64_t{sourceX} + width, std::int64_t{sourceY} + height}, std::nullopt);
}

void TCanvas::Transfer(const Area& dest, const TBitmap& sourceIn, const Area& from, std::optional<TColor> keyColor) {
  const std::int64_t destWidth = dest.Right - dest.Left;
  const std::int64_t destHeight = dest.Bottom - dest.Top;
  const std::int64_t fromWidth = from.Right - from.Left;
  const std::int64_t fromHeight = from.Bottom - from.Top;
  if (destWidth <= 0 || destHeight <= 0 || fromWidth <= 0 || fromHeight <= 0 || sourceIn.Empty()) return;
  const Rect limits = DrawingLimits();
  const std::int64_t left = std::max<std::int64_t>(dest.Left, limits.Left);
  const std::int64_t right = std::min<std::int64_t>(dest.Right, limits.Right);
  const std::int64_t top = std::max<std::int64_t>(dest.Top, limits.Top);
  const std::int64_t bottom = std::min<std::int64_t>(dest.Bottom, limits.Bottom);
  if (right <= left || bottom <= top) return;

  // Copying within one bitmap reads from a snapshot so that overlapping areas work.
  TBitmap snapshot;
  const TBitmap* source = &sourceIn;
  if (source == bitmap_) {
    snapshot = sourceIn;
    source = &snapshot;
  }
  TBitmap& target = *bitmap_;

  const bool keyed = keyColor.has_value();
  const TColor key = keyColor.value_or(0) & 0xFFFFFF;
  const PixelFormat format = target.Format();
  const bool sameStorage = source->Format() == format && (!IsIndexed(format) || source->Palette() == target.Palette());
  const bool unscaled = fromWidth == destWidth;
  const int pixelBytes = BitsPerPixel(format) / 8;
  const bool plainCopy = !keyed && unscaled && sameStorage && pixelBytes > 0;
  // Unscaled 32-bit drawing with a key: each target pixel takes the source pixel at a
  // fixed offset unless that one has the key colour.
  const bool keyedCopy32 =
      keyed && unscaled && format == PixelFormat::Bits32 && source->Format() == PixelFormat::Bits32;

  // Whole unpadded rows of equal layout, top to bottom without gaps: the rows form one
  // block of bytes in both bitmaps, copied at once.
  if (plainCopy && !clip_ && fromHeight == destHeight && from.Left == dest.Left && left == 0 &&
      right == target.Width() && source->Width() == target.Width() && source->Stride() == target.Stride() &&
      target.Stride() == std::int64_t{target.Width()} * pixelBytes) {
    const std::int64_t shift = from.Top - dest.Top;
    const std::int64_t first = std::max<std::int64_t>(top, -shift);
    const std::int64_t end = std::min<std::int64_t>(bottom, source->Height() - shift);
    if (end > first) {
      std::memcpy(target.ScanLine(static_cast<int>(first)), source->ScanLine(static_cast<int>(first + shift)),
                  static_cast<std::size_t>((end - first) * target.Stride()));
    }
    return;
  }

  // Source column of every visible target column; -1 outside the source bitmap. Unscaled
  // copies work the columns out arithmetically instead.
  std::vector<int> columns;
  if (!plainCopy && !keyedCopy32) {
    columns.resize(static_cast<std::size_t>(right - left));
    for (std::int64_t x = left; x < right; ++x) {
      const std::int64_t sx = from.Left + SamplePosition(x - dest.Left, fromWidth, destWidth);
      columns[static_cast<std::size_t>(x - left)] = sx >= 0 && sx < source->Width() ? static_cast<int>(sx) : -1;
    }
  }
  // Only indexed targets look colours up. On the heap, made only then: the matcher's
  // cache is large, and even an empty optional of it costs a fill on every copy.
  std::unique_ptr<gdi::PaletteMatcher> matcher;
  if (!sameStorage && IsIndexed(format)) matcher = std::make_unique<gdi::PaletteMatcher>(target.Palette());

  std::vector<TColor> sourceColours;  // the decoded source row, when colours are needed
  std::vector<TColor> run;
  std::int64_t decodedRow = -1;

  for (std::int64_t y = top; y < bottom; ++y) {
    const std::int64_t sy = from.Top + SamplePosition(y - dest.Top, fromHeight, destHeight);
    if (sy < 0 || sy >= source->Height()) continue;
    const Span span = VisibleSpan(static_cast<int>(y), left, right);
    if (span.Empty()) continue;
    const std::uint8_t* sourceRow = source->ScanLine(static_cast<int>(sy));
    std::uint8_t* targetRow = target.ScanLine(static_cast<int>(y));
    const int count = span.Right - span.Left;

    if (plainCopy) {
      // Unscaled, target column x reads source column x + shift.
      const std::int64_t shift = from.Left - dest.Left;
      const std::int64_t first = std::max<std::int64_t>(span.Left, -shift);
      const std::int64_t end = std::min<std::int64_t>(span.Right, source->Width() - shift);
      if (end > first)
        std::memcpy(targetRow + first * pixelBytes, sourceRow + (first + shift) * pixelBytes,
                    static_cast<std::size_t>((end - first) * pixelBytes));
      continue;
    }
    if (keyedCopy32) {
      const std::int64_t shift = from.Left - dest.Left;
      const std::int64_t first = std::max<std::int64_t>(span.Left, -shift);
      const std::int64_t end = std::min<std::int64_t>(span.Right, source->Width() - shift);
      if (end > first) {
        CopyKeyed32(targetRow + first * 4, sourceRow + (first + shift) * 4, static_cast<std::size_t>(end - first),
                    GetBValue(key) | (GetGValue(key) << 8) | (GetRValue(key) << 16));
      }
      continue;
    }
    const int* rowColumns = columns.data() + (span.Left - left);
    if (format == PixelFormat::Bits32 && source->Format() == PixelFormat::Bits32) {
      const std::uint32_t storedKey = GetBValue(key) | (GetGValue(key) << 8) | (GetRValue(key) << 16);
      for (int i = 0; i < count; ++i) {
        if (rowColumns[i] < 0) continue;
        std::uint32_t value;
        std::memcpy(&value, sourceRow + 4 * static_cast<std::ptrdiff_t>(rowColumns[i]), 4);
        if (keyed && (value & 0xFFFFFF) == storedKey) continue;
        std::memcpy(targetRow + 4 * static_cast<std::ptrdiff_t>(span.Left + i), &value, 4);
      }
      continue;
    }
    if (keyed || !sameStorage) {
      if (decodedRow != sy) {
        sourceColours.resize(static_cast<std::size_t>(source->Width()));
        gdi::DecodeRow(*source, static_cast<int>(sy), 0, source->Width(), sourceColours.data());
        decodedRow = sy;
      }
    }
    if (sameStorage) {
      for (int i = 0; i < count; ++i) {
        const int sx = rowColumns[i];
        if (sx < 0 || (keyed && sourceColours[static_cast<std::size_t>(sx)] == key)) continue;
        const int x = span.Left + i;
        if (pixelBytes == 0)
          gdi::WriteIndex(targetRow, x, format, gdi::ReadIndex(sourceRow, sx, format));
        else
          std::memcpy(targetRow + static_cast<std::ptrdiff_t>(x) * pixelBytes,
                      sourceRow + static_cast<std::ptrdiff_t>(sx) * pixelBytes, static_cast<std::size_t>(pixelBytes));
      }
      continue;
    }
    // Different storage: colours go through the target's encoding, in runs of drawn pixels.
    run.resize(static_cast<std::size_t>(count));
    int runStart = 0;
    int runLength = 0;
    auto flush = [&] {
      if (runLength > 0) gdi::EncodeRow(target, static_cast<int>(y), span.Left + runStart, runLength, run.data(), matcher.get());
      runLength = 0;
    };
    for (int i = 0; i < count; ++i) {
      const int sx = rowColumns[i];
      const TColor colour = sx >= 0 ? sourceColours[static_cast<std::size_t>(sx)] : 0;
      if (sx < 0 || (keyed && colour == key)) {
        flush();
        continue;
      }
      if (runLength == 0) runStart = i;
      run[static_cast<std::size_t>(runLength++)] = colour;
    }
    flush();
  }
}

}  // namespace velquora
