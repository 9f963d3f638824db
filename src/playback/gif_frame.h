#pragma once
// The GIF animation of a frame during playback: how many timer ticks each GIF image
// stays, and moving the GIF on in step with the scene's timer.
#include <cstdint>

#include "media/gif/gif_file.h"

namespace velquora {

class TFrame;

// Delays below this many hundredths of a second count as this value.
inline constexpr std::int32_t kShortestGifDelay = 5;

// The ticks one GIF image stays on screen when it may show for delay hundredths of a
// second and the timer ticks every timerInterval milliseconds: 0 when the image is due
// faster than the timer (a new image every tick, at most one), otherwise
// round(1 / q) with q = (100 / delay) / (1000 / timerInterval) images per tick,
// rounded to nearest with ties to even. timerInterval must be positive.
std::int32_t GifTicksPerImage(std::int32_t delay, std::int32_t timerInterval);

// The timer interval of the scene the frame plays in, or 0 when it has none.
std::int32_t SceneTimerInterval(const TFrame& frame);

// Moves a GIF frame on: imageIndex -1 by one timer tick (a new image once enough ticks
// have been counted in AdvanceCount), any other value shows that image (1 = first).
// Sets frame.Changed when Picture received a new image. A GIF of one image never
// changes. Exceptions pass to the caller after Picture has been stored.
void PrepareGifFrame(TFrame& frame, TGifFile& gif, std::int32_t imageIndex);

}  // namespace velquora
