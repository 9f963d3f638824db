#pragma once
// The sprite part of the scene dump: a sprite with its windows, frames and path as one
// JSON object.
#include "core/json_writer.h"

namespace velquora {

class TSprite;

void WriteSpriteJson(JsonWriter& json, const TSprite& sprite);

}  // namespace velquora
