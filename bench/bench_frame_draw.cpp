// A sprite frame's drawing at 1920 x 1080, 32 bits per pixel: a 256 x 256 transparent
// frame unscaled (keyed copy) and at scale 1.5 (stretched into a scratch bitmap first),
// an opaque frame at scale 1.5; and painting a full-screen background with a rounded,
// bevelled border and angled gradient lines, as a scene does once after loading.
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/gdi/canvas.h"
#include "playback/frame.h"
#include "playback/shaping.h"

namespace {

using namespace velquora;

constexpr int ScreenWidth = 1920;
constexpr int ScreenHeight = 1080;
constexpr TColor Key = RGB(255, 0, 255);

std::unique_ptr<TFrame> CheckeredFrame(bool transparent) {
  TBitmap picture(256, 256, PixelFormat::Bits32);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      picture.SetPixel(x, y, (x / 8 + y / 8) % 2 == 0 ? Key : RGB(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 99));
  auto frame = std::make_unique<TFrame>();
  frame->PendingPicture = std::make_unique<TBitmap>(picture);
  frame->Width = 256;
  frame->Height = 256;
  frame->Transparent = transparent;
  frame->TransparentX = 0;
  frame->TransparentY = 0;
  return frame;
}

void DrawFrame(benchmark::State& state, bool transparent, Real scale) {
  TBitmap target(ScreenWidth, ScreenHeight, PixelFormat::Bits32);
  auto frame = CheckeredFrame(transparent);
  frame->Draw(target, 100, scale, scale, 100, ScreenWidth, ScreenHeight, 0);  // rasterise and sample once
  for (auto _ : state) {
    frame->Draw(target, 100, scale, scale, 100, ScreenWidth, ScreenHeight, 0);
    benchmark::ClobberMemory();
  }
}

void TransparentUnscaled(benchmark::State& state) { DrawFrame(state, true, 1); }
void TransparentScaled(benchmark::State& state) { DrawFrame(state, true, 1.5); }
void OpaqueScaled(benchmark::State& state) { DrawFrame(state, false, 1.5); }
BENCHMARK(TransparentUnscaled);
BENCHMARK(TransparentScaled);
BENCHMARK(OpaqueScaled);

void PaintBackground(benchmark::State& state) {
  TShapeStyle style;
  style.GradientFrom = RGB(250, 220, 40);
  style.GradientTo = RGB(20, 40, 200);
  style.GradientAngle = 30;
  style.BorderWidth = 24;
  style.BorderMargin = 12;
  style.CornerDiameter = 120;
  TBitmap bitmap(ScreenWidth, ScreenHeight, PixelFormat::Bits32);
  for (auto _ : state) {
    TCanvas canvas(bitmap);
    ShapeBitmap(kRectangularFrameShape, canvas, style);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(PaintBackground)->Unit(benchmark::kMillisecond);

}  // namespace
