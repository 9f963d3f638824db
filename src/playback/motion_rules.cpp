#include "playback/motion_rules.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "core/random.h"
#include "core/rounding.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"

namespace velquora {

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
// Offsets beyond this take any 32-bit coordinate out of the 32-bit range anyway.
constexpr std::int64_t kOffsetLimit = std::int64_t{1} << 40;

// origin + offset, held within the 32-bit range however far a file's numbers reach.
std::int32_t Offset(std::int32_t origin, std::int64_t offset) {
  return Saturate32(origin + std::clamp(offset, -kOffsetLimit, kOffsetLimit));
}

// Round(value), bounded so that a sign can be applied to it without overflow.
std::int64_t RoundedOffset(Real value) { return std::clamp(Round(value), -kOffsetLimit, kOffsetLimit); }

// Tick counters count up to the 32-bit maximum and stay there.
std::int32_t NextTick(std::int32_t n) { return n < kInt32Max ? n + 1 : n; }

Real Width(const TMovingStep& step) { return static_cast<Real>(std::int64_t{step.PixRight} - step.PixLeft); }
Real Height(const TMovingStep& step) { return static_cast<Real>(std::int64_t{step.PixBottom} - step.PixTop); }

// The length of the rectangle's diagonal, from exact integer squares.
Real Diagonal(const TMovingStep& step) {
  const Real w = Width(step);
  const Real h = Height(step);
  return std::sqrt(w * w + h * h);
}

Real Ramp(Real from, Real to, Real fraction) { return from + (to - from) * fraction; }

// Sets the path's scales and percent for the fraction of the leg already covered and
// returns the speed there.
Real RampLeg(TMoving& path, const TMovingStep& step, Real fraction) {
  path.ScaleX = Ramp(step.ScaleXFrom, step.ScaleXTo, fraction);
  path.ScaleY = Ramp(step.ScaleYFrom, step.ScaleYTo, fraction);
  path.DrawPercent = Ramp(step.PercentFrom, step.PercentTo, fraction);
  return Ramp(step.SpeedFrom, step.SpeedTo, fraction);
}

// Distance covered in one tick: the speed itself in pixels, or whole pixels of a
// percentage of the screen width.
Real AdvancePerTick(const TMoving& path, Real speed) {
  if (path.AbsoluteSpeed) return speed;
  return static_cast<Real>(Round(speed * path.Scene->ScreenWidth / 100));
}

// A value between two corners: the smaller corner plus Random(distance between them).
std::int32_t DrawBetween(std::int32_t first, std::int32_t second) {
  const std::int64_t low = std::min(first, second);
  const auto extent = static_cast<std::uint32_t>(std::abs(std::int64_t{second} - first));
  const std::uint32_t draw = static_cast<std::uint32_t>(Random(static_cast<std::int32_t>(extent)));
  return Saturate32(low + draw);
}

void DrawJumpPoint(TMovingStep& step) {
  step.JumpX = DrawBetween(step.PixLeft, step.PixRight);
  step.JumpY = DrawBetween(step.PixTop, step.PixBottom);
}

void Commit(TMoving& path, Point point) {
  path.PosX = point.X;
  path.PosY = point.Y;
}

bool ShapeRampsDiffer(const TMovingStep& step) {
  return step.ShapeAFrom != step.ShapeATo || step.ShapeEFrom != step.ShapeETo ||
         step.ShapeBFrom != step.ShapeBTo || step.ShapeCFrom != step.ShapeCTo ||
         step.ShapeColorFrom != step.ShapeColorTo;
}

// Clamps the point into the rectangle, flipping the sign of each crossed axis. Returns
// whether a border was crossed.
bool BounceOffBorders(TMovingStep& step, Point& point) {
  bool bounced = false;
  if (point.X < step.PixLeft) { point.X = step.PixLeft; step.DirX = -step.DirX; bounced = true; }
  if (point.X > step.PixRight) { point.X = step.PixRight; step.DirX = -step.DirX; bounced = true; }
  if (point.Y > step.PixBottom) { point.Y = step.PixBottom; step.DirY = -step.DirY; bounced = true; }
  if (point.Y < step.PixTop) { point.Y = step.PixTop; step.DirY = -step.DirY; bounced = true; }
  return bounced;
}

}  // namespace

Real SlopeOf(Real sine, Real cosine) { return cosine == 0 ? 1 : sine / cosine; }

Real MotionSlope(std::int32_t degrees) {
  const Real radians = static_cast<Real>(degrees) * std::numbers::pi_v<Real> / 180;
  return SlopeOf(std::sin(radians), std::cos(radians));
}

Point EvaluateBounce(TMoving& path, TMovingStep& step, bool advance) {
  const Real diagonal = Diagonal(step);
  if (diagonal == 0) return {step.PixLeft, step.PixTop};

  const Real speed = RampLeg(path, step, path.Travelled / diagonal);
  const Real t = path.Travelled + AdvancePerTick(path, speed);
  const Real k = MotionSlope(step.Angle);
  // Only |cos| and |sin| of the angle count; the signs come from DirX and DirY.
  Point point{Offset(step.OriginX, Round(step.DirX * std::sqrt(t * t / (k * k + 1)))), step.OriginY};
  if (k != 0) point.Y = Offset(step.OriginY, Round(step.DirY * std::sqrt(t * t / (1 / (k * k) + 1))));
  path.Moved = true;
  if (!advance) return point;

  const bool bounced = BounceOffBorders(step, point);
  Commit(path, point);
  path.Travelled = t;
  if (bounced) {
    step.OriginX = point.X;
    step.OriginY = point.Y;
    path.EndStep();
  }
  return point;
}

Point EvaluateLine(TMoving& path, TMovingStep& step, bool advance) {
  // From the first corner towards the second; from at or beyond it, back by the same
  // width and height.
  step.DirX = step.PixLeft < step.OriginX ? -1 : +1;
  step.DirY = step.PixTop < step.OriginY ? -1 : +1;
  path.NewJumpPending = true;

  const Real diagonal = Diagonal(step);
  if (diagonal == 0) {
    const Point corner{step.PixLeft, step.PixTop};
    path.DrawPercent = step.PercentFrom;
    path.Moved = true;
    if (advance) {
      Commit(path, corner);
      path.EndStep();
    }
    return corner;
  }

  const Real speed = RampLeg(path, step, path.Travelled / diagonal);
  const Real t = std::min(path.Travelled + AdvancePerTick(path, speed), diagonal);
  const Point point{Offset(step.OriginX, step.DirX * RoundedOffset(t / diagonal * Width(step))),
                    Offset(step.OriginY, step.DirY * RoundedOffset(t / diagonal * Height(step)))};
  path.Moved = true;
  if (advance) {
    path.Travelled = t;
    Commit(path, point);
    if (t >= diagonal) path.EndStep();
  }
  return point;
}

Point EvaluateHold(TMoving& path, TMovingStep& step, bool advance) {
  const std::int32_t n = path.TickInStep;
  const std::int32_t d = step.Duration;

  const bool scales_differ = step.ScaleXFrom != step.ScaleXTo || step.ScaleYFrom != step.ScaleYTo;
  if (d > 0 && scales_differ) {
    path.Moved = true;
    path.ScaleX = step.ScaleXFrom + (step.ScaleXTo - step.ScaleXFrom) * n / d;
    path.ScaleY = step.ScaleYFrom + (step.ScaleYTo - step.ScaleYFrom) * n / d;
  } else {
    path.ScaleX = step.ScaleXFrom;
    path.ScaleY = step.ScaleYFrom;
  }

  if (d > 0) {
    const Real span = static_cast<Real>(std::int64_t{step.PercentTo} - step.PercentFrom);
    path.DrawPercent = step.PercentFrom + span * n / d;
    if (step.PercentFrom != step.PercentTo || ShapeRampsDiffer(step)) path.Moved = true;
  } else {
    path.DrawPercent = step.PercentFrom;
  }

  const Point point{step.OriginX, step.OriginY};
  if (!step.Hidden && (path.PosX != point.X || path.PosY != point.Y)) path.Moved = true;
  if (d != 0 && n == 0) path.Moved = true;
  path.NewJumpPending = true;

  if (advance) {
    Commit(path, point);
    path.TickInStep = NextTick(n);
    if ((d < path.TickInStep && d != -1) || d == 1) path.EndStep();
  }
  return point;
}

Point EvaluateRandomJump(TMoving& path, TMovingStep& step, bool advance) {
  const std::int32_t n = path.TickInStep;
  const std::int32_t d = step.Duration;

  path.ScaleX = step.ScaleXFrom;
  path.ScaleY = step.ScaleYFrom;
  path.DrawPercent = step.PercentFrom;

  if (path.NewJumpPending) {
    DrawJumpPoint(step);
    path.NewJumpPending = false;
    path.Moved = true;
  }

  const Point point{step.JumpX, step.JumpY};
  if ((std::int64_t{n} + 1 > d && d != -1) || n == 0) path.Moved = true;

  if (advance) {
    Commit(path, point);
    path.TickInStep = NextTick(n);
    if (d < path.TickInStep && d != -1) {
      DrawJumpPoint(step);
      path.EndStep();
    }
  }
  return point;
}

}  // namespace velquora
