// Loading a scene of 200 sprites with 4 BMP frames each (32 x 32, 24 bits) through the
// container loader, from a compressed and from a plain container in memory, and the
// record reader alone on the decompressed records. The figure of interest is the time
// of one whole load.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "scene_file/container.h"
#include "scene_file/scene_reader.h"
#include "container_writer.h"
#include "core/memory_stream.h"
#include "platform/win/message_box.h"
#include "playback/scene.h"
#include "recording_message_boxes.h"
#include "scene_file/read_version.h"
#include "scene_writer.h"

namespace {

using namespace velquora;

constexpr int kSprites = 200;
constexpr int kFramesPerSprite = 4;
constexpr int kFrameSize = 32;

SceneSpec ManySprites() {
  SceneSpec scene;
  scene.BackgroundBmp = MakeTestBmp(320, 240, 1);
  for (int s = 0; s < kSprites; ++s) {
    SpriteSpec sprite;
    sprite.Windows = {{1, 500}};
    for (int f = 0; f < kFramesPerSprite; ++f) {
      FrameSpec frame;
      frame.Bmp = MakeTestBmp(kFrameSize, kFrameSize, static_cast<std::uint32_t>(s * kFramesPerSprite + f));
      frame.FileName = "frame.bmp";
      sprite.Frames.push_back(std::move(frame));
    }
    sprite.Moving.Steps = {StepSpec{}};
    scene.Sprites.push_back(std::move(sprite));
  }
  return scene;
}

const std::vector<std::uint8_t>& Records() {
  static const std::vector<std::uint8_t> records = WriteSceneRecords(ManySprites(), 16);
  return records;
}

std::vector<std::uint8_t> Container(bool compressed) {
  ContainerSpec design;
  design.Compressed = compressed;
  return WriteContainer(Records(), design);
}

void LoadContainer(benchmark::State& state, bool compressed) {
  const ScopedMessageBoxes quiet(std::make_shared<SilentMessageBoxes>());
  const std::vector<std::uint8_t> container = Container(compressed);
  for (auto _ : state) {
    TMemoryStream stream(container);
    TVelquoraScene scene;
    LoadSceneFromStream(scene, stream);
    if (scene.LoadFailed || scene.Sprites.size() != kSprites) state.SkipWithError("the scene did not load");
    benchmark::DoNotOptimize(scene.Sprites.data());
  }
  state.counters["container_bytes"] = static_cast<double>(container.size());
  state.counters["record_bytes"] = static_cast<double>(Records().size());
}

void BM_LoadCompressedContainer(benchmark::State& state) { LoadContainer(state, true); }
void BM_LoadPlainContainer(benchmark::State& state) { LoadContainer(state, false); }

void BM_ReadRecordsOnly(benchmark::State& state) {
  for (auto _ : state) {
    TMemoryStream stream(Records());
    const ScopedReadVersion version(16);
    TVelquoraScene scene;
    ReadSceneRecords(scene, stream);
    benchmark::DoNotOptimize(scene.Sprites.data());
  }
}

BENCHMARK(BM_LoadCompressedContainer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPlainContainer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRecordsOnly)->Unit(benchmark::kMillisecond);

}  // namespace
