// A GIF frame playing in a scene: the cost of one timer tick (counting, or composing the
// next image) and of a tick followed by drawing the frame transparently, for a 320 x 240
// GIF of eight images at interval 50 with delay 10 (a new image every second tick) and
// delay 2 (a new image every tick).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/memory_stream.h"
#include "gif_writer.h"
#include "media/gif/gif_file.h"
#include "platform/gdi/bitmap.h"
#include "playback/frame.h"
#include "playback/scene.h"
#include "playback/sprite.h"

namespace {

using namespace velquora;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kImages = 8;

// Eight images, each a diagonal band pattern shifted by its number, over 16 colours.
std::vector<std::uint8_t> BandedGif(int delay) {
  std::vector<GifRgb> colours;
  for (int i = 0; i < 16; ++i) colours.push_back({std::uint8_t(i * 16), std::uint8_t(255 - i * 16), std::uint8_t(i * 5)});
  GifWriter writer(kWidth, kHeight, colours);
  for (int image = 0; image < kImages; ++image) {
    std::vector<std::uint8_t> indices(std::size_t{kWidth} * kHeight);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) indices[std::size_t(y) * kWidth + x] = std::uint8_t(((x + y) / 8 + image) % 16);
    }
    writer.GraphicControl(0, delay).Image(GifImage(0, 0, kWidth, kHeight, indices));
  }
  return writer.Trailer().Bytes();
}

struct PlayingGif {
  explicit PlayingGif(int delay) : sprite(scene.AddSprite()), frame(sprite.AddFrame()) {
    scene.TimerInterval = 50;
    frame.Animated = true;
    frame.AnimationKind = static_cast<std::int32_t>(TPayloadKind::Gif);
    TGifFile& gif = *frame.Animation.emplace<std::unique_ptr<TGifFile>>(std::make_unique<TGifFile>());
    TMemoryStream stream(BandedGif(delay));
    gif.LoadFromStream(stream);
    gif.Seek(1, *frame.PendingPicture);
    frame.Width = kWidth;
    frame.Height = kHeight;
    frame.Transparent = true;
  }

  TVelquoraScene scene;
  TSprite& sprite;
  TFrame& frame;
};

void BM_GifFrameTick(benchmark::State& state) {
  PlayingGif playing(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    playing.frame.Prepare(-1);
    benchmark::DoNotOptimize(playing.frame.Changed);
  }
}
BENCHMARK(BM_GifFrameTick)->Arg(10)->Arg(2);

void BM_GifFrameTickAndDraw(benchmark::State& state) {
  PlayingGif playing(static_cast<int>(state.range(0)));
  TBitmap target(640, 480, PixelFormat::Bits32);
  for (auto _ : state) {
    playing.frame.Prepare(-1);
    playing.frame.Draw(target, 100, 1, 1, 100, 640, 480, 0);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_GifFrameTickAndDraw)->Arg(10)->Arg(2);

}  // namespace
