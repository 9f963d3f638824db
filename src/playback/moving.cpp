#include "playback/moving.h"

namespace velquora {

TMoving::TMoving(TVelquoraScene& scene) : Scene(&scene) {}

TMoving::~TMoving() = default;

std::int32_t TMoving::GetStepIndex() {
  if (StepIndex < 0 || static_cast<std::size_t>(StepIndex) >= Steps.size()) StepIndex = 0;
  return StepIndex;
}

void TMoving::SetStepIndex(std::int32_t index) {
  StepIndex = index;
  GetStepIndex();
}

std::size_t TMoving::AddStep(const TMovingStepValues& values, TSprite* sprite) {
  Steps.push_back(std::make_unique<TMovingStep>(this));
  AssignStep(*Steps.back(), values, sprite);
  return Steps.size() - 1;
}

void TMoving::AssignStep(TMovingStep& step, const TMovingStepValues& values, TSprite* sprite) {
  static_cast<TMovingStepValues&>(step) = values;
  step.Prepare(*Scene, sprite);
  PosX = step.OriginX;
  PosY = step.OriginY;
}

void TMoving::Prepare(TSprite* sprite) {
  for (auto& step : Steps) {
    const TMovingStepValues own = *step;
    AssignStep(*step, own, sprite);
  }
  PosX = static_cast<std::int32_t>(static_cast<std::uint32_t>(PosX) + 1u);  // wraps, never overflows
}

}  // namespace velquora
