// Arbitrary bytes as one sprite record. The first byte picks the version index (low four
// bits, plus one) and whether free resources are low (bit 4); the rest is the record.
// Reading may only succeed or raise a velquora::Exception; the read sprite's path is then
// prepared again as the scene's preparation would.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/exceptions.h"
#include "core/memory_stream.h"
#include "fuzz_determinism.h"
#include "platform/system/resource_probe.h"
#include "playback/moving.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "scene_file/read_version.h"
#include "scene_file/sprite_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  using namespace velquora;
  if (size == 0) return 0;
  const std::int32_t version = 1 + (data[0] & 0x0F);
  ScopedResourceFigure resources((data[0] & 0x10) != 0 ? 11 : 100);
  ScopedReadVersion scoped(version);
  TMemoryStream stream(std::span<const std::uint8_t>(data + 1, size - 1));
  TVelquoraScene scene;
  TSprite sprite(scene);
  try {
    ReadSpriteRecord(sprite, stream);
  } catch (const Exception&) {
  }
  sprite.Moving().Prepare(&sprite);
  return 0;
}
