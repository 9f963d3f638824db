// Thin pictures: a GIF may be 65535 pixels long on one side and 1 on the other. Such a
// picture takes a few hundred bytes and a few hundred kilobytes of bitmap, so it loads,
// renders and draws like any other; what is refused is what would need too much memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/memory_stream.h"
#include "gif_writer.h"
#include "media/gif/gif_file.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/canvas.h"

namespace velquora {
namespace {

const std::vector<GifRgb> kColors{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}};

TColor ColorOf(int index) {
  const GifRgb& rgb = kColors[static_cast<std::size_t>(index)];
  return RGB(rgb[0], rgb[1], rgb[2]);
}

// Pixel i along the long side has colour (i / 1000) % 4: long runs, a few hundred bytes.
int IndexAt(int i) { return (i / 1000) % 4; }

std::vector<std::uint8_t> ThinGif(int width, int height) {
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(IndexAt(static_cast<int>(i)));
  GifWriter writer(width, height, kColors);
  writer.Image(GifImage(0, 0, width, height, indices)).Trailer();
  return writer.Bytes();
}

struct ThinCase {
  int Width;
  int Height;
};

class ThinGifPicture : public testing::TestWithParam<ThinCase> {};

TEST_P(ThinGifPicture, LoadsAndRendersWithTheRightPixels) {
  const auto [width, height] = GetParam();
  const std::vector<std::uint8_t> bytes = ThinGif(width, height);
  ASSERT_LT(bytes.size(), 4096u);
  TMemoryStream stream(bytes);
  TGifFile gif;
  gif.LoadFromStream(stream);
  TBitmap picture;
  ASSERT_TRUE(gif.Seek(1, picture));
  ASSERT_EQ(picture.Width(), width);
  ASSERT_EQ(picture.Height(), height);
  for (int i : {0, 999, 1000, 2500, 3999, 4000, 33000, 65534}) {
    const int x = width == 1 ? 0 : i;
    const int y = width == 1 ? i : 0;
    EXPECT_EQ(picture.GetPixel(x, y), ColorOf(IndexAt(i))) << "pixel " << i;
  }
}

TEST_P(ThinGifPicture, StretchesAndDrawsIntoASmallBitmap) {
  const auto [width, height] = GetParam();
  TMemoryStream stream(ThinGif(width, height));
  TGifFile gif;
  gif.LoadFromStream(stream);
  TBitmap picture;
  ASSERT_TRUE(gif.Seek(1, picture));

  // Squeezed into 66 pixels along the long side: target pixel k samples the picture at
  // the centre of its span, (2k + 1) * 65535 / 132.
  const bool wide = width > 1;
  TBitmap small(wide ? 66 : 3, wide ? 3 : 66, PixelFormat::Bits32);
  TCanvas(small).StretchDraw(Rect{0, 0, wide ? 66 : 3, wide ? 3 : 66}, picture);
  for (int k : {0, 1, 5, 40, 65}) {
    const int sampled = static_cast<int>((2 * std::int64_t{k} + 1) * 65535 / 132);
    const TColor color = wide ? small.GetPixel(k, 2) : small.GetPixel(2, k);
    EXPECT_EQ(color, ColorOf(IndexAt(sampled))) << "target pixel " << k;
  }

  // Drawn unscaled far to the left or above: only its far end lands on the target.
  TBitmap tail(4, 4, PixelFormat::Bits32);
  TCanvas(tail).Draw(wide ? -65533 : 0, wide ? 0 : -65533, picture);
  EXPECT_EQ(wide ? tail.GetPixel(1, 0) : tail.GetPixel(0, 1), ColorOf(IndexAt(65534)));
  EXPECT_EQ(tail.GetPixel(3, 3), RGB(255, 255, 255));
}

INSTANTIATE_TEST_SUITE_P(WideAndTall, ThinGifPicture, testing::Values(ThinCase{65535, 1}, ThinCase{1, 65535}));

TEST(ThinBitmap, SidesFarBeyondAnyScreenAreTakenWhileTheMemoryIsSmall) {
  EXPECT_NO_THROW(TBitmap(65535, 1, PixelFormat::Bits24));
  EXPECT_NO_THROW(TBitmap(1, 65535, PixelFormat::Bits32));
  EXPECT_NO_THROW(TBitmap(1000000, 1, PixelFormat::Bits8));
  // A square of 65535 a side needs 12 GiB: refused before anything is allocated.
  EXPECT_THROW(TBitmap(65535, 65535, PixelFormat::Bits24), EOutOfResources);
  EXPECT_THROW(TBitmap(65535, 4096, PixelFormat::Bits32), EOutOfResources);
}

}  // namespace
}  // namespace velquora
