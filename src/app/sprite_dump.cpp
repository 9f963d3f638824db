#include "app/sprite_dump.h"

#include <memory>
#include <string>
#include <variant>

#include "app/picture_json.h"
#include "core/ansi_text.h"
#include "platform/gdi/bitmap.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/sprite.h"
#include "playback/start_and_finish.h"

namespace velquora {

namespace {

void Text(JsonWriter& json, std::string_view key, const AnsiString& text) {
  json.Field(key, std::string_view(AnsiToUtf8(text)));
}

// A frame's picture is released once it has been rasterised: null then.
void WritePicture(JsonWriter& json, const TBitmap* picture) {
  if (picture == nullptr) {
    json.Null();
    return;
  }
  WritePictureJson(json, *picture);
}

// The clip of an AVI frame, when it opened: its frame count, first frame, rate and
// whether it has a sound track; null for every other frame.
void WriteAvi(JsonWriter& json, const TFrame& frame) {
  const auto* avi = std::get_if<std::unique_ptr<TAVIImage>>(&frame.Animation);
  if (avi == nullptr || *avi == nullptr || !(*avi)->HasClip()) {
    json.Null();
    return;
  }
  const TAVIImage& clip = **avi;
  json.BeginObject();
  json.Field("Frames", clip.FrameCount);
  json.Field("Start", clip.FirstFrame);
  json.Field("Rate", clip.Rate);
  json.Field("HasSound", !clip.SoundFileName.empty());
  json.EndObject();
}

void WriteFrame(JsonWriter& json, const TFrame& frame) {
  json.BeginObject();
  Text(json, "FileName", frame.FileName);
  json.Field("Duration", frame.Duration);
  json.Field("Transparent", frame.Transparent);
  json.Field("TransparentX", frame.TransparentX);
  json.Field("TransparentY", frame.TransparentY);
  json.Field("SourceKind", frame.SourceKind);
  Text(json, "AnimationName", frame.AnimationName);
  json.Field("Animated", frame.Animated);
  json.Field("AnimationKind", frame.AnimationKind);
  json.Field("Width", frame.Width);
  json.Field("Height", frame.Height);
  json.Field("PayloadSize", static_cast<std::int64_t>(frame.Payload.Bytes().size()));
  json.Key("PendingPicture");
  WritePicture(json, frame.PendingPicture.get());
  json.Key("Avi");
  WriteAvi(json, frame);
  json.EndObject();
}

void WriteStep(JsonWriter& json, const TMovingStep& step) {
  json.BeginObject();
  json.Field("Kind", step.Kind);
  json.Field("AreaLeft", step.AreaLeft);
  json.Field("AreaTop", step.AreaTop);
  json.Field("AreaRight", step.AreaRight);
  json.Field("AreaBottom", step.AreaBottom);
  json.Field("StartX", step.StartX);
  json.Field("StartY", step.StartY);
  json.Field("Angle", step.Angle);
  json.Field("SpeedFrom", step.SpeedFrom);
  json.Field("SpeedTo", step.SpeedTo);
  json.Field("ScaleXFrom", step.ScaleXFrom);
  json.Field("ScaleXTo", step.ScaleXTo);
  json.Field("ScaleYFrom", step.ScaleYFrom);
  json.Field("ScaleYTo", step.ScaleYTo);
  json.Field("Duration", step.Duration);
  json.Field("Count", step.Count);
  json.Field("SpareReal", step.SpareReal);
  json.Field("EmitAngle", step.EmitAngle);
  json.Field("Hidden", step.Hidden);
  json.Field("MaxDelay", step.MaxDelay);
  json.Field("PercentFrom", step.PercentFrom);
  json.Field("PercentTo", step.PercentTo);
  json.Field("ShapeAFrom", step.ShapeAFrom);
  json.Field("ShapeATo", step.ShapeATo);
  json.Field("ShapeEFrom", step.ShapeEFrom);
  json.Field("ShapeETo", step.ShapeETo);
  json.Field("ShapeBFrom", step.ShapeBFrom);
  json.Field("ShapeCFrom", step.ShapeCFrom);
  json.Field("ShapeBTo", step.ShapeBTo);
  json.Field("ShapeCTo", step.ShapeCTo);
  json.Field("ShapeColorFrom", step.ShapeColorFrom);
  json.Field("ShapeColorTo", step.ShapeColorTo);
  json.Field("OriginX", step.OriginX);
  json.Field("OriginY", step.OriginY);
  json.Field("DirX", step.DirX);
  json.Field("DirY", step.DirY);
  json.Field("Clones", static_cast<std::int64_t>(step.Clones.size()));
  json.EndObject();
}

void WriteMoving(JsonWriter& json, const TMoving& moving) {
  json.BeginObject();
  json.Field("CycleLimit", moving.CycleLimit);
  json.Field("AbsoluteCoords", moving.AbsoluteCoords);
  json.Field("AbsoluteSpeed", moving.AbsoluteSpeed);
  json.Field("HotSpotInPercent", moving.HotSpotInPercent);
  json.Field("HotSpotX", moving.HotSpotX);
  json.Field("HotSpotY", moving.HotSpotY);
  json.Field("FitToScreen", moving.FitToScreen);
  json.Field("KeepAspect", moving.KeepAspect);
  json.Field("PosX", moving.PosX);
  json.Field("PosY", moving.PosY);
  json.Key("Steps").BeginArray();
  for (const auto& step : moving.Steps) WriteStep(json, *step);
  json.EndArray();
  json.EndObject();
}

}  // namespace

void WriteSpriteJson(JsonWriter& json, const TSprite& sprite) {
  json.BeginObject();
  Text(json, "Name", sprite.Name);
  json.Field("KeepStateWhenHidden", sprite.KeepStateWhenHidden);
  json.Field("HadBadFrame", sprite.HadBadFrame);
  json.Key("StartFinish").BeginArray();
  for (const auto& window : sprite.StartFinish()) {
    json.BeginObject();
    json.Field("StartTick", window->StartTick);
    json.Field("FinishTick", window->FinishTick);
    json.EndObject();
  }
  json.EndArray();
  json.Key("Frames").BeginArray();
  for (const auto& frame : sprite.Frames()) WriteFrame(json, *frame);
  json.EndArray();
  json.Key("Moving");
  WriteMoving(json, sprite.Moving());
  json.EndObject();
}

}  // namespace velquora
