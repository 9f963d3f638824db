// Arbitrary bytes as a scene record stream. The first byte picks the version index (low
// four bits, plus one), clears LoadSprites (bit 4) and makes free resources low (bit 5);
// the rest is the stream. Reading may only succeed or raise a velquora::Exception.
// Embedded audio goes to a temporary directory of the fuzzer's own, and every copy must
// be gone once the scene is destroyed.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include "fuzz_determinism.h"
#include "scene_file/scene_reader.h"
#include "core/exceptions.h"
#include "core/memory_stream.h"
#include "fuzz_temp_directory.h"
#include "platform/system/resource_probe.h"
#include "playback/scene.h"
#include "scene_file/read_version.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  velquora::UseOwnTemporaryDirectory("fuzz_scene_reader");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  using namespace velquora;
  if (size == 0) return 0;
  const std::int32_t version = 1 + (data[0] & 0x0F);
  const ScopedResourceFigure resources((data[0] & 0x20) != 0 ? 14 : 100);
  const ScopedReadVersion scoped(version);
  TMemoryStream stream(std::span<const std::uint8_t>(data + 1, size - 1));
  {
    TVelquoraScene scene;
    scene.LoadSprites = (data[0] & 0x10) == 0;
    try {
      ReadSceneRecords(scene, stream);
    } catch (const Exception&) {
    }
  }
  if (!std::filesystem::is_empty(OwnTemporaryDirectory())) std::abort();  // a copy outlived its scene
  return 0;
}
