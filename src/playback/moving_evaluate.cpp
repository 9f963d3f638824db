// TMoving::Evaluate: the per-tick frame around the motion rules (the step's pixel
// rectangle, step ending, screen fitting, the hot spot, frame advance and the change
// flags).
#include <algorithm>
#include <cstddef>

#include "core/rounding.h"
#include "playback/frame.h"
#include "playback/motion_rules.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"

namespace velquora {

namespace {

// The step's Area in pixels, recomputed at every evaluation so that a change of the
// screen size takes effect at once.
void ComputePixelArea(const TMoving& path, TMovingStep& step) {
  if (path.AbsoluteCoords) {
    step.PixLeft = Round32(step.AreaLeft);
    step.PixTop = Round32(step.AreaTop);
    step.PixRight = Round32(step.AreaRight);
    step.PixBottom = Round32(step.AreaBottom);
    return;
  }
  const std::int32_t width = path.Scene->ScreenWidth;
  const std::int32_t height = path.Scene->ScreenHeight;
  step.PixLeft = Round32(step.AreaLeft * width / 100);
  step.PixTop = Round32(step.AreaTop * height / 100);
  step.PixRight = Round32(step.AreaRight * width / 100);
  step.PixBottom = Round32(step.AreaBottom * height / 100);
}

// A path without steps stands at (0, 0).
Point EvaluateWithoutSteps(TMoving& path, bool advance) {
  const Point origin{};
  if (path.PosX != origin.X || path.PosY != origin.Y) path.Moved = true;
  if (advance) {
    path.PosX = origin.X;
    path.PosY = origin.Y;
  }
  return origin;
}

Point EvaluateCurrentStep(TMoving& path, bool advance) {
  TMovingStep& step = *path.Steps[static_cast<std::size_t>(path.GetStepIndex())];
  ComputePixelArea(path, step);
  switch (static_cast<TStepKind>(step.Kind)) {
    case TStepKind::Bounce: return EvaluateBounce(path, step, advance);
    case TStepKind::Line: return EvaluateLine(path, step, advance);
    case TStepKind::Hold: return EvaluateHold(path, step, advance);
    case TStepKind::RandomJump: return EvaluateRandomJump(path, step, advance);
    default:
      // Stream and burst steps move only their clones; the path keeps its place.
      return {path.PosX, path.PosY};
  }
}

// Scales that make a width x height frame fill the screen, or fit inside it with one
// common scale when KeepAspect is set. A frame without a size keeps the step's scales.
void FitToScreen(TMoving& path, std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return;
  const Real screen_width = path.Scene->ScreenWidth;
  const Real screen_height = path.Scene->ScreenHeight;
  if (!path.KeepAspect) {
    path.ScaleX = screen_width / width;
    path.ScaleY = screen_height / height;
  } else if (screen_height >= screen_width / width * height) {
    path.ScaleX = path.ScaleY = screen_width / width;
  } else {
    path.ScaleX = path.ScaleY = screen_height / height;
  }
}

// How far the anchor lies from the drawn frame's top-left corner.
Point HotSpotOffset(const TMoving& path, std::int32_t width, std::int32_t height) {
  if (!path.HotSpotInPercent) return {path.HotSpotX, path.HotSpotY};
  return {Round32(width * path.ScaleX * path.HotSpotX / 100), Round32(height * path.ScaleY * path.HotSpotY / 100)};
}

// Fitting, hot spot and frame advance for a sprite with frames; the point comes back
// moved by the hot spot.
Point PlaceSprite(TMoving& path, Point point, bool advance) {
  TSprite* sprite = path.Sprite;
  if (sprite == nullptr || sprite->Frames().empty()) return point;
  const TFrame& frame = *sprite->Frames()[static_cast<std::size_t>(sprite->GetFrameIndex())];
  if (path.FitToScreen) FitToScreen(path, frame.Width, frame.Height);
  const Point anchor = HotSpotOffset(path, frame.Width, frame.Height);
  const Point placed{Saturate32(std::int64_t{point.X} - anchor.X), Saturate32(std::int64_t{point.Y} - anchor.Y)};

  if (sprite->Frames().size() > 1) {
    // The still frame is about to change.
    if (frame.Duration <= std::int64_t{sprite->FrameTicks} + 1) path.Moved = true;
    if (advance && sprite->AdvanceFrame()) path.Moved = true;
  }
  return placed;
}

}  // namespace

Point TMoving::Evaluate(bool advance) {
  Moved = false;
  const Point point = Steps.empty() ? EvaluateWithoutSteps(*this, advance) : EvaluateCurrentStep(*this, advance);
  const Point position = PlaceSprite(*this, point, advance);
  if (advance) Changed = false;
  if (Moved) Changed = true;
  return position;
}

void TMoving::EndStep() {
  Travelled = 0;
  TickInStep = 0;
  const auto next = static_cast<std::int64_t>(StepIndex) + 1;
  StepIndex = next < static_cast<std::int64_t>(Steps.size()) && next > 0 ? static_cast<std::int32_t>(next) : 0;
}

}  // namespace velquora
