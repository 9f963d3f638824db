// JPEG adapter decoding a 1920 x 1080 photo-like picture: a smooth synthetic image with
// grain, compressed once by libjpeg (quality 90, 4:2:0), then decoded per iteration.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/memory_stream.h"
#include "jpeg_writer.h"
#include "media/jpeg_image.h"

namespace velquora {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

const std::vector<std::uint8_t>& Photo(bool progressive) {
  static const std::vector<std::uint8_t> pixels = PhotoLikeRgb(kWidth, kHeight);
  static const std::vector<std::uint8_t> baseline = EncodeJpeg(pixels, kWidth, kHeight, JpegSampleSpace::Rgb);
  static const std::vector<std::uint8_t> multiScan = [] {
    JpegWriterSettings settings;
    settings.Progressive = true;
    return EncodeJpeg(pixels, kWidth, kHeight, JpegSampleSpace::Rgb, settings);
  }();
  return progressive ? multiScan : baseline;
}

void Report(benchmark::State& state, std::size_t compressedBytes) {
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);  // pixels
  state.counters["jpeg_bytes"] = static_cast<double>(compressedBytes);
}

// The decoding alone: libjpeg into the bitmap file image.
void BM_JpegToBmp1080p(benchmark::State& state) {
  const auto& jpeg = Photo(state.range(0) != 0);
  JpegOptions options;
  options.FastDecode = state.range(1) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(DecodeJpegToBmp(jpeg, options).File.data());
  Report(state, jpeg.size());
}
BENCHMARK(BM_JpegToBmp1080p)
    ->ArgNames({"progressive", "fast"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond);

// What a frame load pays: copy the bytes, decode, load the bitmap.
void BM_JPEGImageLoad1080p(benchmark::State& state) {
  TMemoryStream stream(Photo(false));
  for (auto _ : state) {
    TJPEGImage image;
    image.LoadFromStream(&stream);
    benchmark::DoNotOptimize(image.Bitmap().Bits().data());
  }
  Report(state, stream.Bytes().size());
}
BENCHMARK(BM_JPEGImageLoad1080p)->Unit(benchmark::kMillisecond);

// Quantised to 256 colours with the default two-pass quantiser.
void BM_JpegToBmp1080pQuantised(benchmark::State& state) {
  const auto& jpeg = Photo(false);
  JpegOptions options;
  options.ColorMode = 1;
  for (auto _ : state) benchmark::DoNotOptimize(DecodeJpegToBmp(jpeg, options).File.data());
  Report(state, jpeg.size());
}
BENCHMARK(BM_JpegToBmp1080pQuantised)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velquora
