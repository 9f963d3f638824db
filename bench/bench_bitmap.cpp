// Bitmap work at 1920 x 1080: loading and saving bitmap files, converting to a palette
// format (nearest-entry search) and back, the pixel checksum and PNG encoding.
#include <benchmark/benchmark.h>

#include "core/memory_stream.h"
#include "platform/gdi/bitmap.h"

namespace {

using velquora::PixelFormat;
using velquora::TBitmap;

TBitmap Picture(PixelFormat format) {
  TBitmap bitmap(1920, 1080, PixelFormat::Bits24);
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      bitmap.SetPixel(x, y, velquora::RGB(static_cast<std::uint8_t>(x * 3), static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x ^ y)));
  bitmap.SetPixelFormat(format);
  return bitmap;
}

void LoadBmp(benchmark::State& state) {
  velquora::TMemoryStream stream;
  Picture(static_cast<PixelFormat>(state.range(0))).SaveToStream(stream);
  TBitmap bitmap;
  for (auto _ : state) {
    stream.SetPosition(0);
    bitmap.LoadFromStream(stream);
    benchmark::DoNotOptimize(bitmap);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * stream.Size());
}
BENCHMARK(LoadBmp)->Arg(static_cast<int>(PixelFormat::Bits8))->Arg(static_cast<int>(PixelFormat::Bits24))->Arg(static_cast<int>(PixelFormat::Bits32));

void SaveBmp(benchmark::State& state) {
  const TBitmap bitmap = Picture(PixelFormat::Bits24);
  for (auto _ : state) {
    velquora::TMemoryStream stream;
    bitmap.SaveToStream(stream);
    benchmark::DoNotOptimize(stream);
  }
}
BENCHMARK(SaveBmp);

void ConvertTo8Bits(benchmark::State& state) {
  const TBitmap source = Picture(PixelFormat::Bits32);
  for (auto _ : state) {
    TBitmap bitmap = source;
    bitmap.SetPixelFormat(PixelFormat::Bits8);
    benchmark::DoNotOptimize(bitmap);
  }
}
BENCHMARK(ConvertTo8Bits)->Unit(benchmark::kMillisecond);

void ConvertTo32Bits(benchmark::State& state) {
  const TBitmap source = Picture(PixelFormat::Bits24);
  for (auto _ : state) {
    TBitmap bitmap = source;
    bitmap.SetPixelFormat(PixelFormat::Bits32);
    benchmark::DoNotOptimize(bitmap);
  }
}
BENCHMARK(ConvertTo32Bits)->Unit(benchmark::kMillisecond);

void PixelsCrc32(benchmark::State& state) {
  const TBitmap bitmap = Picture(PixelFormat::Bits32);
  for (auto _ : state) benchmark::DoNotOptimize(velquora::PixelsCrc32(bitmap));
}
BENCHMARK(PixelsCrc32)->Unit(benchmark::kMillisecond);

void EncodePng(benchmark::State& state) {
  const TBitmap bitmap = Picture(PixelFormat::Bits32);
  for (auto _ : state) benchmark::DoNotOptimize(velquora::EncodePng(bitmap));
}
BENCHMARK(EncodePng)->Unit(benchmark::kMillisecond);

}  // namespace
