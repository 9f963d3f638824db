// A frame during playback: advancing its animation, and drawing its picture (scaled,
// optionally with a transparent colour) into the scene's compose bitmap.
#include <algorithm>
#include <cstdint>
#include <variant>

#include "core/rounding.h"
#include "platform/system/display_info.h"
#include "platform/gdi/canvas.h"
#include "playback/avi_frame.h"
#include "playback/frame.h"
#include "playback/gif_frame.h"

namespace velquora {

namespace {

// Where the picture goes on the target: (X, Y) and the scaled size.
struct Placement {
  std::int64_t X, Y, W, H;
};

bool OverlapsArea(const Placement& p, std::int64_t areaWidth, std::int64_t areaHeight) {
  return p.W > 0 && p.H > 0 && p.X < areaWidth && p.Y < areaHeight && p.X + p.W > 0 && p.Y + p.H > 0;
}

// The reader's decoded picture becomes the frame's raster once, in the target's pixel
// format (the format the display draws in), and is then freed.
void RasterisePending(TFrame& frame, PixelFormat targetFormat) {
  const TBitmap& pending = *frame.PendingPicture;
  frame.Picture.Acquire();
  TBitmap raster(pending.Width(), pending.Height(), targetFormat);
  if (PaletteDisplay() && !pending.Palette().empty()) raster.SetPalette(pending.Palette());
  TCanvas(raster).Draw(0, 0, pending);
  frame.Picture.Assign(raster);
  frame.Picture.Store();
  frame.PendingPicture.reset();
}

// TransparentColor is taken as the target's pixel format renders the sample pixel, so
// that it equals the pixels transparent drawing compares later. Only that one pixel is
// needed: the picture is drawn shifted so that it lands on a 1 x 1 scratch bitmap.
void SampleTransparentColor(TFrame& frame, PixelFormat targetFormat) {
  frame.Picture.SetTransparent(false);
  TBitmap scratch(1, 1, targetFormat);
  // An indexed scratch takes the picture's colours, so the sample is one of them.
  if (IsIndexed(targetFormat) && !frame.Picture.Palette().empty()) scratch.SetPalette(frame.Picture.Palette());
  TCanvas(scratch).Draw(-frame.TransparentX, -frame.TransparentY, frame.Picture);
  frame.TransparentColor = scratch.GetPixel(0, 0);
  frame.TransparentSampled = true;
}

// Stretches the picture with the frame's transparent colour left out. The picture's own
// flag is cleared: it is drawn by the frame's colour, not its own.
void DrawScaledTransparent(TFrame& frame, TBitmap& target, const Placement& p) {
  frame.Picture.SetTransparent(false);
  TCanvas(target).TransparentBlt(p.X, p.Y, p.W, p.H, frame.Picture, frame.TransparentColor);
}

void DrawPicture(TFrame& frame, TBitmap& target, const Placement& p, bool unitScale) {
  TCanvas canvas(target);
  const auto x = static_cast<int>(p.X);
  const auto y = static_cast<int>(p.Y);
  if (frame.Transparent && p.W == frame.Width && p.H == frame.Height) {
    frame.Picture.SetTransparent(true);
    if (frame.Picture.TransparentColor != frame.TransparentColor) frame.Picture.SetTransparentColor(frame.TransparentColor);
    canvas.Draw(x, y, frame.Picture);
  } else if (frame.Transparent) {
    DrawScaledTransparent(frame, target, p);
  } else if (unitScale) {
    canvas.Draw(x, y, frame.Picture);
  } else {
    canvas.StretchDraw(Rect{x, y, Saturate32(p.X + p.W), Saturate32(p.Y + p.H)}, frame.Picture);
  }
}

}  // namespace

void TFrame::Prepare(std::int32_t imageIndex) {
  Changed = false;
  if (!Animated || std::holds_alternative<std::monostate>(Animation)) return;
  try {
    switch (static_cast<TPayloadKind>(AnimationKind)) {
      case TPayloadKind::Gif:
        if (TGifFile* gif = GifAnimation()) PrepareGifFrame(*this, *gif, imageIndex);
        break;
      case TPayloadKind::Avi:
        if (TAVIImage* avi = AviAnimation()) PrepareAviFrame(*this, *avi, imageIndex);
        break;
      case TPayloadKind::Jpeg:
        break;  // a JPEG picture is still
    }
  } catch (...) {
    // A frame whose animation fails keeps showing its previous image.
  }
}

void TFrame::Draw(TBitmap& target, std::int32_t x, Real scaleX, Real scaleY, std::int32_t y, std::int32_t areaWidth,
                  std::int32_t areaHeight, [[maybe_unused]] Real percent) {
  // percent is accepted for the callers' sake; it does not change the drawing.
  try {
    const Placement placement{x, y, Round32(scaleX * Width), Round32(scaleY * Height)};
    if (!OverlapsArea(placement, areaWidth, areaHeight)) return;
    if (Picture.Empty() && PendingPicture != nullptr) RasterisePending(*this, target.Format());
    Picture.Acquire();
    if (TransparentX >= 0 && TransparentY >= 0 && !TransparentSampled) SampleTransparentColor(*this, target.Format());
    DrawPicture(*this, target, placement, scaleX == 1 && scaleY == 1);
  } catch (...) {
    // A frame that cannot be drawn shows nothing this time.
  }
}

}  // namespace velquora
