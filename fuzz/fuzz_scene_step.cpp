// Arbitrary bytes as a scene played headless: the first two bytes choose the screen
// size (1 .. 96 pixels each way), the rest is a scene container. After the load the
// scene is restarted and stepped twelve times into a target bitmap, with the generator
// seeded from the input and the clock virtual as in a traced run. Nothing may crash
// or escape, no Step may leave its guard set, and the counters must keep their ranges.
// Seeds: build/tools/write_sample_saver --seeds DIRECTORY and
// build/tools/write_demo_saver --container-only FILE, each with two size bytes in front.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "scene_file/container.h"
#include "core/memory_stream.h"
#include "fuzz_determinism.h"
#include "fuzz_temp_directory.h"
#include "platform/gdi/bitmap.h"
#include "playback/scene.h"
#include "recording_message_boxes.h"

namespace {

constexpr int kSteps = 12;
constexpr int kMaxSide = 96;

void CheckCounters(const velquora::TVelquoraScene& scene, std::int32_t steps_before, std::int32_t runs_before) {
  if (scene.InStep) std::abort();
  const std::int32_t expected = runs_before == 0 ? steps_before : steps_before + 1;
  if (scene.StepCount != expected) std::abort();
  if (scene.CurrentTick < 1 || (scene.CycleLength >= 1 && scene.CurrentTick > scene.CycleLength)) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  velquora::UseOwnTemporaryDirectory("fuzz_scene_step");
  velquora::SetMessageBoxes(std::make_shared<velquora::SilentMessageBoxes>());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velquora;
  FuzzDeterminism determinism(data, size);
  if (size < 2) return 0;
  const int width = 1 + data[0] % kMaxSide;
  const int height = 1 + data[1] % kMaxSide;
  TMemoryStream stream(std::span<const std::uint8_t>(data + 2, size - 2));
  TVelquoraScene scene;
  scene.ScreenWidth = width;
  scene.ScreenHeight = height;
  LoadSceneFromStream(scene, stream);
  if (scene.LoadFailed) return 0;
  if (scene.BackgroundBitmap.Width() != width || scene.BackgroundBitmap.Height() != height) std::abort();

  TBitmap target(width, height);
  scene.TargetBitmap = &target;
  scene.SoundEnabled = false;
  scene.Restart();
  for (int step = 0; step < kSteps; ++step) {
    const std::int32_t steps_before = scene.StepCount;
    const std::int32_t runs_before = scene.RunsLeft;
    determinism.Clock().Set((static_cast<std::uint32_t>(step) + 1u) * static_cast<std::uint32_t>(scene.TimerInterval));
    scene.Step();
    CheckCounters(scene, steps_before, runs_before);
  }
  return 0;
}
