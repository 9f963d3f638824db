#pragma once
// Test-support writer of sprite records: every field of a sprite, its frames (pictures,
// payloads, auxiliary records) and its moving path, in the form a file of a given
// version index (1..16) carries. Fields the player ignores are written with values a
// test can recognise.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "core/real48.h"
#include "core/stream.h"

namespace velquora {

struct WindowSpec {
  std::int32_t StartTick = 1;
  std::int32_t FinishTick = 3;
};

// Texts of an auxiliary record; the numbers around them are filler.
struct AuxSpec {
  std::string Text1;
  std::string Text2;
  std::string Text3;
};

struct FrameSpec {
  // Payload (versions 15 and later).
  bool Animated = false;
  std::int32_t AnimationKind = 0;
  std::vector<std::uint8_t> Payload;           // JPEG or GIF file bytes, or any bytes for other kinds
  std::string AviClipName;                     // kind 3: the clip's file name
  std::vector<std::uint8_t> AviBytes;          // kind 3: the AVI file bytes
  std::optional<std::int32_t> PayloadLength;   // overrides the stored length P
  // The rest of the record.
  std::vector<std::uint8_t> Bmp;               // a BMP file image; empty writes length 0
  std::optional<std::int32_t> BmpLength;       // overrides the stored BMP blob length
  std::string FileName;
  std::int32_t Duration = 4;
  bool Transparent = false;
  std::int32_t IgnoredValue = 0x1234;
  std::vector<std::uint8_t> IgnoredBlock;      // the skipped blob
  std::int32_t SourceKind = 1;
  std::string AnimationName;
  std::int32_t TransparentX = 0;               // versions 9 and later
  std::int32_t TransparentY = 0;
  AuxSpec Aux1;                                // old form at version 12, new form from 13 on
  AuxSpec Aux2;                                // versions 13 and later
  std::int32_t Width = 0;                      // stored natural size, versions 14 and later
  std::int32_t Height = 0;
};

struct StepSpec {
  std::int32_t Kind = 3;
  Real AreaLeft = 0;
  Real AreaTop = 0;
  Real AreaRight = 40;
  Real AreaBottom = 40;
  Real StartX = 0;
  Real StartY = 0;
  std::int32_t Angle = 30;
  Real SpeedFrom = 1;
  Real SpeedTo = 1;
  Real ScaleXFrom = 1;
  Real ScaleXTo = 1;
  Real ScaleYFrom = 1;                         // versions 13 and later
  Real ScaleYTo = 1;
  std::int32_t Duration = 9;
  std::int32_t Count = 1;
  Real SpareReal = 100;
  std::int32_t EmitAngle = 270;                // versions 10 and later
  bool Hidden = false;
  std::int32_t MaxDelay = 10;
  std::int32_t PercentFrom = 100;              // versions 13 and later from here on
  std::int32_t PercentTo = 100;
  bool IgnoredFlag = true;
  std::int32_t ShapeAFrom = 8;
  std::int32_t ShapeATo = 8;
  std::int32_t ShapeEFrom = 50;
  std::int32_t ShapeETo = 50;
  std::int32_t ShapeBFrom = 6;
  std::int32_t ShapeCFrom = 6;
  std::int32_t ShapeBTo = 6;
  std::int32_t ShapeCTo = 6;
  TColor ShapeColorFrom = 0;
  TColor ShapeColorTo = 0;
};

struct MovingSpec {
  std::vector<StepSpec> Steps;
  std::int32_t CycleLimit = -1;
  bool AbsoluteCoords = false;                 // versions 2 and later
  bool AbsoluteSpeed = true;
  bool HotSpotInPercent = true;                // versions 6 and later
  std::int32_t HotSpotX = 0;
  std::int32_t HotSpotY = 0;
  bool FitToScreen = false;
  bool KeepAspect = false;                     // versions 7 and later
};

struct SpriteSpec {
  std::vector<WindowSpec> Windows;
  std::vector<FrameSpec> Frames;
  MovingSpec Moving;
  bool KeepStateWhenHidden = false;            // versions 3 and later
  bool IgnoredFlag = true;                     // versions 4 and later
  std::string Name;                            // versions 14 and later
};

void WriteSpriteRecord(TStream& stream, const SpriteSpec& sprite, int version);
void WriteFrameRecord(TStream& stream, const FrameSpec& frame, int version);
void WriteMovingRecord(TStream& stream, const MovingSpec& moving, int version);
void WriteMovingStepRecord(TStream& stream, const StepSpec& step, int version);

// A 24-bit BMP file image of the given size; pixel (x, y) gets a
// colour derived from seed, x and y, so that two pictures can be told apart.
std::vector<std::uint8_t> MakeTestBmp(std::int32_t width, std::int32_t height, std::uint32_t seed = 0);

}  // namespace velquora
