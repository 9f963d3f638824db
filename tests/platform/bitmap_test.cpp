#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include <zlib.h>

#include "platform/gdi/bitmap.h"

namespace velquora {
namespace {

constexpr TColor White = RGB(255, 255, 255);
constexpr PixelFormat AllFormats[] = {PixelFormat::Bits1,  PixelFormat::Bits4,  PixelFormat::Bits8,
                                      PixelFormat::Bits16, PixelFormat::Bits24, PixelFormat::Bits32};

// round(c * (2^bits - 1) / 255) then back to 8 bits: what a channel of that width keeps.
int Quantized(int channel, int bits) {
  const double max = (1 << bits) - 1;
  const double narrow = std::floor(channel * max / 255.0 + 0.5);
  return static_cast<int>(std::floor(narrow * 255.0 / max + 0.5));
}

TColor As565(TColor c) {
  return RGB(static_cast<std::uint8_t>(Quantized(GetRValue(c), 5)), static_cast<std::uint8_t>(Quantized(GetGValue(c), 6)),
             static_cast<std::uint8_t>(Quantized(GetBValue(c), 5)));
}

// A colour pattern that changes in x and y.
TColor PatternColor(int x, int y) {
  return RGB(static_cast<std::uint8_t>(x * 37 + y * 11), static_cast<std::uint8_t>(x * 5 + y * 71),
             static_cast<std::uint8_t>(255 - x * 13 - y * 3));
}

TEST(Bitmap, DefaultIsEmpty) {
  const TBitmap bitmap;
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.GetPixel(0, 0), InvalidColor);
}

TEST(Bitmap, NewBitmapIsWhiteInEveryFormat) {
  for (const PixelFormat format : AllFormats) {
    const TBitmap bitmap(5, 3, format);
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.Height(), 3);
    EXPECT_EQ(bitmap.Format(), format);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) EXPECT_EQ(bitmap.GetPixel(x, y), White) << BitsPerPixel(format) << " bits";
  }
}

TEST(Bitmap, RowsArePaddedToFourBytes) {
  struct Row {
    int Width;
    PixelFormat Format;
    int Stride;
  };
  const Row rows[] = {{1, PixelFormat::Bits1, 4},   {32, PixelFormat::Bits1, 4},  {33, PixelFormat::Bits1, 8},
                      {9, PixelFormat::Bits4, 8},   {3, PixelFormat::Bits8, 4},   {5, PixelFormat::Bits8, 8},
                      {3, PixelFormat::Bits16, 8},  {1, PixelFormat::Bits24, 4},  {3, PixelFormat::Bits24, 12},
                      {5, PixelFormat::Bits24, 16}, {7, PixelFormat::Bits32, 28}};
  for (const Row& row : rows) {
    const TBitmap bitmap(row.Width, 2, row.Format);
    EXPECT_EQ(bitmap.Stride(), row.Stride) << row.Width << " pixels of " << BitsPerPixel(row.Format) << " bits";
    EXPECT_EQ(bitmap.Bits().size(), static_cast<std::size_t>(row.Stride) * 2);
  }
}

TEST(Bitmap, SizesBeyondTheLimitsAreRefused) {
  EXPECT_THROW(TBitmap(MaxBitmapDimension + 1, 1), EOutOfResources);
  EXPECT_THROW(TBitmap(1, MaxBitmapDimension + 1), EOutOfResources);
  EXPECT_THROW(TBitmap(MaxBitmapDimension, MaxBitmapDimension, PixelFormat::Bits32), EOutOfResources);
  EXPECT_NO_THROW(TBitmap(MaxBitmapDimension, 1, PixelFormat::Bits32));

  TBitmap bitmap(4, 4, PixelFormat::Bits24);
  bitmap.SetPixel(3, 3, RGB(1, 2, 3));
  const TBitmap before = bitmap;
  EXPECT_THROW(bitmap.SetSize(20000, 20000), EOutOfResources);
  EXPECT_EQ(bitmap, before);
}

// Memory lent by a test, filled with 0xAB.
class LentBlock : public PixelMemory {
public:
  explicit LentBlock(std::size_t size) : bytes_(size, 0xAB) {}
  std::span<std::uint8_t> Bytes() override { return bytes_; }

private:
  std::vector<std::uint8_t> bytes_;
};

TEST(Bitmap, OnLentMemoryItDrawsThereUntilItsPixelsMove) {
  const auto block = std::make_shared<LentBlock>(4 * 6 * 3);
  TBitmap lent(6, 3, block);
  EXPECT_EQ(lent.LentMemory(), block.get());
  EXPECT_EQ(lent.GetPixel(5, 2), White);  // white, like any new bitmap
  lent.SetPixel(2, 1, RGB(1, 2, 3));
  EXPECT_EQ(block->Bytes()[4 * (6 + 2)], 3);  // blue first, in the block itself

  // A copy has memory of its own; a move takes the block along.
  TBitmap copy = lent;
  EXPECT_EQ(copy.LentMemory(), nullptr);
  EXPECT_TRUE(copy == lent);
  copy.SetPixel(0, 0, RGB(9, 9, 9));
  EXPECT_EQ(lent.GetPixel(0, 0), White);
  TBitmap moved = std::move(lent);
  EXPECT_EQ(moved.LentMemory(), block.get());
  EXPECT_EQ(moved.GetPixel(2, 1), RGB(1, 2, 3));

  // Same size keeps the block; a new size or an assignment moves the pixels out of it.
  moved.SetSize(6, 3);
  EXPECT_EQ(moved.LentMemory(), block.get());
  moved.SetSize(7, 3);
  EXPECT_EQ(moved.LentMemory(), nullptr);
  EXPECT_EQ(moved.GetPixel(2, 1), RGB(1, 2, 3));
  TBitmap assigned(6, 3, block);
  assigned.Assign(copy);
  EXPECT_EQ(assigned.LentMemory(), nullptr);
  EXPECT_EQ(block.use_count(), 1);

  EXPECT_THROW(TBitmap(7, 3, block), std::invalid_argument);  // rows of 28 bytes do not fit
}

TEST(Bitmap, NegativeSizesCountAsZero) {
  TBitmap bitmap(-3, 4);
  EXPECT_TRUE(bitmap.Empty());
  bitmap.SetSize(2, -1);
  EXPECT_TRUE(bitmap.Empty());
}

TEST(Bitmap, SetSizeKeepsTheOverlapAndAddsWhite) {
  for (const PixelFormat format : {PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits24, PixelFormat::Bits32}) {
    TBitmap bitmap(3, 3, format);
    bitmap.SetPixel(0, 0, RGB(0, 0, 0));
    bitmap.SetPixel(2, 2, RGB(0, 0, 0));
    bitmap.SetSize(5, 2);
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(bitmap.GetPixel(1, 0), White);
    EXPECT_EQ(bitmap.GetPixel(4, 1), White);
    bitmap.SetSize(1, 1);
    EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(0, 0, 0));
  }
}

TEST(Bitmap, PixelsOutsideAreInvalidAndIgnored) {
  TBitmap bitmap(2, 2, PixelFormat::Bits24);
  const TBitmap before = bitmap;
  for (const auto& [x, y] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{2, 0}, std::pair{0, 2}}) {
    EXPECT_EQ(bitmap.GetPixel(x, y), InvalidColor);
    bitmap.SetPixel(x, y, RGB(1, 1, 1));
  }
  EXPECT_EQ(bitmap, before);
  EXPECT_THROW(bitmap.ScanLine(2), std::out_of_range);
  EXPECT_THROW(bitmap.ScanLine(-1), std::out_of_range);
}

TEST(Bitmap, TrueColourPixelsKeepTheirColour) {
  for (const PixelFormat format : {PixelFormat::Bits24, PixelFormat::Bits32}) {
    TBitmap bitmap(7, 5, format);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) bitmap.SetPixel(x, y, PatternColor(x, y));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) EXPECT_EQ(bitmap.GetPixel(x, y), PatternColor(x, y));
  }
}

TEST(Bitmap, SixteenBitPixelsAreStoredAs565) {
  TBitmap bitmap(1, 1, PixelFormat::Bits16);
  bitmap.SetPixel(0, 0, RGB(255, 0, 0));
  EXPECT_EQ(bitmap.ScanLine(0)[0] | (bitmap.ScanLine(0)[1] << 8), 0xF800);
  bitmap.SetPixel(0, 0, RGB(0, 255, 0));
  EXPECT_EQ(bitmap.ScanLine(0)[0] | (bitmap.ScanLine(0)[1] << 8), 0x07E0);
  for (int c = 0; c < 256; c += 3) {
    const TColor color = RGB(static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(255 - c), static_cast<std::uint8_t>(c / 2));
    bitmap.SetPixel(0, 0, color);
    EXPECT_EQ(bitmap.GetPixel(0, 0), As565(color)) << c;
  }
}

TEST(Bitmap, IndexedPixelsTakeTheNearestPaletteEntry) {
  TBitmap bitmap(4, 1, PixelFormat::Bits4);
  bitmap.SetPalette({{0, 0, 0}, {200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {100, 100, 100}});
  bitmap.SetPixel(0, 0, RGB(180, 30, 20));
  bitmap.SetPixel(1, 0, RGB(90, 110, 95));
  bitmap.SetPixel(2, 0, RGB(10, 10, 250));
  bitmap.SetPixel(3, 0, RGB(40, 40, 40));
  EXPECT_EQ(bitmap.GetIndex(0, 0), 1);
  EXPECT_EQ(bitmap.GetIndex(1, 0), 4);
  EXPECT_EQ(bitmap.GetIndex(2, 0), 3);
  EXPECT_EQ(bitmap.GetIndex(3, 0), 0);
  EXPECT_EQ(bitmap.GetPixel(1, 0), RGB(100, 100, 100));
}

TEST(Bitmap, NearestPaletteIndexPrefersTheFirstOfEqualDistances) {
  const std::vector<PaletteEntry> palette = {{10, 0, 0}, {0, 0, 0}, {20, 0, 0}, {0, 0, 0}};
  EXPECT_EQ(NearestPaletteIndex(palette, RGB(0, 0, 0)), 1);
  EXPECT_EQ(NearestPaletteIndex(palette, RGB(15, 0, 0)), 0);
  EXPECT_EQ(NearestPaletteIndex({}, RGB(15, 0, 0)), 0);
}

TEST(Bitmap, IndicesPackLeftmostPixelInTheHighBits) {
  TBitmap mono(10, 1, PixelFormat::Bits1);
  mono.SetPalette({{0, 0, 0}, {255, 255, 255}});
  for (int x = 0; x < 10; ++x) mono.SetIndex(x, 0, x == 0 || x == 9 ? 1 : 0);
  EXPECT_EQ(mono.ScanLine(0)[0], 0x80);
  EXPECT_EQ(mono.ScanLine(0)[1], 0x40);

  TBitmap nibbles(3, 1, PixelFormat::Bits4);
  nibbles.SetIndex(0, 0, 0xA);
  nibbles.SetIndex(1, 0, 0x3);
  nibbles.SetIndex(2, 0, 0x7);
  EXPECT_EQ(nibbles.ScanLine(0)[0], 0xA3);
  EXPECT_EQ(nibbles.ScanLine(0)[1] >> 4, 0x7);
  EXPECT_EQ(nibbles.GetIndex(2, 0), 7);
}

TEST(Bitmap, IndexBeyondTheColourTableShowsBlack) {
  TBitmap bitmap(2, 1, PixelFormat::Bits8);
  bitmap.SetPalette({{255, 255, 255}, {10, 20, 30}});
  bitmap.SetIndex(0, 0, 1);
  bitmap.SetIndex(1, 0, 200);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(bitmap.GetPixel(1, 0), RGB(0, 0, 0));
}

TEST(Bitmap, SetPaletteChangesColoursNotIndicesAndMarksTheChange) {
  TBitmap bitmap(1, 1, PixelFormat::Bits8);
  bitmap.SetIndex(0, 0, 2);
  bitmap.PaletteModified = false;
  bitmap.SetPalette({{0, 0, 0}, {1, 1, 1}, {9, 8, 7}});
  EXPECT_TRUE(bitmap.PaletteModified);
  EXPECT_EQ(bitmap.GetIndex(0, 0), 2);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(9, 8, 7));
}

TEST(Bitmap, PaletteIsCutToWhatTheFormatCanIndex) {
  TBitmap bitmap(1, 1, PixelFormat::Bits1);
  bitmap.SetPalette({{1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
  EXPECT_EQ(bitmap.Palette().size(), 2U);
  TBitmap trueColour(1, 1, PixelFormat::Bits24);
  trueColour.SetPalette(std::vector<PaletteEntry>(300));
  EXPECT_EQ(trueColour.Palette().size(), 256U);
  EXPECT_EQ(trueColour.GetPixel(0, 0), White);
}

TEST(Bitmap, DefaultPalettes) {
  EXPECT_EQ(DefaultPalette(PixelFormat::Bits1), (std::vector<PaletteEntry>{{0, 0, 0}, {255, 255, 255}}));
  const auto vga = DefaultPalette(PixelFormat::Bits4);
  ASSERT_EQ(vga.size(), 16U);
  EXPECT_EQ(vga[1], (PaletteEntry{128, 0, 0}));
  EXPECT_EQ(vga[7], (PaletteEntry{192, 192, 192}));
  EXPECT_EQ(vga[12], (PaletteEntry{0, 0, 255}));
  const auto full = DefaultPalette(PixelFormat::Bits8);
  ASSERT_EQ(full.size(), 256U);
  EXPECT_TRUE(std::equal(vga.begin(), vga.end(), full.begin()));
  // Every step of the 6 x 6 x 6 cube is there.
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) {
        const PaletteEntry entry{static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                                 static_cast<std::uint8_t>(b * 51)};
        EXPECT_NE(std::find(full.begin(), full.end(), entry), full.end()) << r << g << b;
      }
  for (std::size_t i = 0; i < full.size(); ++i)
    EXPECT_EQ(std::find(full.begin(), full.end(), full[i]) - full.begin(), static_cast<std::ptrdiff_t>(i))
        << "entry " << i << " repeats an earlier one";
  EXPECT_TRUE(DefaultPalette(PixelFormat::Bits24).empty());
}

TEST(BitmapConversion, TrueColourRoundTripsAreExact) {
  TBitmap bitmap(9, 4, PixelFormat::Bits24);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) bitmap.SetPixel(x, y, PatternColor(x, y));
  const TBitmap original = bitmap;
  bitmap.SetPixelFormat(PixelFormat::Bits32);
  EXPECT_EQ(bitmap.Format(), PixelFormat::Bits32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(bitmap.GetPixel(x, y), PatternColor(x, y));
  bitmap.SetPixelFormat(PixelFormat::Bits24);
  EXPECT_EQ(bitmap, original);
}

TEST(BitmapConversion, SixteenBitsKeepTheNarrowedChannels) {
  TBitmap bitmap(9, 4, PixelFormat::Bits32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) bitmap.SetPixel(x, y, PatternColor(x, y));
  bitmap.SetPixelFormat(PixelFormat::Bits16);
  const TBitmap narrowed = bitmap;
  bitmap.SetPixelFormat(PixelFormat::Bits24);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(bitmap.GetPixel(x, y), As565(PatternColor(x, y)));
  bitmap.SetPixelFormat(PixelFormat::Bits16);
  EXPECT_EQ(bitmap, narrowed);
}

TEST(BitmapConversion, IndexedToTrueColourAndBackKeepsIndices) {
  TBitmap bitmap(16, 16, PixelFormat::Bits8);
  for (int i = 0; i < 256; ++i) bitmap.SetIndex(i % 16, i / 16, i);
  const TBitmap original = bitmap;
  bitmap.SetPixelFormat(PixelFormat::Bits24);
  for (int i = 0; i < 256; ++i)
    EXPECT_EQ(bitmap.GetPixel(i % 16, i / 16), ToColor(original.Palette()[static_cast<std::size_t>(i)]));
  bitmap.SetPixelFormat(PixelFormat::Bits8);
  EXPECT_EQ(bitmap.Palette(), original.Palette());
  EXPECT_EQ(bitmap, original);
}

TEST(BitmapConversion, ToIndexedUsesTheOwnPaletteWhenItFits) {
  TBitmap bitmap(2, 1, PixelFormat::Bits24);
  bitmap.SetPalette({{255, 0, 0}, {0, 0, 255}});
  bitmap.SetPixel(0, 0, RGB(250, 10, 10));
  bitmap.SetPixel(1, 0, RGB(20, 20, 200));
  bitmap.PaletteModified = false;
  bitmap.SetPixelFormat(PixelFormat::Bits1);
  EXPECT_FALSE(bitmap.PaletteModified);
  EXPECT_EQ(bitmap.GetIndex(0, 0), 0);
  EXPECT_EQ(bitmap.GetIndex(1, 0), 1);
}

TEST(BitmapConversion, ToIndexedWithoutAFittingPaletteTakesTheDefault) {
  TBitmap bitmap(3, 1, PixelFormat::Bits32);
  bitmap.SetPixel(0, 0, RGB(0, 0, 0));
  bitmap.SetPixel(1, 0, RGB(200, 190, 220));
  bitmap.SetPixel(2, 0, RGB(60, 50, 40));
  bitmap.PaletteModified = false;
  bitmap.SetPixelFormat(PixelFormat::Bits1);
  EXPECT_TRUE(bitmap.PaletteModified);
  EXPECT_EQ(bitmap.Palette(), DefaultPalette(PixelFormat::Bits1));
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(bitmap.GetPixel(1, 0), White);
  EXPECT_EQ(bitmap.GetPixel(2, 0), RGB(0, 0, 0));

  TBitmap eight(1, 1, PixelFormat::Bits24);
  eight.SetPixel(0, 0, RGB(102, 153, 204));  // a colour of the cube
  eight.SetPixelFormat(PixelFormat::Bits8);
  EXPECT_EQ(eight.GetPixel(0, 0), RGB(102, 153, 204));
}

TEST(BitmapAssign, CopiesPicturePaletteAndTransparency) {
  TBitmap source(3, 2, PixelFormat::Bits8);
  source.SetPalette({{1, 2, 3}, {4, 5, 6}});
  source.SetIndex(2, 1, 1);
  source.Transparent = true;
  source.TransparentColor = RGB(4, 5, 6);
  TBitmap target(10, 10, PixelFormat::Bits32);
  target.PaletteModified = false;
  target.Assign(source);
  EXPECT_EQ(target, source);
  EXPECT_EQ(target.Format(), PixelFormat::Bits8);
  EXPECT_TRUE(target.Transparent);
  EXPECT_EQ(target.TransparentColor, RGB(4, 5, 6));
  EXPECT_TRUE(target.PaletteModified);

  target.PaletteModified = false;
  target.Assign(source);
  EXPECT_FALSE(target.PaletteModified) << "the palette did not change";
}

TEST(BitmapEquality, ComparesPictureAndPaletteOnly) {
  TBitmap a(2, 2, PixelFormat::Bits24);
  TBitmap b(2, 2, PixelFormat::Bits24);
  b.Transparent = true;
  b.PaletteModified = true;
  EXPECT_EQ(a, b);
  b.SetPixel(1, 1, RGB(0, 0, 1));
  EXPECT_NE(a, b);
  EXPECT_NE(TBitmap(2, 2, PixelFormat::Bits24), TBitmap(2, 2, PixelFormat::Bits32));
}

// The checksum is computed here with zlib over an independently built R, G, B buffer.
TEST(PixelsCrc32, IsZlibCrcOverRgbRowsTopToBottom) {
  for (const PixelFormat format : {PixelFormat::Bits24, PixelFormat::Bits32, PixelFormat::Bits8}) {
    TBitmap bitmap(5, 3, format);
    std::vector<Bytef> expected;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        const PaletteEntry entry = DefaultPalette(PixelFormat::Bits8)[static_cast<std::size_t>(40 + x + 5 * y)];
        bitmap.SetPixel(x, y, ToColor(entry));
        expected.insert(expected.end(), {entry.Red, entry.Green, entry.Blue});
      }
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), expected.data(), static_cast<uInt>(expected.size()));
    EXPECT_EQ(PixelsCrc32(bitmap), static_cast<std::uint32_t>(crc)) << BitsPerPixel(format);
  }
  EXPECT_EQ(PixelsCrc32(TBitmap()), 0U);
}

TEST(PixelsCrc32, KnownValueOfASinglePixel) {
  TBitmap bitmap(1, 1, PixelFormat::Bits24);
  bitmap.SetPixel(0, 0, RGB('a', 'b', 'c'));
  EXPECT_EQ(PixelsCrc32(bitmap), 0x352441C2U);  // the standard CRC-32 of "abc"
}

TEST(Png, EncodeAndDecodeGiveTheSameColours) {
  for (const PixelFormat format : {PixelFormat::Bits4, PixelFormat::Bits16, PixelFormat::Bits24}) {
    TBitmap bitmap(6, 5, format);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) bitmap.SetPixel(x, y, PatternColor(x, y));
    const std::vector<std::uint8_t> png = EncodePng(bitmap);
    ASSERT_GT(png.size(), 8U);
    EXPECT_EQ(png[1], 'P');
    const TBitmap decoded = DecodePng(png);
    EXPECT_EQ(decoded.Format(), PixelFormat::Bits32);
    EXPECT_EQ(PixelsCrc32(decoded), PixelsCrc32(bitmap));
    EXPECT_EQ(decoded.ScanLine(4)[3], 255) << "opaque";
  }
}

TEST(Png, BadInputIsInvalidGraphic) {
  const std::vector<std::uint8_t> garbage = {1, 2, 3, 4, 5};
  EXPECT_THROW(DecodePng(garbage), EInvalidGraphic);
  std::vector<std::uint8_t> png = EncodePng(TBitmap(20, 20));
  png.resize(png.size() / 2);
  EXPECT_THROW(DecodePng(png), EInvalidGraphic);
  EXPECT_THROW(EncodePng(TBitmap()), EInvalidGraphic);
  EXPECT_THROW(LoadPng("/nonexistent/picture.png"), EFOpenError);
}

TEST(Png, SaveWritesAFileThatLoadsBack) {
  TBitmap bitmap(3, 2, PixelFormat::Bits24);
  bitmap.SetPixel(2, 1, RGB(1, 2, 3));
  const auto path = std::filesystem::path(::testing::TempDir()) / "bitmap_test_save.png";
  SavePng(bitmap, path);
  EXPECT_EQ(PixelsCrc32(LoadPng(path)), PixelsCrc32(bitmap));
  std::filesystem::remove(path);
  EXPECT_THROW(SavePng(bitmap, "/nonexistent/dir/x.png"), EFOpenError);
}

}  // namespace
}  // namespace velquora
