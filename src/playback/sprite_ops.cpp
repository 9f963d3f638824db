// The sprite operations the scene's Step calls: the rectangle at the current position,
// visibility by the start/finish windows, the change test and drawing.
#include <cstddef>
#include <cstdint>

#include "core/rounding.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "playback/start_and_finish.h"

namespace velquora {

namespace {

// The step at the path's step index, normalised as GetStepIndex does (without storing
// the normalised index); null for a path without steps.
TMovingStep* CurrentStepOf(const TMoving& path) {
  if (path.Steps.empty()) return nullptr;
  const bool valid = path.StepIndex >= 0 && static_cast<std::size_t>(path.StepIndex) < path.Steps.size();
  return path.Steps[valid ? static_cast<std::size_t>(path.StepIndex) : 0].get();
}

// Moves the committed position one pixel to the left so that the path's next
// evaluation registers a change (wrapping instead of overflowing).
void NudgeLeft(TMoving& path) {
  path.PosX = static_cast<std::int32_t>(static_cast<std::uint32_t>(path.PosX) - 1u);
}

// Back to the start of the path and of the frame list.
void Rewind(TSprite& sprite) {
  TMoving& path = sprite.Moving();
  path.Travelled = 0;
  path.TickInStep = 0;
  path.SetStepIndex(0);
  sprite.FrameTicks = 0;
  sprite.SetFrameIndex(0);
  for (auto& frame : sprite.Frames()) frame->AdvanceCount = 0;
}

// Shows each window's first image again (animated frames only; still frames ignore it).
void RestartAnimations(TSprite& sprite) {
  for (auto& frame : sprite.Frames()) frame->Prepare(1);
}

// Whether the scene's current tick lies in one of the windows; a window starting at
// this tick restarts the animations.
bool InAnyWindow(TSprite& sprite, std::int32_t tick) {
  bool inside = false;
  for (const auto& window : sprite.StartFinish()) {
    if (window->StartTick <= tick && tick <= window->FinishTick) inside = true;
    if (window->StartTick == tick) RestartAnimations(sprite);
  }
  return inside;
}

bool PastCycleLimit(const TSprite& sprite) {
  const TMoving& path = sprite.ParentSprite != nullptr ? sprite.ParentSprite->Moving() : sprite.Moving();
  return path.CycleLimit >= 0 && path.CycleLimit < sprite.Owner->CyclesDone;
}

}  // namespace

TFrame* TSprite::CurrentFrame() {
  if (Frames().empty()) return nullptr;
  return Frames()[static_cast<std::size_t>(GetFrameIndex())].get();
}

TMovingStep* TSprite::CloneStep() const {
  TMovingStep* step = CurrentStepOf(Moving());
  return step != nullptr && step->Kind > static_cast<std::int32_t>(TStepKind::Hold) ? step : nullptr;
}

bool TSprite::InHiddenHold() const {
  const TMovingStep* step = CurrentStepOf(Moving());
  return step != nullptr && step->Kind == static_cast<std::int32_t>(TStepKind::Hold) && step->Hidden;
}

Rect TSprite::NewRect() {
  // Every rectangle the Step grows, merges and draws starts here: held within the
  // coordinate bound, its sides can be subtracted and united without overflow.
  const Point position = Moving().Evaluate(false);
  Rect rect{ClampCoordinate(position.X), ClampCoordinate(position.Y), 0, 0};
  if (const TFrame* frame = CurrentFrame()) {
    rect.Right = ClampCoordinate(std::int64_t{Round32(frame->Width * Moving().ScaleX)} + rect.Left);
    rect.Bottom = ClampCoordinate(std::int64_t{Round32(frame->Height * Moving().ScaleY)} + rect.Top);
  } else {
    rect.Right = ClampCoordinate(std::int64_t{rect.Left} + 1);
    rect.Bottom = ClampCoordinate(std::int64_t{rect.Top} + 1);
  }
  return rect;
}

Rect TSprite::RememberedNewRect() {
  if (!remembered_new_rect_) remembered_new_rect_ = NewRect();
  return *remembered_new_rect_;
}

bool TSprite::UpdateHidden() {
  bool hide = !InAnyWindow(*this, Owner->CurrentTick);
  if (StartFinish().empty()) hide = false;
  if (hide && !KeepStateWhenHidden) Rewind(*this);
  if (InHiddenHold()) hide = true;
  if (PastCycleLimit(*this)) hide = true;

  if (Hidden && !hide) {
    Hidden = false;
    NudgeLeft(Moving());
  } else if (!Hidden && hide) {
    NudgeLeft(Moving());  // Draw sets Hidden
  }
  return hide;
}

bool TSprite::ChangeTest(bool query) {
  TFrame* frame = CurrentFrame();
  if (frame == nullptr) return false;
  if (query) return Moving().Changed;
  if (frame->Animated && !Hidden) frame->Prepare(-1);
  const bool changed = Moving().Moved || CloneStep() != nullptr || frame->Changed;
  if (changed) Moving().Changed = true;
  return changed;
}

void TSprite::Draw(TBitmap& target) {
  CurrentRect = NewRect();
  if (Hidden) return;
  if (UpdateHidden()) {
    Hidden = true;
    return;
  }
  Drawn = true;
  if (Erased) SetErased(true);
  try {
    TFrame* frame = CurrentFrame();
    if (frame != nullptr && !InHiddenHold()) {
      const TMoving& path = Moving();
      frame->Draw(target, CurrentRect.Left, path.ScaleX, path.ScaleY, CurrentRect.Top, Owner->ScreenWidth,
                  Owner->ScreenHeight, path.DrawPercent);
    }
  } catch (...) {
    // A frame that cannot be drawn leaves its area as it is; the sprite counts as drawn.
  }
}

}  // namespace velquora
