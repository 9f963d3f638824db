// The animator of TGifFile: composes frame after frame into a 24-bit target.
#include <algorithm>
#include <cstring>
#include <utility>

#include "media/gif/gif_file.h"

namespace velquora {

namespace {

constexpr TColor kWhite = RGB(255, 255, 255);
constexpr int kDisposeToBackground = 2;
constexpr int kDisposeToPrevious = 3;

// Fills the part of rect inside a 24-bit bitmap with one colour.
void FillRect(TBitmap& target, const Rect& rect, TColor color) {
  const Rect area = Intersection(rect, target.BoundsRect());
  if (area.IsEmpty()) return;
  const std::uint8_t bgr[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
  for (int y = area.Top; y < area.Bottom; ++y) {
    std::uint8_t* pixel = target.ScanLine(y) + std::size_t(area.Left) * 3;
    for (int x = area.Left; x < area.Right; ++x, pixel += 3) std::memcpy(pixel, bgr, 3);
  }
}

// Draws a 24-bit source onto a 24-bit target with its top-left corner at (left, top); a
// transparent source leaves the target's pixels where it has its transparent colour.
void Draw(TBitmap& target, const TBitmap& source, int left, int top) {
  const Rect area = Intersection(Bounds(left, top, source.Width(), source.Height()), target.BoundsRect());
  if (area.IsEmpty()) return;
  const std::size_t row_bytes = std::size_t(area.Width()) * 3;
  const TColor key = source.TransparentColor & 0xFFFFFF;
  for (int y = area.Top; y < area.Bottom; ++y) {
    const std::uint8_t* from = source.ScanLine(y - top) + std::size_t(area.Left - left) * 3;
    std::uint8_t* to = target.ScanLine(y) + std::size_t(area.Left) * 3;
    if (!source.Transparent) {
      std::memcpy(to, from, row_bytes);
      continue;
    }
    for (std::size_t i = 0; i < row_bytes; i += 3) {
      if (RGB(from[i + 2], from[i + 1], from[i]) != key) std::memcpy(to + i, from + i, 3);
    }
  }
}

Rect FrameRect(const TGifSubImage& frame, const TBitmap& work) {
  return Bounds(frame.Left(), frame.Top(), work.Width(), work.Height());
}

}  // namespace

// Keeps what lies under a frame that is to be disposed of by restoring it: the part of rect
// inside the target, drawn back in place when the next frame is composed.
void TGifFile::SaveArea(const TBitmap& target, const Rect& rect) {
  const Rect area = Intersection(rect, target.BoundsRect());
  saved_ = TBitmap(area.Width(), area.Height(), PixelFormat::Bits24);
  for (int y = 0; y < area.Height(); ++y) {
    std::memcpy(saved_.ScanLine(y), target.ScanLine(area.Top + y) + std::size_t(area.Left) * 3,
                std::size_t(area.Width()) * 3);
  }
  saved_position_ = Point{area.Left, area.Top};
}

void TGifFile::RenderNext(TBitmap& target) {
  target.SetPixelFormat(PixelFormat::Bits24);
  target.Transparent = false;
  if (next_frame_ < 1) next_frame_ = 1;
  if (next_frame_ > FrameCount()) {
    next_frame_ = 1;
    wrapped_ = true;
  }
  last_rendered_ = next_frame_;
  TGifSubImage* frame = Frame(next_frame_);
  if (frame != nullptr && frame->HasPixels()) {
    TBitmap work;
    work.Assign(*frame->Bitmap());
    work.SetPixelFormat(PixelFormat::Bits24);
    work.Transparent = false;
    if (next_frame_ == 1) {
      RenderFirstFrame(target, *frame, work);
    } else {
      if (frame->TransparentColor() != NoTransparentColor) {
        work.Transparent = true;
        work.TransparentColor = ResolveTransparentColor(*frame, work);
      }
      Compose(target, *frame, work);
    }
    previous_disposal_ = frame->DisposalMethod();
    target.Transparent = false;
    composed_.Assign(target);
  }
  ++next_frame_;
}

void TGifFile::RenderFirstFrame(TBitmap& target, TGifSubImage& frame, const TBitmap& work) {
  const std::int32_t transparent = frame.TransparentColor();
  const TColor background = transparent == NoTransparentColor ? kWhite : static_cast<TColor>(transparent);
  target.SetSize(ScreenWidth(), ScreenHeight());
  FillRect(target, target.BoundsRect(), background);
  if (frame.DisposalMethod() == kDisposeToPrevious) SaveArea(target, FrameRect(frame, work));
  Draw(target, work, frame.Left(), frame.Top());
  previous_rect_ = Rect{0, 0, ScreenWidth(), ScreenHeight()};
  previous_transparent_ = frame.TransparencyFlag();
}

void TGifFile::Compose(TBitmap& target, TGifSubImage& frame, TBitmap& work) {
  if (previous_disposal_ == kDisposeToBackground) {
    // A frame without a transparent colour of its own restores to white.
    const std::int32_t transparent = frame.TransparentColor();
    const bool keyed = previous_transparent_ && transparent != NoTransparentColor;
    FillRect(target, previous_rect_, keyed ? static_cast<TColor>(transparent) : kWhite);
  } else if (previous_disposal_ == kDisposeToPrevious) {
    Draw(target, saved_, saved_position_.X, saved_position_.Y);
  }
  if (frame.DisposalMethod() == kDisposeToPrevious) SaveArea(target, FrameRect(frame, work));
  Draw(target, work, frame.Left(), frame.Top());
  previous_rect_ = FrameRect(frame, work);
  previous_transparent_ = frame.TransparencyFlag();
}

// The transparent colour as the work bitmap shows it: the colour of the first pixel (scanning
// column by column) whose table colour is the transparent one. Without such a pixel nothing
// in the frame can be keyed out, so the table colour itself serves.
TColor TGifFile::ResolveTransparentColor(TGifSubImage& frame, const TBitmap& work) const {
  if (frame.transparent_resolved_) return frame.resolved_transparent_;
  const auto wanted = static_cast<TColor>(frame.TransparentColor()) & 0xFFFFFF;
  const TColorTable& table = frame.ColorTable();
  const TByteArray2D& pixels = frame.Pixels();
  TColor resolved = wanted;
  bool found = false;
  for (std::size_t x = 0; x < pixels.Columns() && !found; ++x) {
    for (std::size_t y = 1; y <= pixels.Rows(); ++y) {
      if (table.Color(pixels.At(y, x)) != wanted) continue;
      resolved = work.GetPixel(static_cast<int>(x), static_cast<int>(y - 1)) & 0xFFFFFF;
      found = true;
      break;
    }
  }
  frame.resolved_transparent_ = resolved;
  frame.transparent_resolved_ = true;
  return resolved;
}

bool TGifFile::Seek(int n, TBitmap& target) {
  if (n == next_frame_) {
    target.Assign(composed_);
    return true;
  }
  if (n < next_frame_ || next_frame_ < 1) next_frame_ = 1;
  if (n >= next_frame_) {
    const int renders = n - next_frame_ + 1;
    for (int i = 0; i < renders; ++i) RenderNext(target);
  }
  return true;
}

bool TGifFile::Wrapped() { return std::exchange(wrapped_, false); }

}  // namespace velquora
