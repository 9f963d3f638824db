#pragma once
// The AVI clip of a frame during playback: which clip picture is due after the time that
// has passed since the clip started, and showing it in the frame's Picture.
#include <cstdint>

#include "core/real48.h"
#include "media/avi_image.h"

namespace velquora {

class TFrame;

// The clip picture due elapsed milliseconds after the clip started at rate pictures per
// second: round(elapsed / (1000 / rate)), ties to even. rate must be positive.
std::int64_t AviFrameDue(std::uint32_t elapsed, std::int32_t rate);

// Moves an AVI frame on: imageIndex -1 to the picture due by the clip's clock, any other
// value shows that picture. Sets frame.Changed when a new picture was asked for. Picture
// ends as 24 bits per pixel and stored, also when an exception passes to the caller.
void PrepareAviFrame(TFrame& frame, TAVIImage& avi, std::int32_t imageIndex);

// Shows the clip's picture 1 again, keeping the player that is to start its sound, and
// clears the wrapped flag. Nothing for a frame without a clip.
void RewindAviFrame(TFrame& frame);

}  // namespace velquora
