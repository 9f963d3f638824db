#include "scene_file/sprite_reader.h"

#include <algorithm>

#include "core/exceptions.h"
#include "core/memory_stream.h"
#include "core/real48.h"
#include "platform/system/resource_probe.h"
#include "media/jpeg_image.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "playback/start_and_finish.h"
#include "scene_file/read_version.h"

namespace velquora {

namespace {

// Free system resources at or below this percentage leave a frame's picture unloaded.
constexpr int kFrameResourceThreshold = 11;

// Byte sizes of the fixed parts the reader passes over.
constexpr std::int64_t kOldAuxSize = 1212;
constexpr std::int64_t kOldAuxTextField = 256;
constexpr std::int64_t kNewAuxNumbersSize = 428;

// Moves past count bytes; a skip beyond the end of the stream is a failed read.
void Skip(TStream& stream, std::int64_t count) {
  if (count <= 0) return;
  if (count > stream.Remaining()) throw EReadError("Stream read error");
  stream.Seek(count, SeekOrigin::Current);
}

void SkipShortString(TStream& stream) { Skip(stream, ReadByte(stream)); }

// A blob whose bytes nobody reads: the length, then the bytes passed over.
void SkipBlob(TStream& stream) { Skip(stream, ReadInt32(stream)); }

void SetSizeFromPicture(TFrame& frame) {
  frame.Width = frame.PendingPicture->Width();
  frame.Height = frame.PendingPicture->Height();
}

// An AVI payload: a new clip becomes the frame's Animation and reads its own stream form
// (clip file name, length, clip bytes) from the record stream, writing the clip to a
// temporary file; its picture 1 goes to the pending picture, with no player attached so
// that no sound starts. A clip that cannot be written or opened leaves the frame without
// pictures; a missing AVI library passes on as a failed load. The size comes from the
// picture also when that fails.
void ReadAviPayload(TFrame& frame, TStream& stream) {
  frame.Animation = {};
  try {
    TAVIImage& avi = *frame.Animation.emplace<std::unique_ptr<TAVIImage>>(std::make_unique<TAVIImage>());
    avi.LoadFromStream(stream);
    avi.GetFrame(1, *frame.PendingPicture);
  } catch (...) {
    SetSizeFromPicture(frame);
    throw;
  }
}

// A JPEG payload: the adapter decodes Payload (which keeps the JPEG bytes) and its picture
// becomes the pending picture. The size comes from the picture also when decoding fails.
void DecodeJpegPayload(TFrame& frame) {
  try {
    TJPEGImage jpeg;
    jpeg.LoadFromStream(&frame.Payload);
    frame.PendingPicture->Assign(jpeg.Bitmap());
  } catch (...) {
    SetSizeFromPicture(frame);
    throw;
  }
}

// A GIF payload: the GIF loads from Payload, becomes the frame's Animation and shows its
// first image in the pending picture; the payload bytes go once parsed. The size comes
// from the picture also when decoding fails.
void DecodeGifPayload(TFrame& frame) {
  frame.Animation = {};
  TGifFile& gif = *frame.Animation.emplace<std::unique_ptr<TGifFile>>(std::make_unique<TGifFile>());
  try {
    frame.Payload.SetPosition(0);
    gif.LoadFromStream(frame.Payload);
    gif.Seek(1, *frame.PendingPicture);
  } catch (...) {
    frame.Payload.Clear();
    SetSizeFromPicture(frame);
    throw;
  }
  frame.Payload.Clear();
}

void ReadPayload(TFrame& frame, TStream& stream, std::int32_t length) {
  frame.Payload.Clear();
  switch (static_cast<TPayloadKind>(frame.AnimationKind)) {
    case TPayloadKind::Jpeg:
    case TPayloadKind::Gif: {
      const std::vector<std::uint8_t> bytes = ReadBytes(stream, length);
      frame.Payload.WriteBuffer(bytes.data(), bytes.size());
      if (static_cast<TPayloadKind>(frame.AnimationKind) == TPayloadKind::Jpeg) DecodeJpegPayload(frame);
      if (static_cast<TPayloadKind>(frame.AnimationKind) == TPayloadKind::Gif) DecodeGifPayload(frame);
      frame.Payload.SetPosition(0);
      break;
    }
    case TPayloadKind::Avi:
      ReadAviPayload(frame, stream);
      break;
    default:
      // An unknown kind: its bytes are passed over so the record stays aligned.
      Skip(stream, length);
      return;
  }
  SetSizeFromPicture(frame);
}

void ReadBmpPicture(TFrame& frame, TStream& stream) {
  const std::int32_t length = ReadInt32(stream);
  if (length <= 0) return;
  TMemoryStream bytes(ReadBytes(stream, length));
  if (FreeSystemResources() > kFrameResourceThreshold) {
    try {
      frame.PendingPicture->LoadFromStream(bytes);
    } catch (...) {
      SetSizeFromPicture(frame);
      throw;
    }
  } else {
    frame.LoadFailed = true;
  }
  SetSizeFromPicture(frame);
}

// byte, i32, i32, sstr, byte, byte, then eight i32: nothing the player uses.
void SkipIgnoredFrameValues(TStream& stream) {
  Skip(stream, 1 + 4 + 4);
  SkipShortString(stream);
  Skip(stream, 1 + 1 + 8 * 4);
}

// The 1212-byte auxiliary record of version 12; returns its first text.
AnsiString ReadOldAux(TStream& stream) {
  const std::vector<std::uint8_t> record = ReadBytes(stream, kOldAuxSize);
  const std::size_t length = std::min<std::size_t>(record[0], kOldAuxTextField - 1);
  return AnsiString(record.begin() + 1, record.begin() + 1 + static_cast<std::ptrdiff_t>(length));
}

// A newer-form auxiliary record; returns its first text.
AnsiString ReadNewAux(TStream& stream) {
  AnsiString first = ReadShortString(stream);
  SkipShortString(stream);
  SkipShortString(stream);
  Skip(stream, kNewAuxNumbersSize);
  return first;
}

}  // namespace

void ReadFrameRecord(TFrame& frame, TStream& stream) {
  const std::int32_t version = ReadVersion();
  if (version >= 15) {
    frame.Animated = ReadFlag(stream);
    frame.AnimationKind = ReadInt32(stream);
    if (frame.Animated) {
      const std::int32_t length = ReadInt32(stream);
      if (length > 0) ReadPayload(frame, stream, length);
    }
  }
  ReadBmpPicture(frame, stream);

  frame.FileName = ReadShortString(stream);
  frame.Duration = ReadInt32(stream);
  frame.Transparent = ReadFlag(stream);
  Skip(stream, 4);
  SkipBlob(stream);

  frame.SourceKind = ReadInt32(stream);
  frame.AnimationName = ReadShortString(stream);
  SkipIgnoredFrameValues(stream);

  if (version >= 9) {
    frame.TransparentX = ReadInt32(stream);
    frame.TransparentY = ReadInt32(stream);
  } else {
    frame.TransparentX = 0;
    frame.TransparentY = 0;
  }

  AnsiString aux_text;  // first text of the first auxiliary record
  if (version == 12) aux_text = ReadOldAux(stream);
  if (version >= 13) {
    aux_text = ReadNewAux(stream);
    ReadNewAux(stream);
    Skip(stream, 4 + 1 + 1);
  }
  if (frame.SourceKind == 3) frame.AnimationName = aux_text;

  if (version >= 13) Skip(stream, 12 * 4 + 2 * 8);
  if (version >= 14) {
    frame.Width = ReadInt32(stream);
    frame.Height = ReadInt32(stream);
  }
}

void ReadMovingStepRecord(TMovingStep& step, TStream& stream, TVelquoraScene& scene, TSprite* sprite) {
  const std::int32_t version = ReadVersion();
  step.Kind = ReadInt32(stream);
  step.AreaLeft = ReadReal48(stream);
  step.AreaTop = ReadReal48(stream);
  step.AreaRight = ReadReal48(stream);
  step.AreaBottom = ReadReal48(stream);
  step.StartX = ReadReal48(stream);
  step.StartY = ReadReal48(stream);
  step.Angle = ReadInt32(stream);
  step.SpeedFrom = ReadReal48(stream);
  step.SpeedTo = ReadReal48(stream);
  step.ScaleXFrom = ReadReal48(stream);
  step.ScaleXTo = ReadReal48(stream);
  if (version >= 13) {
    step.ScaleYFrom = ReadReal48(stream);
    step.ScaleYTo = ReadReal48(stream);
  } else {
    step.ScaleYFrom = step.ScaleXFrom;
    step.ScaleYTo = step.ScaleXTo;
  }
  step.Duration = ReadInt32(stream);
  step.Count = ReadInt32(stream);
  step.SpareReal = ReadReal48(stream);
  if (version >= 10) step.EmitAngle = ReadInt32(stream);
  step.Hidden = ReadFlag(stream);
  step.MaxDelay = ReadInt32(stream);
  if (version >= 13) {
    step.PercentFrom = ReadInt32(stream);
    step.PercentTo = ReadInt32(stream);
    Skip(stream, 1);
    step.ShapeAFrom = ReadInt32(stream);
    step.ShapeATo = ReadInt32(stream);
    step.ShapeEFrom = ReadInt32(stream);
    step.ShapeETo = ReadInt32(stream);
    step.ShapeBFrom = ReadInt32(stream);
    step.ShapeCFrom = ReadInt32(stream);
    step.ShapeBTo = ReadInt32(stream);
    step.ShapeCTo = ReadInt32(stream);
    step.ShapeColorFrom = ReadUInt32(stream);
    step.ShapeColorTo = ReadUInt32(stream);
  }
  step.Prepare(scene, sprite);
}

void ReadMovingRecord(TMoving& moving, TStream& stream, TSprite& sprite) {
  const std::int32_t version = ReadVersion();
  moving.Steps.clear();
  // Steps are appended one by one as their records are read, so a hostile count cannot
  // allocate more than the stream's bytes can fill.
  const std::int32_t count = ReadInt32(stream);
  for (std::int32_t i = 0; i < count; ++i) {
    moving.Steps.push_back(std::make_unique<TMovingStep>(&moving));
    TMovingStep& step = *moving.Steps.back();
    ReadMovingStepRecord(step, stream, *moving.Scene, &sprite);
    moving.PosX = step.OriginX;
    moving.PosY = step.OriginY;
  }
  moving.CycleLimit = ReadInt32(stream);
  if (version >= 2) {
    moving.AbsoluteCoords = ReadFlag(stream);
    moving.AbsoluteSpeed = ReadFlag(stream);
  }
  if (version >= 6) {
    moving.HotSpotInPercent = ReadFlag(stream);
    moving.HotSpotX = ReadInt32(stream);
    moving.HotSpotY = ReadInt32(stream);
    moving.FitToScreen = ReadFlag(stream);
  }
  if (version >= 7) moving.KeepAspect = ReadFlag(stream);
}

void ReadSpriteRecord(TSprite& sprite, TStream& stream) {
  const std::int32_t version = ReadVersion();
  sprite.StartFinish().clear();
  const std::int32_t windows = ReadInt32(stream);
  for (std::int32_t i = 0; i < windows; ++i) {
    TStartAndFinish& window = sprite.AddStartFinish();
    window.StartTick = ReadInt32(stream);
    window.FinishTick = ReadInt32(stream);
  }

  sprite.Frames().clear();
  const std::int32_t frames = ReadInt32(stream);
  for (std::int32_t i = 0; i < frames; ++i) {
    TFrame& frame = sprite.AddFrame();
    ReadFrameRecord(frame, stream);
    if (frame.LoadFailed) {
      sprite.DeleteFrame(sprite.Frames().size() - 1);
      sprite.HadBadFrame = true;
    }
  }

  ReadMovingRecord(sprite.Moving(), stream, sprite);
  if (version >= 3) sprite.KeepStateWhenHidden = ReadFlag(stream);
  if (version >= 4) Skip(stream, 1);
  if (version >= 14) sprite.Name = ReadShortString(stream);
  if (sprite.Name.empty()) sprite.Name = DeriveSpriteName(sprite);
}

namespace {

// The file name without its directories (cut to 255 characters) and without the
// extension that starts at its last dot.
AnsiString BareNameWithoutExtension(const AnsiString& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  AnsiString name = cut == AnsiString::npos ? path : path.substr(cut + 1);
  if (name.size() > 255) name.resize(255);
  const std::size_t dot = name.rfind('.');
  if (dot != AnsiString::npos) name.resize(dot);
  return name;
}

}  // namespace

AnsiString DeriveSpriteName(const TSprite& sprite) {
  for (const auto& frame : sprite.Frames()) {
    if (frame->SourceKind == 1) return BareNameWithoutExtension(frame->FileName);
    if (frame->SourceKind == 2 || frame->SourceKind == 3) return frame->AnimationName;
  }
  return {};
}

}  // namespace velquora
