#pragma once
// Test-support builder of scenes in memory, for playback tests and benchmarks: sprites
// with solid or patterned pictures on paths of hold, line and bounce steps, placed in
// pixels. The pictures go where the reader puts them (the frame's pending picture and
// natural size), so drawing rasterises them as it does for a loaded scene.
#include <cstdint>

#include "core/geometry.h"
#include "core/real48.h"
#include "platform/gdi/bitmap.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"

namespace velquora {

// A width x height 24-bit picture of one colour.
TBitmap SolidPicture(int width, int height, TColor color);
// A picture of one colour with a frame of another colour one pixel wide around it.
TBitmap FramedPicture(int width, int height, TColor inside, TColor edge);

// Appends a frame holding picture to the sprite (the frame's natural size is the
// picture's).
TFrame& AddPictureFrame(TSprite& sprite, const TBitmap& picture);

// Step values in pixels.
TMovingStepValues HoldAt(Point at, std::int32_t duration = -1);
TMovingStepValues LineFrom(Point from, Point to, Real speed);
TMovingStepValues BounceIn(const Rect& area, Point start, std::int32_t angle, Real speed);

// Appends a sprite whose path (in pixels) holds the one step and whose one frame shows
// picture.
TSprite& AddSprite(TVelquoraScene& scene, const TBitmap& picture, const TMovingStepValues& step);

// Sizes the playing area and paints the background one colour (a painted background
// whose gradient runs from that colour to itself), then prepares the scene.
void PrepareScene(TVelquoraScene& scene, int width, int height, TColor background);

}  // namespace velquora
