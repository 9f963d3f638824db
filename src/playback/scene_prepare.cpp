// The scene's preparation after a load: every sprite's path is readied, and the
// background bitmap is built (a snapshot of the desktop, or a painted frame with an
// optional picture placed on it).
#include <cstdint>

#include "platform/system/display_info.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/screen_snapshot.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/scene.h"
#include "playback/shaping.h"
#include "playback/sprite.h"

namespace velquora {

namespace {

constexpr std::int32_t kDesktopSnapshot = 1;
constexpr std::int32_t kPaintedBackground = 2;

constexpr std::int32_t kCentred = 1;
constexpr std::int32_t kTiled = 2;
constexpr std::int32_t kStretched = 3;

// The palette of an 8-bit still picture wins; otherwise the first picture with a
// palette gives it.
void PickBackgroundPalette(TVelquoraScene& scene) {
  const TBitmap* source = nullptr;
  for (const TSpriteEntry& entry : scene.Sprites) {
    for (const auto& frame : entry.second->Frames()) {
      const TBitmap* pending = frame->PendingPicture.get();
      if (frame->SourceKind == 1 && pending != nullptr && pending->Format() == PixelFormat::Bits8 &&
          !frame->Picture.Palette().empty()) {
        source = pending;
        break;
      }
    }
    if (source != nullptr) break;
  }
  for (auto sprite = scene.Sprites.begin(); source == nullptr && sprite != scene.Sprites.end(); ++sprite) {
    for (const auto& frame : sprite->second->Frames()) {
      if (frame->PendingPicture != nullptr && !frame->PendingPicture->Palette().empty()) {
        source = frame->PendingPicture.get();
        break;
      }
    }
  }
  if (source != nullptr) scene.BackgroundBitmap.SetPalette(source->Palette());
  scene.BackgroundBitmap.PaletteModified = true;
}

TShapeStyle BackgroundStyle(const TVelquoraScene& scene) {
  TShapeStyle style;
  style.FillMode = scene.FillMode;
  style.GradientFrom = scene.GradientFrom;
  style.GradientTo = scene.GradientTo;
  style.GradientAngle = scene.GradientAngle;
  style.BorderStyle = scene.BorderStyle;
  style.BorderWidth = scene.BorderWidth;
  style.BorderLightColor = scene.BorderLightColor;
  style.BorderDarkColor = scene.BorderDarkColor;
  style.BorderMargin = scene.BorderMargin;
  style.FrameFillColor = scene.FrameFillColor;
  style.CornerDiameter = scene.CornerDiameter;
  return style;
}

// Columns and rows of copies from (0, 0); a picture without width or height is not
// tiled at all (it would never cover anything).
void TilePicture(TCanvas& canvas, const TBitmap& picture, std::int32_t width, std::int32_t height) {
  const int w = picture.Width();
  const int h = picture.Height();
  if (w <= 0 || h <= 0) return;
  const std::int64_t columns = width / w + 1;
  const std::int64_t rows = height / h + 1;
  for (std::int64_t column = 0; column < columns; ++column) {
    for (std::int64_t row = 0; row < rows; ++row) {
      canvas.Draw(static_cast<int>(column * w), static_cast<int>(row * h), picture);
    }
  }
}

void PlacePicture(TVelquoraScene& scene, TCanvas& canvas) {
  const TBitmap& picture = scene.BackgroundPicture;
  const std::int32_t width = scene.ScreenWidth;
  const std::int32_t height = scene.ScreenHeight;
  switch (scene.PicturePlacement) {
    case kCentred: {
      // A picture larger than the area is anchored at the top-left corner on that axis.
      const int x = picture.Width() < width ? width / 2 - picture.Width() / 2 : 0;
      const int y = picture.Height() < height ? height / 2 - picture.Height() / 2 : 0;
      canvas.Draw(x, y, picture);
      break;
    }
    case kTiled:
      TilePicture(canvas, picture, width, height);
      break;
    case kStretched:
      canvas.StretchDraw(Rect{0, 0, width, height}, picture);
      break;
    default:
      break;
  }
}

void PaintBackground(TVelquoraScene& scene) {
  TCanvas canvas(scene.BackgroundBitmap);
  canvas.Brush.Color = scene.BackgroundColor;
  canvas.Pen.Color = scene.BackgroundColor;
  canvas.Rectangle(Rect{0, 0, scene.ScreenWidth, scene.ScreenHeight});
  // The pen colour stays the background colour: fill modes other than gradient and
  // stripes draw their lines in it.
  ShapeBitmap(kRectangularFrameShape, canvas, BackgroundStyle(scene));
  if (scene.BackgroundPictureName.empty()) return;
  if (PaletteDisplay() && !scene.BackgroundPicture.Palette().empty()) {
    scene.BackgroundBitmap.SetPalette(scene.BackgroundPicture.Palette());
  }
  // The picture is placed over the whole playing area, border included: the inner
  // area's clip that the shaping leaves selected does not cut it.
  canvas.ClearClipRegion();
  PlacePicture(scene, canvas);
}

}  // namespace

void TVelquoraScene::Prepare() {
  for (TSpriteEntry& entry : Sprites) entry.second->Moving().Prepare(entry.second.get());

  BackgroundShown = false;
  BackgroundBitmap.SetSize(ScreenWidth, ScreenHeight);
  if (PaletteDisplay() && (BackgroundPictureName.empty() || BackgroundMode == kDesktopSnapshot)) {
    PickBackgroundPalette(*this);
  }
  if (BackgroundMode == kDesktopSnapshot) {
    ReadScreen(BackgroundBitmap);
  } else if (BackgroundMode == kPaintedBackground) {
    PaintBackground(*this);
  }
  if (PaletteDisplay()) {
    BackgroundBitmap.PaletteModified = true;
    WorkBitmap.PaletteModified = true;
  }
}

}  // namespace velquora
