// Decoding a 640 x 480 GIF of 20 frames: this decoder against giflib's DGifSlurp on the same
// bytes, and the decode followed by composing every frame.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/memory_stream.h"
#include "gif_writer.h"
#include "media/gif/gif_file.h"

namespace {

using namespace velquora;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 20;

// Diagonal colour bands that move from frame to frame, with one pixel in eight of noise: a
// picture that compresses about as well as a dithered animation.
const std::vector<std::uint8_t>& AnimatedGif() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::vector<GifRgb> palette(256);
    for (int i = 0; i < 256; ++i)
      palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 7)};
    GifWriter writer(kWidth, kHeight, palette);
    std::mt19937 random(2024);
    for (int frame = 0; frame < kFrames; ++frame) {
      std::vector<std::uint8_t> indices(std::size_t(kWidth) * kHeight);
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          std::uint8_t value = static_cast<std::uint8_t>(((x + frame * 8) / 6 + y / 6) % 64);
          if (random() % 8 == 0) value = static_cast<std::uint8_t>(64 + random() % 192);
          indices[std::size_t(y) * kWidth + x] = value;
        }
      }
      writer.GraphicControl(1, 5).Image(GifImage(0, 0, kWidth, kHeight, std::move(indices)));
    }
    writer.Trailer();
    return writer.Bytes();
  }();
  return bytes;
}

void SetCounters(benchmark::State& state) {
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(AnimatedGif().size()));
  state.SetItemsProcessed(state.iterations() * std::int64_t{kWidth} * kHeight * kFrames);
  state.counters["file_bytes"] = static_cast<double>(AnimatedGif().size());
}

void BM_GifDecode(benchmark::State& state) {
  const std::vector<std::uint8_t>& bytes = AnimatedGif();
  for (auto _ : state) {
    TMemoryStream stream(bytes);
    TGifFile gif;
    gif.LoadFromStream(stream);
    if (gif.FrameCount() != kFrames) state.SkipWithError("wrong frame count");
    benchmark::DoNotOptimize(gif.Frame(kFrames)->Pixels().At(kHeight, kWidth - 1));
  }
  SetCounters(state);
}
BENCHMARK(BM_GifDecode)->Unit(benchmark::kMillisecond);

void BM_GiflibDGifSlurp(benchmark::State& state) {
  struct Source {
    const std::vector<std::uint8_t>* bytes;
    std::size_t position;
  };
  auto read = [](GifFileType* gif, GifByteType* buffer, int count) -> int {
    auto* source = static_cast<Source*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), source->bytes->size() - source->position);
    std::memcpy(buffer, source->bytes->data() + source->position, n);
    source->position += n;
    return static_cast<int>(n);
  };
  for (auto _ : state) {
    Source source{&AnimatedGif(), 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, read, &error);
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK || gif->ImageCount != kFrames) state.SkipWithError("giflib failed");
    if (gif != nullptr) {
      benchmark::DoNotOptimize(gif->SavedImages[kFrames - 1].RasterBits[0]);
      DGifCloseFile(gif, &error);
    }
  }
  SetCounters(state);
}
BENCHMARK(BM_GiflibDGifSlurp)->Unit(benchmark::kMillisecond);

void BM_GifDecodeAndCompose(benchmark::State& state) {
  const std::vector<std::uint8_t>& bytes = AnimatedGif();
  for (auto _ : state) {
    TMemoryStream stream(bytes);
    TGifFile gif;
    gif.LoadFromStream(stream);
    TBitmap target;
    for (int i = 0; i < kFrames; ++i) gif.RenderNext(target);
    benchmark::DoNotOptimize(target.GetPixel(0, 0));
  }
  SetCounters(state);
}
BENCHMARK(BM_GifDecodeAndCompose)->Unit(benchmark::kMillisecond);

void BM_GifComposeFrame(benchmark::State& state) {
  TMemoryStream stream(AnimatedGif());
  TGifFile gif;
  gif.LoadFromStream(stream);
  TBitmap target;
  for (auto _ : state) {
    gif.RenderNext(target);
    benchmark::DoNotOptimize(target.GetPixel(0, 0));
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_GifComposeFrame)->Unit(benchmark::kMillisecond);

}  // namespace
