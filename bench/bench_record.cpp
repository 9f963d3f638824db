// Recording the demo scene at 1280 x 720 into H.264 and VP9: video frames per second of
// the whole run (headless Steps, conversion, encoding, writing). Faster than the scene's
// own 20 frames per second means a recording takes less time than watching it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "app/record.h"
#include "core/random.h"
#include "demo_scene.h"
#include "saver_writer.h"

namespace {

using namespace velquora;
namespace fs = std::filesystem;

constexpr std::int32_t kTicks = 100;

void RecordDemo(benchmark::State& state, const char* extension) {
  const fs::path directory = fs::temp_directory_path() / "bench_record";
  fs::create_directories(directory);
  const fs::path saver = directory / "demo.scr";
  WriteFileBytes(saver, WriteDemoSaverFile());
  SetFixedSeed(1);
  RecordOptions options;
  options.Screen = ScreenSize{1280, 720};
  options.Ticks = kTicks;
  options.Output = directory / (std::string("demo") + extension);
  for (auto _ : state) {
    std::ostringstream err;
    if (RunRecord(saver.string(), options, err) != 0) state.SkipWithError(err.str().c_str());
  }
  state.counters["frames_per_second"] =
      benchmark::Counter(static_cast<double>(kTicks) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  fs::remove_all(directory);
}

BENCHMARK_CAPTURE(RecordDemo, mp4, ".mp4")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(RecordDemo, webm, ".webm")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
