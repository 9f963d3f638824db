// Arbitrary bytes as a path's settings, its sprite's frames and up to eight steps with
// any values a scene file could hold (6-byte reals, 32-bit integers); the path is
// prepared and then evaluated tick by tick, peeking and advancing, together with the
// clones of its emitting steps. Evaluation must never fault, whatever the numbers.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "core/exceptions.h"
#include "core/memory_stream.h"
#include "core/real48.h"
#include "core/stream.h"
#include "fuzz_determinism.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"

namespace {

using namespace velquora;

constexpr int kMaxSteps = 8;
constexpr int kTicks = 48;

void ReadPathSettings(TStream& in, TVelquoraScene& scene, TSprite& sprite) {
  const std::uint8_t flags = ReadByte(in);
  TMoving& path = sprite.Moving();
  path.AbsoluteCoords = (flags & 1) != 0;
  path.AbsoluteSpeed = (flags & 2) != 0;
  path.HotSpotInPercent = (flags & 4) != 0;
  path.FitToScreen = (flags & 8) != 0;
  path.KeepAspect = (flags & 16) != 0;
  scene.ScreenWidth = ReadInt16(in);
  scene.ScreenHeight = ReadInt16(in);
  path.HotSpotX = ReadInt32(in);
  path.HotSpotY = ReadInt32(in);
  const int frames = ReadByte(in) % 4;
  for (int i = 0; i < frames; ++i) {
    TFrame& frame = sprite.AddFrame();
    frame.Width = ReadInt32(in);
    frame.Height = ReadInt32(in);
    frame.Duration = ReadInt32(in);
  }
  sprite.FrameIndex = ReadInt32(in);
  sprite.FrameTicks = ReadInt32(in);
}

TMovingStepValues ReadStep(TStream& in) {
  TMovingStepValues step;
  step.Kind = ReadByte(in) % 8;
  step.AreaLeft = ReadReal48(in);
  step.AreaTop = ReadReal48(in);
  step.AreaRight = ReadReal48(in);
  step.AreaBottom = ReadReal48(in);
  step.StartX = ReadReal48(in);
  step.StartY = ReadReal48(in);
  step.Angle = ReadInt32(in);
  step.SpeedFrom = ReadReal48(in);
  step.SpeedTo = ReadReal48(in);
  step.ScaleXFrom = ReadReal48(in);
  step.ScaleXTo = ReadReal48(in);
  step.ScaleYFrom = ReadReal48(in);
  step.ScaleYTo = ReadReal48(in);
  step.Duration = ReadInt32(in);
  step.Count = ReadByte(in) % 8;  // clones cost time, not coverage
  step.EmitAngle = ReadInt32(in);
  step.Hidden = ReadFlag(in);
  step.MaxDelay = ReadInt32(in);
  step.PercentFrom = ReadInt32(in);
  step.PercentTo = ReadInt32(in);
  return step;
}

void Tick(TMoving& path, int tick) {
  path.Evaluate(false);
  path.Evaluate(true);
  if (tick % 7 == 0) path.Evaluate(false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  TMemoryStream in(std::span<const std::uint8_t>(data, size));
  TVelquoraScene scene;
  auto sprite = std::make_unique<TSprite>(scene);
  TMoving& path = sprite->Moving();
  try {
    ReadPathSettings(in, scene, *sprite);
    for (int i = 0; i < kMaxSteps; ++i) path.AddStep(ReadStep(in), sprite.get());
  } catch (const Exception&) {
    // The data ran out: play what was read.
  }
  path.Prepare(sprite.get());
  for (int tick = 0; tick < kTicks; ++tick) {
    Tick(path, tick);
    if (path.Steps.empty()) continue;
    for (const auto& clone : path.Steps[static_cast<std::size_t>(path.GetStepIndex())]->Clones)
      Tick(clone->Moving(), tick);
  }
  return 0;
}
