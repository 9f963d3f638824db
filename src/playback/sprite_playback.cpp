// The sprite's frame animation as its path's advancing evaluation drives it.
#include <cstddef>
#include <cstdint>
#include <limits>

#include "media/gif/gif_file.h"
#include "playback/avi_frame.h"
#include "playback/frame.h"
#include "playback/sprite.h"

namespace velquora {

namespace {

// The rule by which a frame moves on: still frames count ticks, animations move on
// when they wrap.
enum class TFrameAdvance { Still, Gif, Avi };

TFrameAdvance AdvanceRuleOf(TFrame& frame) {
  const bool gif = frame.AnimationKind == static_cast<std::int32_t>(TPayloadKind::Gif);
  const bool avi = frame.AnimationKind == static_cast<std::int32_t>(TPayloadKind::Avi);
  if (frame.Animated && gif && frame.GifAnimation() != nullptr) return TFrameAdvance::Gif;
  if (frame.Animated && avi && frame.AviAnimation() != nullptr) return TFrameAdvance::Avi;
  // Any other animated frame without an animation advances as a still frame.
  return TFrameAdvance::Still;
}

// A clip that becomes the current frame starts from its first picture.
void RewindCurrentAviFrame(TSprite& sprite) {
  if (TFrame* frame = sprite.CurrentFrame()) RewindAviFrame(*frame);
}

}  // namespace

bool TSprite::AdvanceFrame() {
  if (Frames().empty()) return false;
  TFrame& frame = *Frames()[static_cast<std::size_t>(GetFrameIndex())];
  switch (AdvanceRuleOf(frame)) {
    case TFrameAdvance::Gif: {
      TGifFile& gif = *frame.GifAnimation();
      if (!gif.Wrapped()) return false;
      FrameTicks = 0;
      SetFrameIndex(GetFrameIndex() + 1);
      gif.SetNextFrameIndex(1);
      RewindCurrentAviFrame(*this);
      return true;
    }
    case TFrameAdvance::Avi: {
      TAVIImage& avi = *frame.AviAnimation();
      if (!avi.Wrapped()) return false;
      FrameTicks = 0;
      SetFrameIndex(GetFrameIndex() + 1);
      avi.SetWrapped(false);
      RewindCurrentAviFrame(*this);
      return true;
    }
    case TFrameAdvance::Still:
      break;
  }
  if (FrameTicks < std::numeric_limits<std::int32_t>::max()) ++FrameTicks;
  if (frame.Duration > FrameTicks) return false;
  FrameTicks = 0;
  SetFrameIndex(GetFrameIndex() + 1);
  RewindCurrentAviFrame(*this);
  return false;
}

}  // namespace velquora
