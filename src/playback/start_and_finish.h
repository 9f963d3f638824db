#pragma once
// TStartAndFinish: one visibility window of a sprite, in ticks of the scene cycle.
#include <cstdint>

namespace velquora {

class TSprite;

class TStartAndFinish {
public:
  explicit TStartAndFinish(TSprite* sprite = nullptr) : Sprite(sprite) {}

  std::int32_t StartTick = 1;   // first tick of the cycle in which the sprite shows (reader)
  std::int32_t FinishTick = 3;  // last tick, inclusive (reader)
  TSprite* Sprite = nullptr;    // the sprite whose list holds this window; not owned
};

}  // namespace velquora
