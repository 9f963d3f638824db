// The sprite's frame animation as its path's advancing evaluation drives it.
#include <cstddef>
#include <cstdint>
#include <limits>

#include "media/gif/gif_file.h"
#include "playback/frame.h"
#include "playback/sprite.h"

namespace velquora {

namespace {

// The rule by which a frame moves on: still frames count ticks, animations move on
// when they wrap.
enum class TFrameAdvance { Still, Gif };

TFrameAdvance AdvanceRuleOf(TFrame& frame) {
  const bool gif = frame.AnimationKind == static_cast<std::int32_t>(TPayloadKind::Gif);
  if (frame.Animated && gif && frame.GifAnimation() != nullptr) return TFrameAdvance::Gif;
  // Frames have no AVI source yet, so an AVI payload has no animation and its frame
  // advances as a still frame, as any animated frame without an animation does.
  return TFrameAdvance::Still;
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
      return true;
    }
    case TFrameAdvance::Still:
      break;
  }
  if (FrameTicks < std::numeric_limits<std::int32_t>::max()) ++FrameTicks;
  if (frame.Duration > FrameTicks) return false;
  FrameTicks = 0;
  SetFrameIndex(GetFrameIndex() + 1);
  return false;
}

}  // namespace velquora
