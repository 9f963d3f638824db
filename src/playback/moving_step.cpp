#include "playback/moving_step.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "core/random.h"
#include "core/rounding.h"
#include "playback/motion_rules.h"
#include "playback/moving.h"
#include "playback/scene.h"
#include "playback/sprite.h"

namespace velquora {

namespace {

// Clones the emitting steps of one path may hold together. A file's Count is a 32-bit
// number; without a bound a few bytes of a hostile or broken file could ask for billions
// of sprites.
constexpr std::int64_t kMaxClonesPerPath = 1000;

struct RealPoint {
  Real X = 0;
  Real Y = 0;
};

// Random(n) for a non-negative extent that may exceed the 32-bit signed range; the
// generator takes n as an unsigned 32-bit number.
Real RandomBelow(std::int64_t n) {
  return Random(static_cast<std::int32_t>(static_cast<std::uint32_t>(n)));
}

// |Round(value)| as a non-negative integer, without overflow for any rounded value.
std::int64_t RoundedExtent(Real value) {
  return std::abs(static_cast<std::int64_t>(Round32(value)));
}

// The values both steps of a clone take from the emitting step.
TMovingStepValues CloneStepBase(const TMovingStep& step) {
  TMovingStepValues values;
  values.Angle = step.Angle;
  values.SpeedFrom = step.SpeedFrom;
  values.SpeedTo = step.SpeedTo;
  values.ScaleXFrom = step.ScaleXFrom;
  values.ScaleXTo = step.ScaleXTo;
  values.ScaleYFrom = step.ScaleYFrom;
  values.ScaleYTo = step.ScaleYTo;
  values.Count = step.Count;
  values.SpareReal = step.SpareReal;
  values.EmitAngle = step.EmitAngle;
  values.MaxDelay = step.MaxDelay;
  values.PercentFrom = 100;
  values.PercentTo = 100;
  return values;
}

void SetArea(TMovingStepValues& values, Real left, Real top, Real right, Real bottom) {
  values.AreaLeft = left;
  values.AreaTop = top;
  values.AreaRight = right;
  values.AreaBottom = bottom;
}

void SetStart(TMovingStepValues& values, RealPoint start) {
  values.StartX = start.X;
  values.StartY = start.Y;
}

// The hidden wait every clone begins with; its length is drawn once per clone.
TMovingStepValues HiddenHold(const TMovingStep& step) {
  TMovingStepValues hold = CloneStepBase(step);
  hold.Kind = static_cast<std::int32_t>(TStepKind::Hold);
  hold.Duration = Random(step.MaxDelay);
  hold.Hidden = true;
  return hold;
}

// The clone's second step: the emitting step's own duration and hidden flag.
TMovingStepValues Flight(const TMovingStep& step, TStepKind kind) {
  TMovingStepValues flight = CloneStepBase(step);
  flight.Kind = static_cast<std::int32_t>(kind);
  flight.Duration = step.Duration;
  flight.Hidden = step.Hidden;
  return flight;
}

// Where a stream clone enters the Area and where its flight ends, in unit values.
struct StreamFlight {
  RealPoint Start;
  RealPoint End;
};

enum class Edge { Left, Right, Top, Bottom };

struct StreamRow {
  std::int32_t SignX;
  std::int32_t SignY;
  Edge WhenShare;   // the start edge when r <= h
  Edge Otherwise;   // the start edge otherwise
  bool FromRight;   // top and bottom starts count RX from the right corner
};

// The stream table: signs, the share h and the two start edges by emit angle.
StreamRow StreamRowFor(std::int32_t a, std::int32_t& share) {
  if (a <= 45) { share = a / 2; return {+1, -1, Edge::Bottom, Edge::Left, false}; }
  if (a <= 90) { share = (90 - a) / 2; return {+1, -1, Edge::Left, Edge::Bottom, false}; }
  if (a <= 135) { share = (a - 91) / 2; return {-1, -1, Edge::Right, Edge::Bottom, true}; }
  if (a <= 180) { share = (180 - a) / 2; return {-1, -1, Edge::Bottom, Edge::Right, true}; }
  if (a <= 225) { share = (a - 181) / 2; return {-1, +1, Edge::Top, Edge::Right, true}; }
  if (a <= 270) { share = (270 - a) / 2; return {-1, +1, Edge::Right, Edge::Top, true}; }
  if (a <= 314) { share = (a - 271) / 2; return {+1, +1, Edge::Left, Edge::Top, false}; }
  share = (360 - a) / 2;
  return {+1, +1, Edge::Top, Edge::Left, false};
}

StreamFlight DrawStreamFlight(const TMovingStep& step) {
  const Real l = step.AreaLeft, t = step.AreaTop, r = step.AreaRight, b = step.AreaBottom;
  const std::int64_t width = RoundedExtent(r - l);
  const std::int64_t height = RoundedExtent(b - t);
  std::int32_t share = 0;
  const StreamRow row = StreamRowFor(step.EmitAngle, share);
  const std::int32_t draw = Random(45);
  const Edge edge = draw <= share ? row.WhenShare : row.Otherwise;

  StreamFlight flight;
  switch (edge) {
    case Edge::Left: flight.Start = {l, t + RandomBelow(height)}; break;
    case Edge::Right: flight.Start = {r, t + RandomBelow(height)}; break;
    case Edge::Top:
    case Edge::Bottom: {
      const Real offset = RandomBelow(width);
      flight.Start.X = row.FromRight ? r - offset : l + offset;
      flight.Start.Y = edge == Edge::Top ? t : b;
      break;
    }
  }

  const Real w = static_cast<Real>(width), h = static_cast<Real>(height);
  const Real length = static_cast<Real>(Round(std::sqrt(h * h + w * w)));
  const Real k = MotionSlope(step.EmitAngle);
  const Real length2 = length * length;
  flight.End.X = flight.Start.X + static_cast<Real>(Round(row.SignX * std::sqrt(length2 / (k * k + 1))));
  flight.End.Y = flight.Start.Y;
  if (k != 0) flight.End.Y += static_cast<Real>(Round(row.SignY * std::sqrt(length2 / (1 / (k * k) + 1))));
  return flight;
}

// The burst line from the centre to a point drawn on one side of the Area.
void SetBurstLineArea(const TMovingStep& step, RealPoint centre, TMovingStepValues& line) {
  const Real l = step.AreaLeft, t = step.AreaTop, r = step.AreaRight, b = step.AreaBottom;
  const std::int32_t side = Random(4);
  if (side <= 1) {
    const Real ry = t + RandomReal() * std::abs(b - t);
    SetArea(line, centre.X, std::min(centre.Y, ry), side == 0 ? l : r, std::max(centre.Y, ry));
  } else {
    const Real rx = l + RandomReal() * std::abs(r - l);
    if (side == 2) SetArea(line, std::min(centre.X, rx), t, std::max(centre.X, rx), centre.Y);
    else SetArea(line, std::min(centre.X, rx), centre.Y, std::max(centre.X, rx), b);
  }
}

}  // namespace

TMovingStep::TMovingStep(TMoving* moving) : Moving(moving) {}

TMovingStep::~TMovingStep() = default;

void TMovingStep::Prepare(TVelquoraScene& scene, TSprite* sprite) {
  if (Kind == static_cast<std::int32_t>(TStepKind::Bounce)) PrepareBounceStart();
  const bool emitting = Kind >= static_cast<std::int32_t>(TStepKind::RandomJump) &&
                        Kind <= static_cast<std::int32_t>(TStepKind::Burst);
  if (emitting && sprite != nullptr) MakeClones(*sprite);
  ComputeOrigin(scene);
}

void TMovingStep::PrepareBounceStart() {
  const Real l = AreaLeft, t = AreaTop, r = AreaRight, b = AreaBottom;
  if (StartX == -1) {
    switch (Random(4)) {
      case 0: StartX = l; StartY = t + RandomReal() * std::abs(b - t); break;
      case 1: StartX = r; StartY = t + RandomReal() * std::abs(b - t); break;
      case 2: StartY = t; StartX = l + RandomReal() * std::abs(r - l); break;
      default: StartY = b; StartX = l + RandomReal() * std::abs(r - l); break;
    }
  }
  if (StartX <= l) { DirX = +1; DirY = +1; }
  if (StartX >= r) { DirX = -1; DirY = +1; }
  if (StartY >= b) { DirX = +1; DirY = -1; }
  if (StartY <= t) { DirX = +1; DirY = +1; }
  // A start strictly inside the Area on a fresh step would leave the sprite without a
  // direction and so without motion; it sets off towards the lower right instead.
  if (DirX == 0 && DirY == 0) { DirX = +1; DirY = +1; }
}

void TMovingStep::MakeClones(TSprite& sprite) {
  Clones.clear();
  std::int64_t budget = kMaxClonesPerPath;
  if (Moving != nullptr)
    for (const auto& other : Moving->Steps) budget -= static_cast<std::int64_t>(other->Clones.size());
  const std::int64_t count = std::min<std::int64_t>(Count, budget);
  if (count <= 0) return;
  const auto kind = static_cast<TStepKind>(Kind);
  if (kind == TStepKind::Stream && (EmitAngle < 0 || EmitAngle > 360)) EmitAngle = 270;
  const RealPoint centre{AreaLeft + static_cast<Real>(Round(std::abs(AreaRight - AreaLeft) / 2)),
                         AreaTop + static_cast<Real>(Round(std::abs(AreaBottom - AreaTop) / 2))};

  for (std::int64_t i = 0; i < count; ++i) {
    auto clone = std::make_unique<TEffectSprite>(sprite);
    TMoving& path = clone->Moving();
    path.AbsoluteCoords = sprite.Moving().AbsoluteCoords;
    path.AbsoluteSpeed = sprite.Moving().AbsoluteSpeed;
    Clones.push_back(std::move(clone));

    if (kind == TStepKind::RandomJump) {
      TMovingStepValues hold = HiddenHold(*this);
      TMovingStepValues jump = Flight(*this, TStepKind::RandomJump);
      for (TMovingStepValues* values : {&hold, &jump}) {
        SetArea(*values, AreaLeft, AreaTop, AreaRight, AreaBottom);
        SetStart(*values, {StartX, StartY});
      }
      path.AddStep(hold, nullptr);
      path.AddStep(jump, nullptr);
    } else if (kind == TStepKind::Stream) {
      const StreamFlight points = DrawStreamFlight(*this);
      TMovingStepValues hold = HiddenHold(*this);
      TMovingStepValues line = Flight(*this, TStepKind::Line);
      for (TMovingStepValues* values : {&hold, &line}) {
        SetArea(*values, points.Start.X, points.Start.Y, points.End.X, points.End.Y);
        SetStart(*values, points.Start);
      }
      path.AddStep(hold, nullptr);
      path.AddStep(line, nullptr);
    } else {
      TMovingStepValues hold = HiddenHold(*this);
      SetArea(hold, AreaLeft, AreaTop, AreaRight, AreaBottom);
      SetStart(hold, centre);
      path.AddStep(hold, nullptr);
      TMovingStepValues line = Flight(*this, TStepKind::Line);
      SetBurstLineArea(*this, centre, line);
      SetStart(line, centre);
      path.AddStep(line, nullptr);
    }
  }
}

void TMovingStep::ComputeOrigin(const TVelquoraScene& scene) {
  if (Moving != nullptr && Moving->AbsoluteCoords) {
    OriginX = Round32(StartX);
    OriginY = Round32(StartY);
  } else {
    OriginX = Round32(StartX * scene.ScreenWidth / 100);
    OriginY = Round32(StartY * scene.ScreenHeight / 100);
  }
  JumpX = OriginX;
  JumpY = OriginY;
}

}  // namespace velquora
