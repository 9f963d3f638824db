#pragma once
// Readers of the sprite, frame, moving path and moving step records of the scene record
// stream. Fields present only from some file version on are read according to
// ReadVersion(); every read is exact and a short stream raises EReadError.
#include <cstdint>

#include "core/ansi_text.h"
#include "core/stream.h"

namespace velquora {

class TVelquoraScene;
class TSprite;
class TFrame;
class TMoving;
class TMovingStep;

// Reads one sprite record into a freshly constructed sprite.
void ReadSpriteRecord(TSprite& sprite, TStream& stream);
// Reads one frame record into a frame made by the sprite's AddFrame.
void ReadFrameRecord(TFrame& frame, TStream& stream);
// Reads a moving path record; each step is prepared with the path's scene and sprite.
void ReadMovingRecord(TMoving& moving, TStream& stream, TSprite& sprite);
// Reads one moving step record and prepares the step.
void ReadMovingStepRecord(TMovingStep& step, TStream& stream, TVelquoraScene& scene,
                          TSprite* sprite);

// The name a sprite without a stored name gets from its frames: the bare file name
// without extension of the first picture-file frame, or the animation name of the first
// animation frame, whichever comes first; empty when there is neither.
AnsiString DeriveSpriteName(const TSprite& sprite);

}  // namespace velquora
