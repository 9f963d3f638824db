#pragma once
// TMovingStep: one step of a sprite's path (a rectangle, a start point and a motion kind
// with its ramps), and its preparation: origin, bounce start and direction signs, and
// the clones of the emitting kinds.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/geometry.h"
#include "core/real48.h"

namespace velquora {

class TVelquoraScene;
class TSprite;
class TEffectSprite;
class TMoving;

// Motion kinds of a step.
enum class TStepKind : std::int32_t {
  Bounce = 1, Line = 2, Hold = 3, RandomJump = 4, Stream = 5, Burst = 6
};

// The values a path assigns to a step (AddStep / AssignStep). Units: (unit) values are
// percent of the screen, or pixels when the path has AbsoluteCoords; speeds are percent
// of the screen width per tick, or pixels per tick with AbsoluteSpeed.
struct TMovingStepValues {
  std::int32_t Kind = 3;           // 1 bounce, 2 line, 3 hold, 4 random jump, 5 stream, 6 burst
  Real AreaLeft = 0;               // first corner of the Area (unit)
  Real AreaTop = 0;
  Real AreaRight = 40;             // second corner (unit)
  Real AreaBottom = 40;
  Real StartX = 0;                 // start point (unit); bounce StartX -1: random border point
  Real StartY = 0;
  std::int32_t Angle = 30;         // bounce direction, degrees
  Real SpeedFrom = 1;              // advance per tick at the start and at the end of a leg
  Real SpeedTo = 1;
  Real ScaleXFrom = 1;             // horizontal scale ramp
  Real ScaleXTo = 1;
  Real ScaleYFrom = 1;             // vertical scale ramp
  Real ScaleYTo = 1;
  std::int32_t Duration = 9;       // hold length / jump interval, ticks; -1 for ever
  std::int32_t Count = 1;          // clones of an emitting step
  Real SpareReal = 100;            // carried into clone steps only
  std::int32_t EmitAngle = 270;    // stream flight direction, degrees
  bool Hidden = false;             // a hidden hold keeps the sprite invisible
  std::int32_t MaxDelay = 10;      // clones wait Random(MaxDelay) ticks before flying
  std::int32_t PercentFrom = 100;  // DrawPercent ramp
  std::int32_t PercentTo = 100;
};

class TMovingStep : public TMovingStepValues {
public:
  explicit TMovingStep(TMoving* moving = nullptr);
  ~TMovingStep();
  TMovingStep(const TMovingStep&) = delete;
  TMovingStep& operator=(const TMovingStep&) = delete;

  // Computes the origin, a bounce step's start and signs, and (with a sprite) makes the
  // clones of an emitting step anew. Draws from the process-wide generator.
  void Prepare(TVelquoraScene& scene, TSprite* sprite);

  // Shape ramps carried from the file; nothing in playback draws with them.
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

  std::int32_t PixLeft = 0;        // the Area in pixels, recomputed at each evaluation
  std::int32_t PixTop = 0;
  std::int32_t PixRight = 0;
  std::int32_t PixBottom = 0;
  std::int32_t OriginX = 0;        // where the current leg starts, pixels
  std::int32_t OriginY = 0;
  std::int32_t DirX = 0;           // direction signs, +1 or -1 (0 in a fresh step)
  std::int32_t DirY = 0;
  std::int32_t JumpX = 0;          // current point of a random jump, pixels
  std::int32_t JumpY = 0;
  std::vector<std::unique_ptr<TEffectSprite>> Clones;  // clones made by this step; owned
  TMoving* Moving = nullptr;       // the path holding this step; not owned

private:
  void PrepareBounceStart();
  void MakeClones(TSprite& sprite);
  void ComputeOrigin(const TVelquoraScene& scene);
};

}  // namespace velquora
