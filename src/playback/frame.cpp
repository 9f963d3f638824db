#include "playback/frame.h"

namespace velquora {

TFrame::TFrame(TSprite* sprite) : Sprite(sprite) {}

TFrame::~TFrame() = default;

}  // namespace velquora
