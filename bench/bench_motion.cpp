// One advancing evaluation of a path, per motion kind, and of a sprite with two frames,
// screen fitting and a hot spot: the work done for every visible sprite and clone at
// every tick.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "core/random.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"

namespace {

using namespace velquora;

TMovingStepValues StepOfKind(std::int32_t kind) {
  TMovingStepValues step;
  step.Kind = kind;
  step.AreaLeft = 0;
  step.AreaTop = 0;
  step.AreaRight = 90;
  step.AreaBottom = 80;
  step.StartX = 0;
  step.StartY = 40;
  step.Angle = 37;
  step.SpeedFrom = 0.5L;
  step.SpeedTo = 2;
  step.ScaleXFrom = 1;
  step.ScaleXTo = 2;
  step.Duration = 30;
  return step;
}

void EvaluateKind(benchmark::State& state) {
  TVelquoraScene scene;
  SetRandSeed(1);
  TMoving path(scene);
  path.AddStep(StepOfKind(static_cast<std::int32_t>(state.range(0))), nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(path.Evaluate(true));
}
BENCHMARK(EvaluateKind)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->ArgName("kind");

void EvaluateFittedSprite(benchmark::State& state) {
  TVelquoraScene scene;
  SetRandSeed(1);
  auto sprite = std::make_unique<TSprite>(scene);
  for (int i = 0; i < 2; ++i) {
    TFrame& frame = sprite->AddFrame();
    frame.Width = 120;
    frame.Height = 90;
  }
  TMoving& path = sprite->Moving();
  path.FitToScreen = true;
  path.KeepAspect = true;
  path.HotSpotX = path.HotSpotY = 50;
  path.AddStep(StepOfKind(1), sprite.get());
  path.AddStep(StepOfKind(2), sprite.get());
  for (auto _ : state) {
    benchmark::DoNotOptimize(path.Evaluate(true));
    benchmark::DoNotOptimize(path.Evaluate(false));
  }
}
BENCHMARK(EvaluateFittedSprite);

}  // namespace
