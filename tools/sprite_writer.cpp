#include "sprite_writer.h"

#include <algorithm>
#include <cstring>

#include "core/memory_stream.h"
#include "platform/gdi/bitmap.h"

namespace velquora {

namespace {

// Filler for the fields the player skips: recognisable in a hex dump, never zero.
constexpr std::uint8_t kFillerByte = 0xA5;
constexpr std::int32_t kFillerInt = 0x0BADF00D;

void WriteFillerBytes(TStream& stream, std::size_t count) {
  const std::vector<std::uint8_t> bytes(count, kFillerByte);
  stream.WriteBuffer(bytes.data(), bytes.size());
}

void WriteFillerInts(TStream& stream, int count) {
  for (int i = 0; i < count; ++i) WriteInt32(stream, kFillerInt + i);
}

void WriteBytes(TStream& stream, const std::vector<std::uint8_t>& bytes) {
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size());
}

void WriteBlob(TStream& stream, const std::vector<std::uint8_t>& bytes) {
  WriteInt32(stream, static_cast<std::int32_t>(bytes.size()));
  WriteBytes(stream, bytes);
}

// One auxiliary record of the newer form: three texts and 428 bytes of numbers.
void WriteNewAux(TStream& stream, const AuxSpec& aux) {
  WriteShortString(stream, aux.Text1);
  WriteShortString(stream, aux.Text2);
  WriteShortString(stream, aux.Text3);
  const auto group = [&](int reals) {
    WriteByte(stream, 1);
    WriteInt32(stream, kFillerInt);
    WriteFillerBytes(stream, static_cast<std::size_t>(reals) * 8);
  };
  group(14);
  group(8);
  group(8);
  group(12);
  WriteFillerBytes(stream, 6 * 8);
  WriteFillerInts(stream, 2);
  WriteFillerBytes(stream, 16);
}

// A text in a fixed 256-byte field: length byte, up to 255 characters, padding.
void PutFixedText(std::vector<std::uint8_t>& record, std::size_t offset, const std::string& text) {
  const std::size_t length = std::min<std::size_t>(text.size(), 255);
  record[offset] = static_cast<std::uint8_t>(length);
  std::memcpy(record.data() + offset + 1, text.data(), length);
}

// The older auxiliary record: exactly 1212 bytes with texts at offsets 0, 256 and 884.
void WriteOldAux(TStream& stream, const AuxSpec& aux) {
  std::vector<std::uint8_t> record(1212, kFillerByte);
  PutFixedText(record, 0, aux.Text1);
  PutFixedText(record, 256, aux.Text2);
  PutFixedText(record, 884, aux.Text3);
  stream.WriteBuffer(record.data(), record.size());
}

std::int32_t PayloadSize(const FrameSpec& frame) {
  if (frame.AnimationKind == 3)
    return static_cast<std::int32_t>(1 + std::min<std::size_t>(frame.AviClipName.size(), 255) + 4 +
                                     frame.AviBytes.size());
  return static_cast<std::int32_t>(frame.Payload.size());
}

void WritePayload(TStream& stream, const FrameSpec& frame) {
  WriteByte(stream, frame.Animated ? 1 : 0);
  WriteInt32(stream, frame.AnimationKind);
  if (!frame.Animated) return;
  const std::int32_t length = frame.PayloadLength.value_or(PayloadSize(frame));
  WriteInt32(stream, length);
  if (length <= 0) return;
  if (frame.AnimationKind == 3) {
    WriteShortString(stream, frame.AviClipName);
    WriteBlob(stream, frame.AviBytes);
  } else {
    WriteBytes(stream, frame.Payload);
  }
}

}  // namespace

void WriteFrameRecord(TStream& stream, const FrameSpec& frame, int version) {
  if (version >= 15) WritePayload(stream, frame);
  const std::int32_t bmp_length = frame.BmpLength.value_or(static_cast<std::int32_t>(frame.Bmp.size()));
  WriteInt32(stream, bmp_length);
  if (bmp_length > 0) WriteBytes(stream, frame.Bmp);
  WriteShortString(stream, frame.FileName);
  WriteInt32(stream, frame.Duration);
  WriteByte(stream, frame.Transparent ? 1 : 0);
  WriteInt32(stream, frame.IgnoredValue);
  WriteBlob(stream, frame.IgnoredBlock);
  WriteInt32(stream, frame.SourceKind);
  WriteShortString(stream, frame.AnimationName);
  // byte, i32, i32, sstr, byte, byte, eight i32
  WriteByte(stream, kFillerByte);
  WriteFillerInts(stream, 2);
  WriteShortString(stream, "ignored");
  WriteByte(stream, kFillerByte);
  WriteByte(stream, kFillerByte);
  WriteFillerInts(stream, 8);
  if (version >= 9) {
    WriteInt32(stream, frame.TransparentX);
    WriteInt32(stream, frame.TransparentY);
  }
  if (version == 12) WriteOldAux(stream, frame.Aux1);
  if (version >= 13) {
    WriteNewAux(stream, frame.Aux1);
    WriteNewAux(stream, frame.Aux2);
    WriteInt32(stream, kFillerInt);
    WriteByte(stream, kFillerByte);
    WriteByte(stream, kFillerByte);
    WriteFillerInts(stream, 12);
    WriteFillerBytes(stream, 2 * 8);
  }
  if (version >= 14) {
    WriteInt32(stream, frame.Width);
    WriteInt32(stream, frame.Height);
  }
}

void WriteMovingStepRecord(TStream& stream, const StepSpec& step, int version) {
  WriteInt32(stream, step.Kind);
  for (Real value : {step.AreaLeft, step.AreaTop, step.AreaRight, step.AreaBottom, step.StartX, step.StartY})
    WriteReal48(stream, value);
  WriteInt32(stream, step.Angle);
  for (Real value : {step.SpeedFrom, step.SpeedTo, step.ScaleXFrom, step.ScaleXTo}) WriteReal48(stream, value);
  if (version >= 13) {
    WriteReal48(stream, step.ScaleYFrom);
    WriteReal48(stream, step.ScaleYTo);
  }
  WriteInt32(stream, step.Duration);
  WriteInt32(stream, step.Count);
  WriteReal48(stream, step.SpareReal);
  if (version >= 10) WriteInt32(stream, step.EmitAngle);
  WriteByte(stream, step.Hidden ? 1 : 0);
  WriteInt32(stream, step.MaxDelay);
  if (version >= 13) {
    WriteInt32(stream, step.PercentFrom);
    WriteInt32(stream, step.PercentTo);
    WriteByte(stream, step.IgnoredFlag ? 1 : 0);
    for (std::int32_t value : {step.ShapeAFrom, step.ShapeATo, step.ShapeEFrom, step.ShapeETo, step.ShapeBFrom,
                               step.ShapeCFrom, step.ShapeBTo, step.ShapeCTo})
      WriteInt32(stream, value);
    WriteUInt32(stream, step.ShapeColorFrom);
    WriteUInt32(stream, step.ShapeColorTo);
  }
}

void WriteMovingRecord(TStream& stream, const MovingSpec& moving, int version) {
  WriteInt32(stream, static_cast<std::int32_t>(moving.Steps.size()));
  for (const StepSpec& step : moving.Steps) WriteMovingStepRecord(stream, step, version);
  WriteInt32(stream, moving.CycleLimit);
  if (version >= 2) {
    WriteByte(stream, moving.AbsoluteCoords ? 1 : 0);
    WriteByte(stream, moving.AbsoluteSpeed ? 1 : 0);
  }
  if (version >= 6) {
    WriteByte(stream, moving.HotSpotInPercent ? 1 : 0);
    WriteInt32(stream, moving.HotSpotX);
    WriteInt32(stream, moving.HotSpotY);
    WriteByte(stream, moving.FitToScreen ? 1 : 0);
  }
  if (version >= 7) WriteByte(stream, moving.KeepAspect ? 1 : 0);
}

void WriteSpriteRecord(TStream& stream, const SpriteSpec& sprite, int version) {
  WriteInt32(stream, static_cast<std::int32_t>(sprite.Windows.size()));
  for (const WindowSpec& window : sprite.Windows) {
    WriteInt32(stream, window.StartTick);
    WriteInt32(stream, window.FinishTick);
  }
  WriteInt32(stream, static_cast<std::int32_t>(sprite.Frames.size()));
  for (const FrameSpec& frame : sprite.Frames) WriteFrameRecord(stream, frame, version);
  WriteMovingRecord(stream, sprite.Moving, version);
  if (version >= 3) WriteByte(stream, sprite.KeepStateWhenHidden ? 1 : 0);
  if (version >= 4) WriteByte(stream, sprite.IgnoredFlag ? 1 : 0);
  if (version >= 14) WriteShortString(stream, sprite.Name);
}

std::vector<std::uint8_t> MakeTestBmp(std::int32_t width, std::int32_t height, std::uint32_t seed) {
  TBitmap bitmap(width, height, PixelFormat::Bits24);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      bitmap.SetPixel(x, y, (seed * 2654435761u + static_cast<std::uint32_t>(x * 31 + y * 17)) & 0xFFFFFFu);
  TMemoryStream out;
  bitmap.SaveToStream(out);
  return out.TakeBytes();
}

}  // namespace velquora
