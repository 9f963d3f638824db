// Arbitrary bytes as a scene container (and as a whole saver file for the checksum
// pass). Loading must never let an exception escape or crash: it either succeeds or
// sets LoadFailed, and ReadVersion is the newest version afterwards. Message boxes are
// answered silently. Embedded audio goes to a temporary directory of the fuzzer's own.
// Seeds: build/tools/write_sample_saver --seeds DIRECTORY.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "fuzz_determinism.h"
#include "scene_file/container.h"
#include "core/memory_stream.h"
#include "fuzz_temp_directory.h"
#include "host/saver_checksum.h"
#include "playback/scene.h"
#include "recording_message_boxes.h"
#include "scene_file/read_version.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  velquora::UseOwnTemporaryDirectory("fuzz_container");
  velquora::SetMessageBoxes(std::make_shared<velquora::SilentMessageBoxes>());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  using namespace velquora;
  const std::span<const std::uint8_t> bytes(data, size);
  {
    TMemoryStream stream(bytes);
    TVelquoraScene scene;
    LoadSceneFromStream(scene, stream);
    if (ReadVersion() != kNewestReadVersion) std::abort();
    if (!scene.LoadFailed && (scene.FileVersion < 1 || scene.FileVersion > 16)) std::abort();
  }
  if (!std::filesystem::is_empty(OwnTemporaryDirectory())) std::abort();  // a copy outlived its scene

  TMemoryStream file(bytes);
  const SaverFileChecksum checksum = ComputeSaverFileChecksum(file);
  if (checksum.Chunks > size / kChecksumChunkSize + 1) std::abort();
  return 0;
}
