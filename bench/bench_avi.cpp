// AVI clips: pictures per second that the AVI library delivers for a 640 x 480 clip
// (MJPEG and Microsoft Video 1, played on picture by picture), and the cost of one scene
// Step with a full-screen 1920 x 1080 MJPEG clip on a single-frame sprite, one new
// picture every Step (25 pictures per second at TimerInterval 40). The clips are made
// with the ffmpeg command into a temporary folder before the benchmarks run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/memory_stream.h"
#include "media/avi_image.h"
#include "platform/gdi/bitmap.h"
#include "platform/system/tick_count.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "scene_builder.h"

namespace {

using namespace velquora;
namespace fs = std::filesystem;

// A folder of the run's own for the generated clips and the clips' temporary copies.
const fs::path& Folder() {
  static const fs::path folder = [] {
    std::string pattern = (fs::temp_directory_path() / "bench_avi_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    setenv("TMPDIR", pattern.c_str(), 1);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(Folder(), ignored);
    });
    return fs::path(pattern);
  }();
  return folder;
}

// testsrc2 pictures of the given size, 25 per second, encoded with codec.
fs::path MakeClip(const std::string& name, const std::string& size, double seconds, const std::string& codec) {
  const fs::path path = Folder() / name;
  if (fs::exists(path)) return path;
  const std::string command = "ffmpeg -loglevel error -y -f lavfi -i testsrc2=size=" + size +
                              ":rate=25:duration=" + std::to_string(seconds) + " " + codec + " '" + path.string() + "'";
  if (std::system(command.c_str()) != 0 || !fs::exists(path)) std::abort();
  return path;
}

void DecodeOnward(benchmark::State& state, const std::string& codec) {
  const fs::path clip = MakeClip("decode" + std::to_string(state.range(0)) + ".avi", "640x480", 4, codec);
  avifile::TAviFile file(clip);
  auto reader = file.OpenFrameReader(0);
  const std::int32_t count = file.StreamInfo(0).Length;
  std::int32_t position = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(reader->GetFrame(position).data());
    position = (position + 1) % count;
  }
  state.SetItemsProcessed(state.iterations());  // pictures: items_per_second is pictures per second
}

void BM_DecodeMjpeg640x480(benchmark::State& state) { DecodeOnward(state, "-c:v mjpeg -q:v 3"); }
BENCHMARK(BM_DecodeMjpeg640x480)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_DecodeMsVideo1_640x480(benchmark::State& state) { DecodeOnward(state, "-c:v msvideo1"); }
BENCHMARK(BM_DecodeMsVideo1_640x480)->Arg(1)->Unit(benchmark::kMillisecond);

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void BM_StepFullScreenClip1920x1080(benchmark::State& state) {
  const fs::path clip = MakeClip("screen.avi", "1920x1080", 4, "-c:v mjpeg -q:v 3");
  ScopedVirtualClock clock;
  TVelquoraScene scene;
  scene.TimerInterval = 40;
  TSprite& sprite = scene.AddSprite();
  sprite.Moving().AbsoluteCoords = true;
  sprite.Moving().AddStep(HoldAt({0, 0}), &sprite);
  TFrame& frame = sprite.AddFrame();
  frame.Animated = true;
  frame.AnimationKind = static_cast<std::int32_t>(TPayloadKind::Avi);
  TAVIImage& avi = *frame.Animation.emplace<std::unique_ptr<TAVIImage>>(std::make_unique<TAVIImage>());
  const std::vector<std::uint8_t> bytes = FileBytes(clip);
  TMemoryStream form;
  WriteShortString(form, "screen.avi");
  WriteInt32(form, static_cast<std::int32_t>(bytes.size()));
  form.WriteBuffer(bytes.data(), bytes.size());
  form.SetPosition(0);
  avi.LoadFromStream(form);
  if (!avi.GetFrame(1, *frame.PendingPicture)) std::abort();
  frame.Width = 1920;
  frame.Height = 1080;
  PrepareScene(scene, 1920, 1080, RGB(0, 0, 0));
  TBitmap target(1920, 1080, PixelFormat::Bits32);
  scene.TargetBitmap = &target;
  scene.Restart();
  std::uint32_t now = 0;
  std::int64_t changed = 0;
  for (auto _ : state) {
    now += 40;
    clock.Set(now);
    const std::int32_t before = avi.CurrentFrame;
    scene.Step();
    if (avi.CurrentFrame != before) ++changed;
  }
  state.counters["new_pictures"] = benchmark::Counter(static_cast<double>(changed) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_StepFullScreenClip1920x1080)->Unit(benchmark::kMillisecond);

}  // namespace
