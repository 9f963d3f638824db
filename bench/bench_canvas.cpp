// The canvas's hot operations at 1920 x 1080, 32 bits per pixel: a full-screen copy
// (compared with a plain memcpy of the same bytes), a 256 x 256 transparent draw, a
// 2x stretch of a 128 x 128 picture, and the gradient lines of a painted background.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/gdi/canvas.h"

namespace {

using velquora::PixelFormat;
using velquora::TBitmap;
using velquora::TCanvas;

constexpr int ScreenWidth = 1920;
constexpr int ScreenHeight = 1080;

TBitmap Pattern(int width, int height, velquora::TColor key = 0xFFFFFFFF) {
  TBitmap bitmap(width, height, PixelFormat::Bits32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool keyed = key != 0xFFFFFFFF && ((x / 8 + y / 8) % 2 == 0);
      bitmap.SetPixel(x, y, keyed ? key : velquora::RGB(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 99));
    }
  return bitmap;
}

void MemcpyFullScreen(benchmark::State& state) {
  const std::vector<std::uint8_t> source(std::size_t{ScreenWidth} * ScreenHeight * 4, 7);
  std::vector<std::uint8_t> target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(source.size()));
}
BENCHMARK(MemcpyFullScreen);

void BitBltFullScreen(benchmark::State& state) {
  const TBitmap source = Pattern(ScreenWidth, ScreenHeight);
  TBitmap target(ScreenWidth, ScreenHeight, PixelFormat::Bits32);
  TCanvas canvas(target);
  for (auto _ : state) {
    canvas.BitBlt(0, 0, ScreenWidth, ScreenHeight, source, 0, 0);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * ScreenWidth * ScreenHeight * 4);
}
BENCHMARK(BitBltFullScreen);

void TransparentDraw256(benchmark::State& state) {
  TBitmap sprite = Pattern(256, 256, velquora::RGB(255, 0, 255));
  sprite.Transparent = true;
  sprite.TransparentColor = velquora::RGB(255, 0, 255);
  TBitmap target(ScreenWidth, ScreenHeight, PixelFormat::Bits32);
  TCanvas canvas(target);
  for (auto _ : state) {
    canvas.Draw(700, 400, sprite);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 256 * 256);
}
BENCHMARK(TransparentDraw256);

void Stretch128To256(benchmark::State& state) {
  const TBitmap picture = Pattern(128, 128);
  TBitmap target(ScreenWidth, ScreenHeight, PixelFormat::Bits32);
  TCanvas canvas(target);
  for (auto _ : state) {
    canvas.StretchDraw(velquora::Rect{500, 300, 756, 556}, picture);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 256 * 256);
}
BENCHMARK(Stretch128To256);

// Horizontal gradient lines over the whole screen inside a round-rectangle clip.
void GradientLinesFullScreen(benchmark::State& state) {
  TBitmap target(ScreenWidth, ScreenHeight, PixelFormat::Bits32);
  TCanvas canvas(target);
  canvas.SetClipRegion(velquora::TRegion::RoundRect(velquora::Rect{0, 0, ScreenWidth + 1, ScreenHeight + 1}, 80, 80));
  for (auto _ : state) {
    for (int i = 0; i <= ScreenHeight; ++i) {
      canvas.Pen.Color = velquora::RGB(static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i));
      canvas.MoveTo(0, i);
      canvas.LineTo(ScreenWidth, i);
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(GradientLinesFullScreen)->Unit(benchmark::kMillisecond);

}  // namespace
