// One playback Step of a scene of bouncing 64 x 64 sprites: 50 and 500 sprites at
// 1920 x 1080 and 500 at 3840 x 2160, opaque and transparent; and 50 opaque sprites
// moving the same way on screens of different sizes, whose times should stay close: a
// Step's cost follows the area that changed, not the size of the screen. The figure of
// interest is the median time of one Step.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/random.h"
#include "demo_scene.h"
#include "platform/gdi/bitmap.h"
#include "playback/frame.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "scene_builder.h"

namespace {

using namespace velquora;

constexpr int kSpriteSize = 64;

// Sprites spread over a grid of the given area, each bouncing inside its own cell
// (256 x 216 pixels) at its own angle and speed, so the changed area per Step does not
// depend on the screen's size.
void AddBouncers(TVelquoraScene& scene, int count, bool transparent) {
  const TBitmap opaque = FramedPicture(kSpriteSize, kSpriteSize, RGB(200, 120, 40), RGB(60, 30, 10));
  const TBitmap keyed = DemoBall(kSpriteSize, RGB(40, 120, 220), RGB(200, 230, 255));
  constexpr int kCellWidth = 256;
  constexpr int kCellHeight = 216;
  const int columns = 1920 / kCellWidth;
  for (int i = 0; i < count; ++i) {
    const int cell = i % (columns * 5);
    const Rect area{(cell % columns) * kCellWidth, (cell / columns) * kCellHeight,
                    (cell % columns) * kCellWidth + kCellWidth - kSpriteSize,
                    (cell / columns) * kCellHeight + kCellHeight - kSpriteSize};
    const Point start{area.Left + (i * 37) % (area.Right - area.Left), area.Top};
    const std::int32_t angle = 15 + (i * 23) % 60;
    TSprite& sprite = AddSprite(scene, transparent ? keyed : opaque, BounceIn(area, start, angle, 3 + i % 5));
    sprite.Frames().front()->Transparent = transparent;
  }
}

// The scene on a width x height screen, prepared and stepped once (the first Step
// shows the whole background).
class SteppedScene {
public:
  SteppedScene(int width, int height, int sprites, bool transparent) : target_(width, height) {
    SetRandSeed(1);
    AddBouncers(scene_, sprites, transparent);
    PrepareScene(scene_, width, height, RGB(30, 60, 90));
    scene_.TargetBitmap = &target_;
    scene_.Step();
  }
  TVelquoraScene& Scene() { return scene_; }

private:
  TVelquoraScene scene_;
  TBitmap target_;
};

void RunSteps(benchmark::State& state, SteppedScene& stepped) {
  for (auto _ : state) {
    stepped.Scene().Step();
    benchmark::DoNotOptimize(stepped.Scene().StepCount);
  }
  state.counters["dirty_rects"] = static_cast<double>(stepped.Scene().LastDirtyRects.size());
}

void BM_StepFullHd(benchmark::State& state) {
  SteppedScene stepped(1920, 1080, static_cast<int>(state.range(0)), state.range(1) != 0);
  RunSteps(state, stepped);
}
BENCHMARK(BM_StepFullHd)
    ->ArgNames({"sprites", "transparent"})
    ->Args({50, 0})
    ->Args({50, 1})
    ->Args({500, 0})
    ->Args({500, 1})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The same sprites in the same cells on a 3840 x 2160 screen: beyond the first Step,
// which shows the whole background, the screen's size should not matter.
void BM_StepUltraHd(benchmark::State& state) {
  SteppedScene stepped(3840, 2160, static_cast<int>(state.range(0)), state.range(1) != 0);
  RunSteps(state, stepped);
}
BENCHMARK(BM_StepUltraHd)
    ->ArgNames({"sprites", "transparent"})
    ->Args({500, 0})
    ->Args({500, 1})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The same 50 sprites in the same cells of the top-left 1920 x 1080 corner, on larger
// screens.
void BM_StepScreenSize(benchmark::State& state) {
  SteppedScene stepped(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 50, false);
  RunSteps(state, stepped);
}
BENCHMARK(BM_StepScreenSize)
    ->ArgNames({"width", "height"})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Args({7680, 4320})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
