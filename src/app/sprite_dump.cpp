#include "app/sprite_dump.h"

#include "playback/sprite.h"

namespace velquora {

void WriteSpriteJson(JsonWriter& json, const TSprite& sprite) {
  json.BeginObject();
  json.Field("Name", std::string_view(sprite.Name));
  json.EndObject();
}

}  // namespace velquora
