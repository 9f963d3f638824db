#include "playback/frame.h"

#include "media/media_player.h"
#include "playback/scene.h"
#include "playback/sprite.h"

namespace velquora {

TFrame::TFrame(TSprite* sprite) : Sprite(sprite) {}

TFrame::~TFrame() {
  // The scene's player may be playing this frame's clip sound, whose copy goes with the
  // clip: the player lets go of its file first.
  if (Sprite == nullptr || Sprite->Owner == nullptr || !Sprite->Owner->Player) return;
  try {
    Sprite->Owner->Player->FileName.clear();
    Sprite->Owner->Player->Close();
  } catch (...) {
  }
}

}  // namespace velquora
