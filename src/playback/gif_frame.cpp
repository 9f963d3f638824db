// A GIF frame plays its images in step with the scene's timer, not by its own clock:
// each Step counts one tick towards the next image.
#include "playback/gif_frame.h"

#include <algorithm>
#include <cstdint>

#include "playback/frame.h"
#include "playback/scene.h"
#include "playback/sprite.h"

namespace velquora {

namespace {

// numerator / denominator rounded to nearest, ties to even (both positive). Exact
// integers, so that a delay whose ticks lie half-way (2.5) rounds the same way always.
std::int64_t RoundQuotientHalfEven(std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t quotient = numerator / denominator;
  const std::int64_t twiceRemainder = 2 * (numerator % denominator);
  if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 != 0)) return quotient + 1;
  return quotient;
}

// The GIF composes each image onto the one before, so Picture must hold the composition
// so far. Until the first draw that is still the reader's first image, waiting in
// PendingPicture: it is taken over, so that an image rendered before the first draw
// is neither composed onto nothing nor replaced by the reader's picture at that draw.
void TakeOverReaderImage(TFrame& frame) {
  const TBitmap* pending = frame.PendingPicture.get();
  if (!frame.Picture.Empty() || pending == nullptr || pending->Width() <= 0 || pending->Height() <= 0) return;
  frame.Picture.Assign(*pending);
  frame.PendingPicture.reset();
}

void RenderNextImage(TFrame& frame, TGifFile& gif) {
  gif.RenderNext(frame.Picture);
  frame.Changed = true;
}

// One timer tick of a GIF frame.
void AdvanceByTick(TFrame& frame, TGifFile& gif) {
  const std::int32_t interval = SceneTimerInterval(frame);
  if (interval <= 0) {
    RenderNextImage(frame, gif);
    return;
  }
  const std::int32_t ticks = GifTicksPerImage(gif.FrameDelay(gif.LastRenderedIndex()), interval);
  if (ticks == 0) {
    RenderNextImage(frame, gif);
    return;
  }
  frame.AdvanceCount = std::max(frame.AdvanceCount, 0) + 1;
  if (frame.AdvanceCount < ticks) return;
  RenderNextImage(frame, gif);
  frame.AdvanceCount = 0;
}

}  // namespace

std::int32_t GifTicksPerImage(std::int32_t delay, std::int32_t timerInterval) {
  const std::int64_t hundredths = std::max(delay, kShortestGifDelay);
  // q = (100 / d) / (1000 / t) = t / (10 d); q > 1 exactly when t > 10 d.
  if (timerInterval > 10 * hundredths) return 0;
  // round(1 / q) = round(10 d / t); d is at most 65535, so this stays small.
  return static_cast<std::int32_t>(RoundQuotientHalfEven(10 * hundredths, timerInterval));
}

std::int32_t SceneTimerInterval(const TFrame& frame) {
  if (frame.Sprite == nullptr || frame.Sprite->Owner == nullptr) return 0;
  return frame.Sprite->Owner->TimerInterval;
}

void PrepareGifFrame(TFrame& frame, TGifFile& gif, std::int32_t imageIndex) {
  if (gif.FrameCount() <= 1) return;
  frame.Picture.Acquire();
  try {
    TakeOverReaderImage(frame);
    if (imageIndex == -1) {
      AdvanceByTick(frame, gif);
    } else {
      gif.Seek(imageIndex, frame.Picture);
      frame.Changed = true;
    }
  } catch (...) {
    frame.Picture.Store();
    throw;
  }
  // Stored after every update, so that a low-resource display can drop the pixels.
  frame.Picture.Store();
}

}  // namespace velquora
