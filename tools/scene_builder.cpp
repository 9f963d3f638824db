#include "scene_builder.h"

#include <memory>

#include "platform/gdi/canvas.h"
#include "playback/frame.h"
#include "playback/moving.h"

namespace velquora {

TBitmap SolidPicture(int width, int height, TColor color) {
  TBitmap picture(width, height, PixelFormat::Bits24);
  TCanvas canvas(picture);
  canvas.Brush.Color = color;
  canvas.FillRect(picture.BoundsRect());
  return picture;
}

TBitmap FramedPicture(int width, int height, TColor inside, TColor edge) {
  TBitmap picture = SolidPicture(width, height, edge);
  TCanvas canvas(picture);
  canvas.Brush.Color = inside;
  canvas.FillRect(Rect{1, 1, width - 1, height - 1});
  return picture;
}

TFrame& AddPictureFrame(TSprite& sprite, const TBitmap& picture) {
  TFrame& frame = sprite.AddFrame();
  frame.PendingPicture = std::make_unique<TBitmap>();
  frame.PendingPicture->Assign(picture);
  frame.Width = picture.Width();
  frame.Height = picture.Height();
  frame.SourceKind = 1;
  return frame;
}

TMovingStepValues HoldAt(Point at, std::int32_t duration) {
  TMovingStepValues values;
  values.Kind = static_cast<std::int32_t>(TStepKind::Hold);
  values.AreaLeft = values.AreaRight = at.X;
  values.AreaTop = values.AreaBottom = at.Y;
  values.StartX = at.X;
  values.StartY = at.Y;
  values.Duration = duration;
  return values;
}

TMovingStepValues LineFrom(Point from, Point to, Real speed) {
  TMovingStepValues values;
  values.Kind = static_cast<std::int32_t>(TStepKind::Line);
  values.AreaLeft = from.X;
  values.AreaTop = from.Y;
  values.AreaRight = to.X;
  values.AreaBottom = to.Y;
  values.StartX = from.X;
  values.StartY = from.Y;
  values.SpeedFrom = values.SpeedTo = speed;
  return values;
}

TMovingStepValues BounceIn(const Rect& area, Point start, std::int32_t angle, Real speed) {
  TMovingStepValues values;
  values.Kind = static_cast<std::int32_t>(TStepKind::Bounce);
  values.AreaLeft = area.Left;
  values.AreaTop = area.Top;
  values.AreaRight = area.Right;
  values.AreaBottom = area.Bottom;
  values.StartX = start.X;
  values.StartY = start.Y;
  values.Angle = angle;
  values.SpeedFrom = values.SpeedTo = speed;
  return values;
}

TSprite& AddSprite(TVelquoraScene& scene, const TBitmap& picture, const TMovingStepValues& step) {
  TSprite& sprite = scene.AddSprite();
  AddPictureFrame(sprite, picture);
  sprite.Moving().AbsoluteCoords = true;
  sprite.Moving().AbsoluteSpeed = true;
  sprite.Moving().AddStep(step, &sprite);
  return sprite;
}

void PrepareScene(TVelquoraScene& scene, int width, int height, TColor background) {
  scene.ScreenWidth = width;
  scene.ScreenHeight = height;
  scene.BackgroundMode = 2;
  scene.BackgroundColor = background;
  scene.GradientFrom = background;
  scene.GradientTo = background;
  scene.Prepare();
}

}  // namespace velquora
