#include "scene_file/sprite_reader.h"

#include "playback/sprite.h"

namespace velquora {

void ReadSpriteRecord(TSprite& /*sprite*/, TStream& /*stream*/) {}
void ReadFrameRecord(TFrame& /*frame*/, TStream& /*stream*/) {}
void ReadMovingRecord(TMoving& /*moving*/, TStream& /*stream*/, TSprite& /*sprite*/) {}
void ReadMovingStepRecord(TMovingStep& /*step*/, TStream& /*stream*/, TVelquoraScene& /*scene*/,
                          TSprite* /*sprite*/) {}
AnsiString DeriveSpriteName(const TSprite& /*sprite*/) { return {}; }

}  // namespace velquora
