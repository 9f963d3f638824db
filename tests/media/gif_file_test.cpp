// Loading GIF files: header and block structure, extensions, images, the queries on frames and
// the 8-bit bitmap file of a frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/memory_stream.h"
#include "gif_writer.h"
#include "media/gif/gif_file.h"

namespace velquora {
namespace {

const std::vector<GifRgb> kFourColors{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}};

GifImage SolidImage(int left, int top, int width, int height, std::uint8_t index) {
  return GifImage(left, top, width, height, std::vector<std::uint8_t>(std::size_t(width) * height, index));
}

std::string LoadError(const std::vector<std::uint8_t>& bytes) {
  TMemoryStream stream(bytes);
  TGifFile gif;
  try {
    gif.LoadFromStream(stream);
  } catch (const Exception& error) {
    return error.what();
  }
  return "no error";
}

void Load(TGifFile& gif, const std::vector<std::uint8_t>& bytes) {
  TMemoryStream stream(bytes);
  gif.LoadFromStream(stream);
}

std::vector<std::uint8_t> OneImageGif(std::string_view signature) {
  GifWriter writer(2, 2, kFourColors, signature);
  writer.Image(SolidImage(0, 0, 2, 2, 1)).Trailer();
  return writer.Bytes();
}

TEST(GifFile, VersionMustBe87aOr89aInEitherCase) {
  struct Case {
    const char* signature;
    bool accepted;
  };
  const Case cases[] = {{"GIF87a", true},  {"GIF89a", true},  {"GIF87A", true},  {"GIF89A", true},
                        {"XYZ89a", true},  {"GIF88a", false}, {"GIF89b", false}, {"GIF90a", false},
                        {"GIF8 9a", false}};
  for (const Case& c : cases) {
    const std::string error = LoadError(OneImageGif(c.signature));
    EXPECT_EQ(error, c.accepted ? "no error" : "Gif Version must be 87a or 89a") << c.signature;
  }
}

TEST(GifFile, HeaderCutShortIsAReadError) {
  EXPECT_EQ(LoadError({'G', 'I', 'F', '8'}), "Stream read error");
  EXPECT_EQ(LoadError({'G', 'I', 'F', '8', '9', 'a', 1, 0}), "Stream read error");
}

TEST(GifFile, UnknownExtensionLabelIsNamedInHex) {
  for (int label : {0x02, 0xAB, 0xF8}) {
    GifWriter writer(2, 2, kFourColors);
    writer.Raw(std::vector<std::uint8_t>{0x21, static_cast<std::uint8_t>(label), 0});
    writer.Image(SolidImage(0, 0, 2, 2, 1)).Trailer();
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", label);
    EXPECT_EQ(LoadError(writer.Bytes()), std::string("Unrecognized extension block.\r\nCode = $") + hex);
  }
}

TEST(GifFile, ExtensionsAreKeptWithTheImageThatFollows) {
  GifWriter writer(2, 2, kFourColors);
  const std::vector<std::string> loop{std::string("\x01\x00\x00", 3)};
  writer.Application("NETSCAPE2.0", loop).Comment("made by hand").GraphicControl(1, 7);
  writer.Raw(std::vector<std::uint8_t>{0x21, 0x01, 12, 0, 0, 0, 0, 2, 0, 2, 0, 1, 1, 0, 0, 2, 'h', 'i', 0});
  writer.Image(SolidImage(0, 0, 2, 2, 1)).Trailer();
  TGifFile gif;
  Load(gif, writer.Bytes());
  ASSERT_EQ(gif.FrameCount(), 1);
  const TExtensionList& extensions = gif.Frame(1)->Extensions();
  ASSERT_EQ(extensions.size(), 4u);
  EXPECT_EQ(extensions[0].Kind(), TExtensionKind::Application);
  EXPECT_EQ(extensions[0].Fixed().size(), 12u);
  EXPECT_EQ(extensions[0].SubBlocks(), loop);
  EXPECT_EQ(extensions[1].Kind(), TExtensionKind::Comment);
  EXPECT_EQ(extensions[1].SubBlocks(), std::vector<std::string>{"made by hand"});
  EXPECT_EQ(extensions[2].Kind(), TExtensionKind::GraphicControl);
  EXPECT_EQ(extensions[2].Fixed().size(), 6u);
  EXPECT_EQ(extensions[3].Kind(), TExtensionKind::PlainText);
  EXPECT_EQ(extensions[3].Fixed().size(), 13u);
  EXPECT_EQ(extensions[3].SubBlocks(), std::vector<std::string>{"hi"});
  EXPECT_EQ(gif.FrameDelay(1), 7);
}

TEST(GifFile, TrailingGraphicControlAddsAFrameWithoutPixels) {
  GifWriter writer(2, 2, kFourColors);
  writer.GraphicControl(0, 10).Image(SolidImage(0, 0, 2, 2, 1)).GraphicControl(2, 30).Trailer();
  TGifFile gif;
  Load(gif, writer.Bytes());
  ASSERT_EQ(gif.FrameCount(), 2);
  EXPECT_TRUE(gif.Frame(1)->HasPixels());
  EXPECT_FALSE(gif.Frame(2)->HasPixels());
  EXPECT_EQ(gif.FrameBitmap(2), nullptr);
  EXPECT_EQ(gif.FrameDelay(2), 30);
  EXPECT_EQ(gif.Frame(2)->DisposalMethod(), 2);
  EXPECT_EQ(gif.ScreenWidth(), 2);
}

TEST(GifFile, TrailingExtensionWithoutTrailerAlsoAddsAFrame) {
  GifWriter writer(2, 2, kFourColors);
  writer.Image(SolidImage(0, 0, 2, 2, 1)).GraphicControl(0, 30);
  TGifFile gif;
  Load(gif, writer.Bytes());
  EXPECT_EQ(gif.FrameCount(), 2);
}

TEST(GifFile, UnknownBlockEndsThePictureAndDropsItsExtensions) {
  GifWriter writer(2, 2, kFourColors);
  writer.Image(SolidImage(0, 0, 2, 2, 1)).GraphicControl(0, 30).Raw(std::vector<std::uint8_t>{0x00});
  const std::size_t stop = writer.Bytes().size();
  writer.Image(SolidImage(0, 0, 2, 2, 2)).Trailer();
  TGifFile gif;
  Load(gif, writer.Bytes());
  EXPECT_EQ(gif.FrameCount(), 1);
  EXPECT_EQ(gif.ConsumedBytes(), static_cast<std::int64_t>(stop));
}

TEST(GifFile, MissingTrailerEndsThePictureQuietly) {
  GifWriter writer(4, 4, kFourColors);
  writer.Image(SolidImage(0, 0, 4, 4, 2)).Image(SolidImage(1, 1, 2, 2, 3));
  TGifFile gif;
  Load(gif, writer.Bytes());
  ASSERT_EQ(gif.FrameCount(), 2);
  EXPECT_EQ(gif.Frame(2)->Pixels().At(2, 1), 3);
}

TEST(GifFile, PictureWithoutImagesHasNoFrames) {
  GifWriter writer(4, 4, kFourColors);
  writer.Trailer();
  TGifFile gif;
  Load(gif, writer.Bytes());
  EXPECT_EQ(gif.FrameCount(), 0);
  EXPECT_EQ(gif.Frame(1), nullptr);
  EXPECT_EQ(gif.FrameDelay(1), 0);
  EXPECT_EQ(gif.FrameTransparentColor(1), TGifFile::NoTransparentColor);
  EXPECT_EQ(gif.FrameBitmap(1), nullptr);
  EXPECT_EQ(gif.ScreenWidth(), 0);
}

TEST(GifFile, FrameIndexOutsideTheListGivesFrameOne) {
  GifWriter writer(4, 4, kFourColors);
  writer.Image(SolidImage(0, 0, 1, 1, 0)).Image(SolidImage(0, 0, 2, 2, 1)).Trailer();
  TGifFile gif;
  Load(gif, writer.Bytes());
  for (int index : {-1, 0, 3, 99}) EXPECT_EQ(gif.Frame(index), gif.Frame(1)) << index;
  EXPECT_NE(gif.Frame(2), gif.Frame(1));
}

TEST(GifFile, ScreenSizeIsTheLargestImageNotTheLogicalScreen) {
  GifWriter writer(100, 100, kFourColors);
  writer.Image(SolidImage(50, 0, 7, 3, 0)).Image(SolidImage(0, 60, 4, 9, 1)).Trailer();
  TGifFile gif;
  Load(gif, writer.Bytes());
  EXPECT_EQ(gif.ScreenWidth(), 7);
  EXPECT_EQ(gif.ScreenHeight(), 9);
}

TEST(GifFile, DisposalAndDelayComeFromTheLastGraphicControlTheColourFromTheFirstTransparentOne) {
  GifWriter writer(2, 2, kFourColors);
  writer.GraphicControl(1, 5).GraphicControl(3, 8, 2).GraphicControl(2, 12, 3).GraphicControl(0, 40);
  writer.Image(SolidImage(0, 0, 2, 2, 1)).Trailer();
  TGifFile gif;
  Load(gif, writer.Bytes());
  const TGifSubImage& frame = *gif.Frame(1);
  EXPECT_EQ(frame.DisposalMethod(), 0);
  EXPECT_FALSE(frame.TransparencyFlag());
  EXPECT_EQ(gif.FrameDelay(1), 40);
  EXPECT_EQ(gif.FrameTransparentColor(1), static_cast<std::int32_t>(RGB(0, 0, 255)));
}

TEST(GifFile, TransparentColourIsTakenFromTheLocalTable) {
  GifWriter writer(2, 2, kFourColors);
  GifImage image = SolidImage(0, 0, 2, 2, 1);
  image.LocalColors = {{1, 2, 3}, {4, 5, 6}};
  writer.GraphicControl(1, 0, 1).Image(image).Trailer();
  TGifFile gif;
  Load(gif, writer.Bytes());
  EXPECT_TRUE(gif.Frame(1)->HasLocalTable());
  EXPECT_EQ(gif.Frame(1)->LocalTable().Count(), 2);
  EXPECT_EQ(gif.FrameTransparentColor(1), static_cast<std::int32_t>(RGB(4, 5, 6)));
  EXPECT_TRUE(gif.Frame(1)->TransparencyFlag());
}

TEST(GifFile, GlobalTableIsReadOnlyWhenFlagged) {
  TGifFile with_table;
  Load(with_table, OneImageGif("GIF89a"));
  EXPECT_TRUE(with_table.HasGlobalTable());
  EXPECT_EQ(with_table.GlobalTable().Count(), 4);
  EXPECT_EQ(with_table.GlobalTable().Color(3), RGB(10, 20, 30));

  GifWriter writer(2, 2);
  writer.Image(SolidImage(0, 0, 2, 2, 1)).Trailer();
  TGifFile without;
  Load(without, writer.Bytes());
  EXPECT_FALSE(without.HasGlobalTable());
  EXPECT_EQ(without.GlobalTable().Color(1), RGB(255, 255, 255));
  EXPECT_EQ(without.Frame(1)->Pixels().At(1, 0), 1);
}

TEST(GifFile, NewColourTablesHoldDefaultColours) {
  const TColorTable two(2);
  EXPECT_EQ(two.Count(), 2);
  EXPECT_EQ(two.Color(0), RGB(0, 0, 0));
  EXPECT_EQ(two.Color(1), RGB(255, 255, 255));
  const std::vector<PaletteEntry> vga = DefaultPalette(PixelFormat::Bits4);
  const TColorTable sixteen(16);
  for (std::size_t i = 0; i < vga.size(); ++i) EXPECT_EQ(sixteen.Entries()[i], vga[i]) << i;
  EXPECT_EQ(sixteen.Color(1), RGB(128, 0, 0));
  const std::vector<PaletteEntry> full_palette = DefaultPalette(PixelFormat::Bits8);
  ASSERT_EQ(full_palette.size(), 256u);
  const TColorTable full(256);
  EXPECT_EQ(full.Count(), 256);
  for (std::size_t i = 0; i < full_palette.size(); ++i) EXPECT_EQ(full.Entries()[i], full_palette[i]) << i;
}

TEST(GifFile, SubImageNeedsAPowerOfTwoColourCount) {
  TGifFile gif;
  for (int count : {0, 1, 3, 6, 100, 512}) {
    try {
      TGifSubImage image(count, gif);
      ADD_FAILURE() << count;
    } catch (const EGifException& error) {
      EXPECT_EQ(std::string(error.what()), "Number of colors (" + std::to_string(count) + ") wrong; must be a power of 2");
    }
  }
  struct Case {
    int colors;
    int code_size;
  };
  for (const Case& c : {Case{2, 2}, Case{4, 2}, Case{8, 3}, Case{32, 5}, Case{256, 8}})
    EXPECT_EQ(TGifSubImage(c.colors, gif).CodeSize(), c.code_size) << c.colors;
}

TEST(GifFile, MinimumCodeSizeNineLoadsAndTenIsRefused) {
  const std::vector<std::uint8_t> pixels{1, 2, 3, 4};
  GifWriter nine(2, 2, kFourColors);
  nine.ImageWithData(GifImage(0, 0, 2, 2), 9, GifLzwEncode(pixels, 9)).Trailer();
  TGifFile gif;
  Load(gif, nine.Bytes());
  EXPECT_EQ(gif.Frame(1)->CodeSize(), 9);
  EXPECT_EQ(gif.Frame(1)->Pixels().At(2, 1), 4);

  GifWriter ten(2, 2, kFourColors);
  ten.ImageWithData(GifImage(0, 0, 2, 2), 10, GifLzwEncode(pixels, 9)).Trailer();
  EXPECT_EQ(LoadError(ten.Bytes()), "Bad code Size");
}

TEST(GifFile, FailedImageIsDroppedAndEarlierOnesStay) {
  GifWriter writer(2, 2, kFourColors);
  writer.Image(SolidImage(0, 0, 2, 2, 1));
  writer.ImageWithData(GifImage(0, 0, 2, 2), 12, std::vector<std::uint8_t>{0}).Trailer();
  TMemoryStream stream(writer.Bytes());
  TGifFile gif;
  EXPECT_THROW(gif.LoadFromStream(stream), EGifException);
  EXPECT_EQ(gif.FrameCount(), 1);
}

TEST(GifFile, DataCutShortKeepsWhatWasRead) {
  const std::vector<std::uint8_t> pixels(64 * 8, 2);
  GifWriter writer(64, 8, kFourColors);
  std::vector<std::uint8_t> data = GifLzwEncode(pixels, 2);
  writer.ImageWithData(GifImage(0, 0, 64, 8), 2, data, false);
  std::vector<std::uint8_t> bytes = writer.Bytes();
  bytes.resize(bytes.size() - data.size() / 2);
  TGifFile gif;
  Load(gif, bytes);
  ASSERT_EQ(gif.FrameCount(), 1);
  EXPECT_EQ(gif.Frame(1)->Pixels().At(1, 0), 2);
  EXPECT_EQ(gif.Frame(1)->Pixels().At(8, 63), 0);
}

TEST(GifFile, MissingCodeSizeByteLeavesABlankImage) {
  GifWriter writer(3, 2, kFourColors);
  writer.Raw(std::vector<std::uint8_t>{0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0});
  TGifFile gif;
  Load(gif, writer.Bytes());
  ASSERT_EQ(gif.FrameCount(), 1);
  EXPECT_EQ(gif.Frame(1)->CodeSize(), 2);
  EXPECT_EQ(gif.Frame(1)->Pixels().At(2, 2), 0);
}

TEST(GifFile, ImageLargerThanTheStreamCouldFillIsRefusedBeforeAllocation) {
  GifWriter writer(2, 2, kFourColors);
  writer.Image(SolidImage(0, 0, 2, 2, 1));
  writer.ImageWithData(GifImage(0, 0, 65535, 65535), 2, std::vector<std::uint8_t>{0x0C}).Trailer();
  TMemoryStream stream(writer.Bytes());
  TGifFile gif;
  try {
    gif.LoadFromStream(stream);
    FAIL() << "loaded";
  } catch (const EOutOfMemory& error) {
    EXPECT_NE(std::string(error.what()).find("requested memory block: 4294836225 bytes"), std::string::npos)
        << error.what();
  }
  EXPECT_EQ(gif.FrameCount(), 1);
}

TEST(GifFile, ScreenLargerThanTheImagesCouldFillIsRefused) {
  // A wide and a tall image make a 65535 x 65535 screen from a few hundred bytes.
  GifWriter writer(1, 1, kFourColors);
  writer.Image(GifImage(0, 0, 65535, 1, std::vector<std::uint8_t>(65535, 1)));
  writer.Image(GifImage(0, 0, 1, 65535, std::vector<std::uint8_t>(65535, 2))).Trailer();
  TMemoryStream stream(writer.Bytes());
  TGifFile gif;
  try {
    gif.LoadFromStream(stream);
    FAIL() << "loaded";
  } catch (const EOutOfMemory& error) {
    EXPECT_NE(std::string(error.what()).find("requested memory block: " + std::to_string(3ull * 65535 * 65535) + " bytes"),
              std::string::npos)
        << error.what();
  }
  EXPECT_EQ(gif.FrameCount(), 2);
}

TEST(GifFile, WideImagesWithLittleDataStillLoad) {
  // 65535 pixels of one colour take a few hundred bytes.
  const std::vector<std::uint8_t> pixels(65535, 3);
  GifWriter writer(65535, 1, kFourColors);
  writer.Image(GifImage(0, 0, 65535, 1, pixels)).Trailer();
  ASSERT_LT(writer.Bytes().size(), 1000u);
  TGifFile gif;
  Load(gif, writer.Bytes());
  EXPECT_EQ(gif.ScreenWidth(), 65535);
  EXPECT_EQ(gif.Frame(1)->Pixels().At(1, 65534), 3);
}

TEST(GifFile, LoadStartsAtTheStreamPositionAndCountsConsumedBytes) {
  const std::vector<std::uint8_t> picture = OneImageGif("GIF89a");
  std::vector<std::uint8_t> bytes{9, 9, 9};
  bytes.insert(bytes.end(), picture.begin(), picture.end());
  bytes.insert(bytes.end(), {7, 7, 7, 7});
  TMemoryStream stream(bytes);
  stream.SetPosition(3);
  std::vector<std::pair<std::int64_t, std::int64_t>> progress;
  TGifFile gif;
  gif.SetProgressHandler([&](std::int64_t position, std::int64_t size) { progress.emplace_back(position, size); });
  gif.LoadFromStream(stream);
  EXPECT_EQ(gif.ConsumedBytes(), static_cast<std::int64_t>(picture.size()));
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(3 + picture.size()));
  ASSERT_EQ(progress.size(), 2u);
  EXPECT_EQ(progress[0], std::make_pair(static_cast<std::int64_t>(3 + picture.size()), static_cast<std::int64_t>(bytes.size())));
  EXPECT_EQ(progress[1], std::make_pair(std::int64_t{1}, std::int64_t{1}));
}

TEST(GifFile, ProgressEndsWithOneOneAlsoAfterAFailure) {
  std::vector<std::pair<std::int64_t, std::int64_t>> progress;
  TGifFile gif;
  gif.SetProgressHandler([&](std::int64_t position, std::int64_t size) { progress.emplace_back(position, size); });
  TMemoryStream stream(OneImageGif("GIF88a"));
  EXPECT_THROW(gif.LoadFromStream(stream), EGifException);
  ASSERT_EQ(progress.size(), 1u);
  EXPECT_EQ(progress[0], std::make_pair(std::int64_t{1}, std::int64_t{1}));
  EXPECT_EQ(gif.ConsumedBytes(), 6);
}

TEST(GifFile, LoadingAgainReplacesTheFrames) {
  GifWriter three(2, 2, kFourColors);
  three.Image(SolidImage(0, 0, 2, 2, 1)).Image(SolidImage(0, 0, 2, 2, 2)).Image(SolidImage(0, 0, 2, 2, 3)).Trailer();
  TGifFile gif;
  Load(gif, three.Bytes());
  ASSERT_EQ(gif.FrameCount(), 3);
  Load(gif, OneImageGif("GIF87a"));
  EXPECT_EQ(gif.FrameCount(), 1);
}

// The bitmap file of a frame, read back field by field.
std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (std::uint32_t(bytes[at + 3]) << 24);
}
std::uint16_t Le16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

TEST(GifFrameBitmap, IsAnEightBitBitmapFileWithRowsBottomUp) {
  const std::vector<std::uint8_t> pixels{0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 3, 3, 3};  // 5 x 3
  GifWriter writer(5, 3, kFourColors);
  writer.Image(GifImage(0, 0, 5, 3, pixels)).Trailer();
  TGifFile gif;
  Load(gif, writer.Bytes());
  TMemoryStream file;
  gif.Frame(1)->WriteBitmapFile(file);
  const std::vector<std::uint8_t>& bytes = file.Bytes();
  const std::size_t stride = 8;
  ASSERT_EQ(bytes.size(), 1078 + stride * 3);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(Le32(bytes, 2), bytes.size());
  EXPECT_EQ(Le32(bytes, 10), 1078u);
  EXPECT_EQ(Le32(bytes, 14), 40u);
  EXPECT_EQ(Le32(bytes, 18), 5u);
  EXPECT_EQ(Le32(bytes, 22), 3u);
  EXPECT_EQ(Le16(bytes, 26), 1);
  EXPECT_EQ(Le16(bytes, 28), 8);
  EXPECT_EQ(Le32(bytes, 30), 0u);
  EXPECT_EQ(Le32(bytes, 34), 0u);
  EXPECT_EQ(Le32(bytes, 38), 143u);
  EXPECT_EQ(Le32(bytes, 42), 143u);
  EXPECT_EQ(Le32(bytes, 46), 0u);
  EXPECT_EQ(Le32(bytes, 50), 0u);
  for (std::size_t i = 0; i < kFourColors.size(); ++i) {
    const std::size_t at = 54 + i * 4;
    EXPECT_EQ(bytes[at], kFourColors[i][2]) << i;
    EXPECT_EQ(bytes[at + 1], kFourColors[i][1]) << i;
    EXPECT_EQ(bytes[at + 2], kFourColors[i][0]) << i;
    EXPECT_EQ(bytes[at + 3], 0) << i;
  }
  for (int row = 0; row < 3; ++row) {
    const std::size_t at = 1078 + stride * std::size_t(2 - row);
    for (int column = 0; column < 5; ++column)
      EXPECT_EQ(bytes[at + column], pixels[std::size_t(row) * 5 + column]) << row << "," << column;
    for (std::size_t pad = 5; pad < stride; ++pad) EXPECT_EQ(bytes[at + pad], 0);
  }
}

TEST(GifFrameBitmap, FrameBitmapHoldsTheIndicesAndTheFramesTable) {
  const std::vector<std::uint8_t> pixels{0, 1, 1, 0, 1, 1};
  GifImage image{0, 0, 3, 2, pixels};
  image.LocalColors = {{9, 9, 9}, {200, 100, 50}};
  GifWriter writer(3, 2, kFourColors);
  writer.Image(image).Trailer();
  TGifFile gif;
  Load(gif, writer.Bytes());
  TBitmap* bitmap = gif.FrameBitmap(1);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap, gif.FrameBitmap(1)) << "built once and kept";
  EXPECT_EQ(bitmap->Format(), PixelFormat::Bits8);
  ASSERT_EQ(bitmap->Width(), 3);
  ASSERT_EQ(bitmap->Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(bitmap->GetIndex(x, y), pixels[std::size_t(y) * 3 + x]);
  EXPECT_EQ(bitmap->GetPixel(1, 0), RGB(200, 100, 50));
}

TEST(GifBitmapClass, LoadsTheFirstImageOnly) {
  GifWriter writer(4, 4, kFourColors);
  writer.Image(SolidImage(0, 0, 3, 2, 2)).Image(SolidImage(0, 0, 4, 4, 1)).Trailer();
  TMemoryStream stream(writer.Bytes());
  TGifBitmap bitmap;
  bitmap.LoadFromStream(stream);
  EXPECT_EQ(bitmap.Width(), 3);
  EXPECT_EQ(bitmap.Height(), 2);
  EXPECT_EQ(bitmap.GetPixel(2, 1), RGB(0, 0, 255));
  EXPECT_STREQ(TGifBitmap::FileExtension, "gif");
  EXPECT_STREQ(TGifBitmap::Description, "GIF-Format");
}

TEST(GifBitmapClass, PictureWithoutImageIsRefused) {
  GifWriter writer(4, 4, kFourColors);
  writer.GraphicControl(0, 5).Trailer();
  TMemoryStream stream(writer.Bytes());
  TGifBitmap bitmap;
  EXPECT_THROW(bitmap.LoadFromStream(stream), EGifException);
}

}  // namespace
}  // namespace velquora
