#include "playback/sprite.h"

#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/start_and_finish.h"

namespace velquora {

TSprite::TSprite(TVelquoraScene& scene)
    : Owner(&scene),
      own_frames_(std::make_unique<TFrameList>()),
      own_start_finish_(std::make_unique<TStartFinishList>()),
      frames_(own_frames_.get()),
      start_finish_(own_start_finish_.get()),
      moving_(std::make_unique<TMoving>(scene)) {
  moving_->Sprite = this;
}

TSprite::TSprite(TVelquoraScene& scene, TSprite& parent)
    : ParentSprite(&parent),
      Owner(&scene),
      frames_(&parent.Frames()),
      start_finish_(&parent.StartFinish()),
      moving_(std::make_unique<TMoving>(scene)) {
  moving_->Sprite = this;
}

TSprite::~TSprite() = default;

TFrame& TSprite::AddFrame() {
  frames_->push_back(std::make_unique<TFrame>(this));
  return *frames_->back();
}

void TSprite::DeleteFrame(std::size_t index) {
  if (index < frames_->size()) frames_->erase(frames_->begin() + static_cast<std::ptrdiff_t>(index));
}

TStartAndFinish& TSprite::AddStartFinish() {
  start_finish_->push_back(std::make_unique<TStartAndFinish>(this));
  return *start_finish_->back();
}

std::int32_t TSprite::GetFrameIndex() const {
  const auto count = static_cast<std::int64_t>(frames_->size());
  if (FrameIndex >= 0 && FrameIndex < count) return FrameIndex;
  return static_cast<std::int32_t>(count - 1);
}

void TSprite::SetFrameIndex(std::int32_t index) {
  const auto count = static_cast<std::int64_t>(frames_->size());
  FrameIndex = (index >= 0 && index < count) ? index : 0;
}

void TSprite::SetErased(bool flag) {
  Erased = flag;
  if (flag && Drawn) DrawnRect = CurrentRect;
}

TEffectSprite::TEffectSprite(TSprite& parent) : TSprite(*parent.Owner, parent) {}

TEffectSprite::~TEffectSprite() = default;

}  // namespace velquora
