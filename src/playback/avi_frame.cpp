// An AVI frame plays its clip by the clip's own clock: the picture shown is the one due
// after the milliseconds that have passed since the clip (re)started.
#include "playback/avi_frame.h"

#include "core/rounding.h"
#include "platform/system/tick_count.h"
#include "playback/frame.h"
#include "playback/sprite.h"

namespace velquora {

namespace {

// Single-frame sprites loop their clip; sprites with more frames move on instead.
bool SpriteHasOneFrameAtMost(const TFrame& frame) {
  return frame.Sprite == nullptr || frame.Sprite->Frames().size() <= 1;
}

void AdvanceByClock(TFrame& frame, TAVIImage& avi) {
  frame.Changed = false;
  if (avi.Rate <= 0) {
    avi.NextFrame(frame.Picture);
    frame.Changed = true;
    return;
  }
  const std::int64_t due = AviFrameDue(TickCount() - avi.StartTime, avi.Rate);
  if (due == avi.CurrentFrame) return;
  if (due <= 1) {
    avi.NextFrame(frame.Picture);
    frame.Changed = true;
  } else if (due <= avi.FrameCount) {
    avi.GetFrame(static_cast<std::int32_t>(due), frame.Picture);
    frame.Changed = true;
  } else if (avi.CurrentFrame == 1) {
    // Past the end with picture 1 showing: the clip starts again (clock and sound).
    avi.GetFrame(1, frame.Picture);
  } else {
    avi.SetWrapped(true);
    if (SpriteHasOneFrameAtMost(frame)) avi.GetFrame(1, frame.Picture);
  }
}

// Pictures are drawn at 24 bits whatever the clip delivers, and stored after every update.
void FinishPicture(TFrame& frame) {
  frame.Picture.SetPixelFormat(PixelFormat::Bits24);
  frame.Picture.Store();
}

}  // namespace

std::int64_t AviFrameDue(std::uint32_t elapsed, std::int32_t rate) {
  // In extended precision, as the scene's reals: 1000 / rate is not exact for most rates.
  const Real period = static_cast<Real>(1000) / static_cast<Real>(rate);
  return Round(static_cast<Real>(elapsed) / period);
}

void PrepareAviFrame(TFrame& frame, TAVIImage& avi, std::int32_t imageIndex) {
  frame.Picture.Acquire();
  (void)avi.Wrapped();
  try {
    if (imageIndex == -1) {
      AdvanceByClock(frame, avi);
    } else {
      avi.GetFrame(imageIndex, frame.Picture);
      frame.Changed = true;
      (void)avi.Wrapped();
    }
  } catch (...) {
    FinishPicture(frame);
    throw;
  }
  FinishPicture(frame);
}

void RewindAviFrame(TFrame& frame) {
  TAVIImage* avi = frame.Animated ? frame.AviAnimation() : nullptr;
  if (avi == nullptr) return;
  TMediaPlayer* player = avi->Player;
  frame.Picture.Acquire();
  avi->GetFrame(1, frame.Picture);
  avi->Player = player;
  (void)avi->Wrapped();
  FinishPicture(frame);
}

}  // namespace velquora
