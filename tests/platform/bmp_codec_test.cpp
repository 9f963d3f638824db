// Bitmap files built byte by byte here: header kinds, row order, colour tables, data
// offsets, run-length data, bit-field masks, hostile sizes, and save/load round trips.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "core/memory_stream.h"
#include "platform/gdi/bitmap.h"

namespace velquora {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
std::uint32_t Get32(const Bytes& bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (std::uint32_t{bytes[at + 3]} << 24);
}

// The fields of a bitmap file, written in the order the format lays them out.
struct BmpFile {
  std::uint32_t HeaderSize = 40;
  std::int32_t Width = 1;
  std::int32_t Height = 1;
  std::uint16_t Planes = 1;
  std::uint16_t BitCount = 24;
  std::uint32_t Compression = 0;
  std::uint32_t SizeImage = 0;
  std::uint32_t ColorsUsed = 0;
  std::vector<std::uint32_t> Masks;   // after a 40-byte header, or inside a larger one
  std::vector<PaletteEntry> Table;    // 4 bytes per entry, 3 with a 12-byte header
  Bytes Pixels;
  std::optional<std::uint32_t> DataOffset;  // default: right after the table

  Bytes Build() const {
    Bytes dib;
    Put32(dib, HeaderSize);
    if (HeaderSize == 12) {
      Put16(dib, static_cast<std::uint32_t>(Width));
      Put16(dib, static_cast<std::uint32_t>(Height));
      Put16(dib, Planes);
      Put16(dib, BitCount);
    } else {
      Put32(dib, static_cast<std::uint32_t>(Width));
      Put32(dib, static_cast<std::uint32_t>(Height));
      Put16(dib, Planes);
      Put16(dib, BitCount);
      Put32(dib, Compression);
      Put32(dib, SizeImage);
      Put32(dib, 2835);
      Put32(dib, 2835);
      Put32(dib, ColorsUsed);
      Put32(dib, 0);
      for (const std::uint32_t mask : Masks) Put32(dib, mask);
      if (HeaderSize <= 124) dib.resize(std::max<std::size_t>(dib.size(), HeaderSize), 0);
    }
    for (const PaletteEntry& entry : Table) {
      dib.insert(dib.end(), {entry.Blue, entry.Green, entry.Red});
      if (HeaderSize != 12) dib.push_back(0);
    }
    Bytes file = {'B', 'M'};
    Put32(file, static_cast<std::uint32_t>(14 + dib.size() + Pixels.size()));
    Put32(file, 0);
    Put32(file, DataOffset.value_or(static_cast<std::uint32_t>(14 + dib.size())));
    file.insert(file.end(), dib.begin(), dib.end());
    if (DataOffset && *DataOffset > file.size()) file.resize(*DataOffset, 0xEE);
    file.insert(file.end(), Pixels.begin(), Pixels.end());
    return file;
  }
};

TBitmap Load(const Bytes& bytes) {
  TMemoryStream stream(bytes);
  TBitmap bitmap;
  bitmap.LoadFromStream(stream);
  return bitmap;
}

void ExpectRefused(const Bytes& bytes, const char* why) {
  TMemoryStream stream(bytes);
  TBitmap bitmap;
  EXPECT_THROW(bitmap.LoadFromStream(stream), EInvalidGraphic) << why;
}

const std::vector<PaletteEntry> FourColours = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

TEST(BmpReader, BottomUpRowsComeLastRowFirst) {
  BmpFile file;
  file.Width = 1;
  file.Height = 2;
  file.Pixels = {1, 2, 3, 0, 4, 5, 6, 0};  // bottom row, then top row; rows padded to 4 bytes
  const TBitmap bitmap = Load(file.Build());
  EXPECT_EQ(bitmap.GetPixel(0, 1), RGB(3, 2, 1));
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(6, 5, 4));
}

TEST(BmpReader, TopDownRowsComeFirstRowFirst) {
  BmpFile file;
  file.Width = 1;
  file.Height = -2;
  file.Pixels = {1, 2, 3, 0, 4, 5, 6, 0};
  const TBitmap bitmap = Load(file.Build());
  EXPECT_EQ(bitmap.Height(), 2);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(3, 2, 1));
  EXPECT_EQ(bitmap.GetPixel(0, 1), RGB(6, 5, 4));
}

TEST(BmpReader, CoreHeaderHasThreeByteColourEntries) {
  BmpFile file;
  file.HeaderSize = 12;
  file.Width = 3;
  file.BitCount = 1;
  file.Table = {{10, 20, 30}, {40, 50, 60}};
  file.Pixels = {0b01000000, 0, 0, 0};
  const TBitmap bitmap = Load(file.Build());
  EXPECT_EQ(bitmap.Format(), PixelFormat::Bits1);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(bitmap.GetPixel(1, 0), RGB(40, 50, 60));
  EXPECT_EQ(bitmap.Palette(), file.Table);
}

TEST(BmpReader, ShortColourTableLeavesHigherIndicesBlack) {
  BmpFile file;
  file.Width = 2;
  file.BitCount = 8;
  file.ColorsUsed = 2;
  file.Table = {{9, 9, 9}, {200, 100, 50}};
  file.Pixels = {1, 7, 0, 0};
  const TBitmap bitmap = Load(file.Build());
  EXPECT_EQ(bitmap.Palette().size(), 2U);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(200, 100, 50));
  EXPECT_EQ(bitmap.GetPixel(1, 0), RGB(0, 0, 0));
  EXPECT_EQ(bitmap.GetIndex(1, 0), 7);
}

TEST(BmpReader, ColourTableLongerThanTheDepthIsCut) {
  BmpFile file;
  file.BitCount = 1;
  file.ColorsUsed = 3;
  file.Table = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
  file.Pixels = {0x80, 0, 0, 0};
  const TBitmap bitmap = Load(file.Build());
  EXPECT_EQ(bitmap.Palette(), (std::vector<PaletteEntry>{{1, 1, 1}, {2, 2, 2}}));
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(2, 2, 2));
}

TEST(BmpReader, DataOffsetSkipsAGap) {
  BmpFile file;
  file.DataOffset = 14 + 40 + 10;
  file.Pixels = {7, 8, 9, 0};
  EXPECT_EQ(Load(file.Build()).GetPixel(0, 0), RGB(9, 8, 7));
}

TEST(BmpReader, DataOffsetPointingIntoTheHeadersMeansRightAfterTheTable) {
  BmpFile file;
  file.DataOffset = 0;
  file.Pixels = {7, 8, 9, 0};
  EXPECT_EQ(Load(file.Build()).GetPixel(0, 0), RGB(9, 8, 7));
}

TEST(BmpReader, DataOffsetBeyondTheDataIsRefused) {
  BmpFile file;
  file.Pixels = {7, 8, 9, 0};
  Bytes bytes = file.Build();
  bytes[10] = 0xFF;
  bytes[11] = 0xFF;
  ExpectRefused(bytes, "offset 65535");
}

TEST(BmpReader, LoadsFromTheStreamPositionAndStopsAfterThePixels) {
  BmpFile file;
  file.Pixels = {7, 8, 9, 0};
  const Bytes picture = file.Build();
  Bytes bytes = {0xAA, 0xBB, 0xCC};
  bytes.insert(bytes.end(), picture.begin(), picture.end());
  bytes.insert(bytes.end(), {1, 2, 3, 4, 5});
  TMemoryStream stream(bytes);
  stream.SetPosition(3);
  TBitmap bitmap;
  bitmap.LoadFromStream(stream);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(9, 8, 7));
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(3 + picture.size()));
}

TEST(BmpReader, HeaderSizesOtherThanTheKnownOnesAreRefused) {
  for (const std::uint32_t size : {0U, 16U, 39U, 41U, 64U, 100U, 125U, 0xFFFFFFF0U}) {
    BmpFile file;
    file.HeaderSize = size;
    file.Pixels = Bytes(64, 0);
    ExpectRefused(file.Build(), std::to_string(size).c_str());
  }
  for (const std::uint32_t size : {52U, 56U, 108U, 124U}) {
    BmpFile file;
    file.HeaderSize = size;
    file.Pixels = {1, 2, 3, 0};
    EXPECT_EQ(Load(file.Build()).GetPixel(0, 0), RGB(3, 2, 1)) << size;
  }
}

TEST(BmpReader, MalformedHeadersAreRefused) {
  struct Case {
    const char* Why;
    void (*Change)(BmpFile&);
  };
  const Case cases[] = {
      {"two planes", [](BmpFile& f) { f.Planes = 2; }},
      {"2 bits per pixel", [](BmpFile& f) { f.BitCount = 2; }},
      {"64 bits per pixel", [](BmpFile& f) { f.BitCount = 64; }},
      {"no bits per pixel", [](BmpFile& f) { f.BitCount = 0; }},
      {"zero width", [](BmpFile& f) { f.Width = 0; }},
      {"negative width", [](BmpFile& f) { f.Width = -1; }},
      {"zero height", [](BmpFile& f) { f.Height = 0; }},
      {"smallest height", [](BmpFile& f) { f.Height = INT32_MIN; }},
      {"width beyond the limit", [](BmpFile& f) { f.Width = MaxBitmapDimension + 1; }},
      {"RLE8 on 24 bits", [](BmpFile& f) { f.Compression = 1; }},
      {"RLE4 on 8 bits", [](BmpFile& f) { f.Compression = 2; f.BitCount = 8; }},
      {"masks on 24 bits", [](BmpFile& f) { f.Compression = 3; }},
      {"JPEG data", [](BmpFile& f) { f.Compression = 4; }},
      {"PNG data", [](BmpFile& f) { f.Compression = 5; }},
      {"top-down RLE", [](BmpFile& f) { f.Compression = 1; f.BitCount = 8; f.Height = -1; }},
      {"32 bits in a core header", [](BmpFile& f) { f.HeaderSize = 12; f.BitCount = 32; }},
  };
  for (const Case& c : cases) {
    BmpFile file;
    file.Pixels = Bytes(64, 0);
    c.Change(file);
    ExpectRefused(file.Build(), c.Why);
  }
  BmpFile small;
  small.Pixels = Bytes(4, 0);
  Bytes notBitmap = small.Build();
  notBitmap[1] = 'A';
  ExpectRefused(notBitmap, "signature BA");
  ExpectRefused({'B', 'M', 0, 0}, "cut file header");
  const Bytes whole = small.Build();
  ExpectRefused(Bytes(whole.begin(), whole.begin() + 30), "cut info header");
}

TEST(BmpReader, MissingPixelDataIsRefused) {
  BmpFile file;
  file.Width = 2;
  file.Height = 2;
  file.Pixels = Bytes(15, 0);  // 16 needed
  ExpectRefused(file.Build(), "one byte short");
  file.Pixels.push_back(0);
  EXPECT_NO_THROW(Load(file.Build()));
}

TEST(BmpReader, HugeDeclaredSizesFailWithoutAllocating) {
  BmpFile file;
  file.Width = 20000;
  file.Height = 3000;  // within the limits, but 240 MB of pixels that are not there
  file.BitCount = 32;
  file.Pixels = Bytes(100, 0);
  ExpectRefused(file.Build(), "pixels missing");

  BmpFile table;
  table.BitCount = 8;
  table.ColorsUsed = 0x7FFFFFFF;
  table.Pixels = Bytes(100, 0);
  ExpectRefused(table.Build(), "colour table of 2^31 entries");
}

// Run-length data, rows from the bottom: index values hand-placed.
TBitmap LoadRle(int bits, int width, int height, const Bytes& data, std::uint32_t sizeImage = 0) {
  BmpFile file;
  file.Width = width;
  file.Height = height;
  file.BitCount = static_cast<std::uint16_t>(bits);
  file.Compression = bits == 8 ? 1 : 2;
  file.SizeImage = sizeImage;
  file.ColorsUsed = 4;
  file.Table = FourColours;
  file.Pixels = data;
  return Load(file.Build());
}

std::vector<int> Indices(const TBitmap& bitmap, int y) {
  std::vector<int> row;
  for (int x = 0; x < bitmap.Width(); ++x) row.push_back(bitmap.GetIndex(x, y));
  return row;
}

TEST(BmpReaderRle8, RunsLiteralsEndOfLineAndEndOfPicture) {
  const TBitmap bitmap = LoadRle(8, 6, 3,
                                 {3, 1,           // bottom row: three of index 1
                                  0, 3, 2, 3, 2, 0,  // literal 2 3 2, padded to an even count
                                  0, 0,           // end of line
                                  0, 4, 3, 3, 1, 1,  // literal of four, no padding
                                  0, 1});         // end of picture
  EXPECT_EQ(Indices(bitmap, 2), (std::vector<int>{1, 1, 1, 2, 3, 2}));
  EXPECT_EQ(Indices(bitmap, 1), (std::vector<int>{3, 3, 1, 1, 0, 0}));
  EXPECT_EQ(Indices(bitmap, 0), (std::vector<int>{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(bitmap.GetPixel(0, 1), RGB(0, 0, 255));
}

TEST(BmpReaderRle8, DeltaMovesRightAndUp) {
  const TBitmap bitmap = LoadRle(8, 4, 3, {1, 1, 0, 2, 2, 1, 1, 3, 0, 1});
  EXPECT_EQ(Indices(bitmap, 2), (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(Indices(bitmap, 1), (std::vector<int>{0, 0, 0, 3}));
}

TEST(BmpReaderRle8, PixelsPastTheRowEndAreDropped) {
  const TBitmap bitmap = LoadRle(8, 3, 2, {5, 2, 2, 1, 0, 0, 1, 3, 0, 1});
  EXPECT_EQ(Indices(bitmap, 1), (std::vector<int>{2, 2, 2}));
  EXPECT_EQ(Indices(bitmap, 0), (std::vector<int>{3, 0, 0})) << "nothing wrapped into the next row";
}

TEST(BmpReaderRle8, DataEndingEarlyLeavesIndexZero) {
  const TBitmap bitmap = LoadRle(8, 4, 2, {2, 3, 0, 5, 1});  // literal cut short
  EXPECT_EQ(Indices(bitmap, 1), (std::vector<int>{3, 3, 1, 0}));
  EXPECT_EQ(Indices(bitmap, 0), (std::vector<int>{0, 0, 0, 0}));
}

TEST(BmpReaderRle8, DeltaBeyondThePictureEndsTheDecoding) {
  const TBitmap bitmap = LoadRle(8, 2, 2, {0, 2, 0, 200, 1, 1, 0, 1});
  EXPECT_EQ(Indices(bitmap, 0), (std::vector<int>{0, 0}));
  EXPECT_EQ(Indices(bitmap, 1), (std::vector<int>{0, 0}));
}

TEST(BmpReaderRle8, SizeImageLimitsTheData) {
  const TBitmap bitmap = LoadRle(8, 4, 1, {2, 1, 2, 2, 0, 1}, 2);
  EXPECT_EQ(Indices(bitmap, 0), (std::vector<int>{1, 1, 0, 0}));
}

TEST(BmpReaderRle8, StreamStopsAfterTheEndOfPictureCode) {
  BmpFile file;
  file.Width = 2;
  file.BitCount = 8;
  file.Compression = 1;
  file.ColorsUsed = 4;
  file.Table = FourColours;
  file.Pixels = {2, 1, 0, 1};
  Bytes bytes = file.Build();
  const std::size_t size = bytes.size();
  bytes.insert(bytes.end(), {9, 9, 9});
  TMemoryStream stream(bytes);
  TBitmap bitmap;
  bitmap.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(size));
}

TEST(BmpReaderRle4, RunsAlternateTheTwoNibbles) {
  const TBitmap bitmap = LoadRle(4, 7, 1, {5, 0x12, 0, 3, 0x31, 0x20, 0, 1});
  EXPECT_EQ(Indices(bitmap, 0), (std::vector<int>{1, 2, 1, 2, 1, 3, 1}));
  EXPECT_EQ(bitmap.Format(), PixelFormat::Bits4);
}

TEST(BmpReaderRle4, LiteralPaddingCountsBytesNotPixels) {
  // Five pixels take three bytes, padded to four.
  const TBitmap bitmap = LoadRle(4, 8, 1, {0, 5, 0x12, 0x31, 0x20, 0x00, 2, 0x33, 0, 1});
  EXPECT_EQ(Indices(bitmap, 0), (std::vector<int>{1, 2, 3, 1, 2, 3, 3, 0}));
}

std::uint16_t Stored16(const TBitmap& bitmap, int x, int y) {
  return static_cast<std::uint16_t>(bitmap.ScanLine(y)[2 * x] | (bitmap.ScanLine(y)[2 * x + 1] << 8));
}

TEST(BmpReaderMasks, Plain16BitsAre555) {
  BmpFile file;
  file.Width = 2;
  file.BitCount = 16;
  file.Pixels = {0x00, 0x7C, 0x01, 0x80};  // red 31; blue 1 with the unused top bit set
  const TBitmap bitmap = Load(file.Build());
  EXPECT_EQ(bitmap.Format(), PixelFormat::Bits24);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(bitmap.GetPixel(1, 0), RGB(0, 0, 8));  // round(1 * 255 / 31)
}

TEST(BmpReaderMasks, Masks565KeepTheStoredPixels) {
  BmpFile file;
  file.Width = 2;
  file.BitCount = 16;
  file.Compression = 3;
  file.Masks = {0xF800, 0x07E0, 0x001F};
  file.Pixels = {0x20, 0x00, 0xFF, 0xFF};
  const TBitmap bitmap = Load(file.Build());
  EXPECT_EQ(bitmap.Format(), PixelFormat::Bits16);
  EXPECT_EQ(Stored16(bitmap, 0, 0), 0x0020);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(0, 4, 0));  // green 1 of 63: round(255 / 63)
  EXPECT_EQ(bitmap.GetPixel(1, 0), RGB(255, 255, 255));
}

TEST(BmpReaderMasks, WideChannelsAreScaledToEightBits) {
  BmpFile file;
  file.HeaderSize = 56;
  file.BitCount = 32;
  file.Compression = 3;
  file.Masks = {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000};
  const std::uint32_t pixel = (1023u << 20) | (512u << 10) | 2u;
  file.Pixels.resize(4);
  std::memcpy(file.Pixels.data(), &pixel, 4);
  const TBitmap bitmap = Load(file.Build());
  EXPECT_EQ(bitmap.Format(), PixelFormat::Bits32);
  // round(v * 255 / 1023): 1023 -> 255, 512 -> 128 (127.62), 2 -> 0 (0.499)
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(255, 128, 0));
}

TEST(BmpReaderMasks, MasksInAVersion4HeaderOrderedXbgr) {
  BmpFile file;
  file.HeaderSize = 108;
  file.BitCount = 32;
  file.Compression = 3;
  file.Masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
  file.Pixels = {0x00, 0x30, 0x20, 0x10};  // x, blue, green, red from the low byte up
  EXPECT_EQ(Load(file.Build()).GetPixel(0, 0), RGB(0x10, 0x20, 0x30));
}

TEST(BmpReaderMasks, InvalidMasksAreRefused) {
  const std::vector<std::uint32_t> bad[] = {
      {0xF800, 0x0FE0, 0x001F},   // red and green overlap
      {0xF000, 0x0A00, 0x001F},   // green not contiguous
      {0x1F0000, 0x07E0, 0x1F},   // red beyond 16 bits
      {0, 0, 0},                  // nothing at all
  };
  for (const auto& masks : bad) {
    BmpFile file;
    file.BitCount = 16;
    file.Compression = 3;
    file.Masks = masks;
    file.Pixels = Bytes(4, 0);
    ExpectRefused(file.Build(), "masks");
  }
  BmpFile cut;
  cut.BitCount = 16;
  cut.Compression = 3;
  Bytes bytes = cut.Build();
  ExpectRefused(bytes, "masks missing");
}

TEST(BmpReader, LoadKeepsTransparencyAndMarksANewPalette) {
  BmpFile file;
  file.BitCount = 8;
  file.ColorsUsed = 4;
  file.Table = FourColours;
  file.Pixels = {2, 0, 0, 0};
  TBitmap bitmap(1, 1, PixelFormat::Bits24);
  bitmap.Transparent = true;
  bitmap.TransparentColor = RGB(1, 2, 3);
  TMemoryStream stream(file.Build());
  bitmap.LoadFromStream(stream);
  EXPECT_TRUE(bitmap.Transparent);
  EXPECT_EQ(bitmap.TransparentColor, RGB(1, 2, 3));
  EXPECT_TRUE(bitmap.PaletteModified);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(0, 255, 0));
}

// A picture in every format with pixels and (for indexed formats) a colour table.
TBitmap Sample(PixelFormat format, int width, int height) {
  TBitmap bitmap(width, height, format);
  if (IsIndexed(format)) {
    std::vector<PaletteEntry> palette;
    for (std::size_t i = 0; i < (std::size_t{1} << BitsPerPixel(format)); ++i)
      palette.push_back({static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 3)});
    bitmap.SetPalette(palette);
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bitmap.SetPixel(x, y, RGB(static_cast<std::uint8_t>(x * 40 + y), static_cast<std::uint8_t>(y * 60), static_cast<std::uint8_t>(x * y * 9)));
  return bitmap;
}

TEST(BmpWriter, EveryFormatSurvivesASaveAndLoad) {
  for (const PixelFormat format : {PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits8, PixelFormat::Bits16,
                                   PixelFormat::Bits24, PixelFormat::Bits32}) {
    for (const int width : {1, 5, 13}) {
      const TBitmap original = Sample(format, width, 3);
      TMemoryStream stream;
      original.SaveToStream(stream);
      EXPECT_EQ(stream.Position(), stream.Size());
      stream.SetPosition(0);
      TBitmap loaded;
      loaded.LoadFromStream(stream);
      EXPECT_EQ(loaded, original) << BitsPerPixel(format) << " bits, width " << width;
      EXPECT_EQ(loaded.Format(), format);
      EXPECT_EQ(stream.Position(), stream.Size());
    }
  }
}

TEST(BmpWriter, TrueColourPaletteIsKept) {
  TBitmap bitmap(2, 2, PixelFormat::Bits24);
  bitmap.SetPalette({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  TMemoryStream stream;
  bitmap.SaveToStream(stream);
  stream.SetPosition(0);
  TBitmap loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.Palette(), bitmap.Palette());
}

TEST(BmpWriter, HeaderFieldsAndBottomUpRows) {
  TBitmap bitmap(2, 2, PixelFormat::Bits8);
  bitmap.SetPalette({{10, 20, 30}, {40, 50, 60}});
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) bitmap.SetIndex(x, y, x == 0 && y == 0 ? 1 : 0);  // only the top-left is 1
  TMemoryStream stream;
  bitmap.SaveToStream(stream);
  const Bytes& bytes = stream.Bytes();
  const std::uint32_t offset = 14 + 40 + 2 * 4;
  ASSERT_EQ(bytes.size(), offset + 2 * 4);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(Get32(bytes, 2), bytes.size());
  EXPECT_EQ(Get32(bytes, 10), offset);
  EXPECT_EQ(Get32(bytes, 14), 40U);
  EXPECT_EQ(Get32(bytes, 18), 2U);
  EXPECT_EQ(Get32(bytes, 22), 2U) << "positive height: bottom-up";
  EXPECT_EQ(bytes[28], 8);
  EXPECT_EQ(Get32(bytes, 30), 0U) << "BI_RGB";
  EXPECT_EQ(Get32(bytes, 46), 2U) << "colours used";
  EXPECT_EQ((Bytes{bytes[54], bytes[55], bytes[56]}), (Bytes{30, 20, 10})) << "blue, green, red";
  EXPECT_EQ(bytes[offset], 0) << "first stored row is the bottom one";
  EXPECT_EQ(bytes[offset + 4], 1);
}

TEST(BmpWriter, SixteenBitsAreWrittenWith565Masks) {
  TMemoryStream stream;
  TBitmap(1, 1, PixelFormat::Bits16).SaveToStream(stream);
  const Bytes& bytes = stream.Bytes();
  EXPECT_EQ(Get32(bytes, 30), 3U) << "BI_BITFIELDS";
  EXPECT_EQ(Get32(bytes, 54), 0xF800U);
  EXPECT_EQ(Get32(bytes, 58), 0x07E0U);
  EXPECT_EQ(Get32(bytes, 62), 0x001FU);
}

}  // namespace
}  // namespace velquora
