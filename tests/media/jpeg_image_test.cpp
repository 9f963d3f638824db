#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/memory_stream.h"
#include "jpeg_test_support.h"
#include "media/jpeg_image.h"

namespace velquora {
namespace {

using jpeg_test::BmpFields;
using jpeg_test::ParseBmp;
using jpeg_test::ReadJpegTestFile;

std::string LoadError(TJPEGImage& image, TStream* stream) {
  try {
    image.LoadFromStream(stream);
  } catch (const EJPEGException& error) {
    return error.what();
  }
  return "(no exception)";
}

// Every pixel of the bitmap equals the reference bitmap file's pixel.
void ExpectSamePicture(const TBitmap& bitmap, const BmpFields& reference) {
  ASSERT_EQ(bitmap.Width(), reference.Width);
  ASSERT_EQ(bitmap.Height(), reference.Height);
  for (int y = 0; y < reference.Height; ++y) {
    const std::uint8_t* row = reference.TopDownRow(y);
    for (int x = 0; x < reference.Width; ++x) {
      const std::uint8_t* bgr = reference.BitCount == 24 ? row + 3 * x : &reference.ColourTable[4 * row[x]];
      ASSERT_EQ(bitmap.GetPixel(x, y), RGB(bgr[2], bgr[1], bgr[0])) << x << "," << y;
    }
  }
}

TEST(JPEGImage, StartsEmptyWithTheDefaultOptions) {
  TJPEGImage image;
  EXPECT_TRUE(image.Bitmap().Empty());
  EXPECT_EQ(image.Data().Bytes().size(), 0U);
  EXPECT_EQ(image.ColorMode(), 2);
  EXPECT_EQ(image.DctMethod(), 0);
  EXPECT_EQ(image.DitherMode(), 1);
  EXPECT_FALSE(image.FastDecode());
  EXPECT_FALSE(image.GrayOutput());
  EXPECT_FALSE(image.NoSmoothing());
  EXPECT_FALSE(image.OnePassQuantize());
}

TEST(JPEGImage, ColourFileLoadsAsTrueColourPicture) {
  TJPEGImage image;
  TMemoryStream stream(ReadJpegTestFile("wuffs/hat.jpeg"));
  image.LoadFromStream(&stream);
  EXPECT_EQ(image.Bitmap().Format(), PixelFormat::Bits24);
  ExpectSamePicture(image.Bitmap(), ParseBmp(ReadJpegTestFile("wuffs/hat.jpeg.djpeg.bmp")));
  EXPECT_EQ(image.Data().Bytes(), stream.Bytes());
}

TEST(JPEGImage, GreyFileYieldsEightBitsWithAGreyTable) {
  TJPEGImage image;
  TMemoryStream stream(ReadJpegTestFile("wuffs/bricks-gray.jpeg"));
  image.LoadFromStream(&stream);
  ASSERT_EQ(image.Bitmap().Format(), PixelFormat::Bits8);
  ASSERT_EQ(image.Bitmap().Palette().size(), 256U);
  for (int i = 0; i < 256; ++i) {
    const auto level = static_cast<std::uint8_t>(i);
    ASSERT_EQ(image.Bitmap().Palette()[i], (PaletteEntry{level, level, level})) << i;
  }
  ExpectSamePicture(image.Bitmap(), ParseBmp(ReadJpegTestFile("wuffs/bricks-gray.jpeg.djpeg.bmp")));
}

TEST(JPEGImage, LoadsTheWholeStreamWhateverItsPosition) {
  TJPEGImage image;
  TMemoryStream stream(ReadJpegTestFile("wuffs/pjw-thumbnail.jpeg"));
  stream.Seek(0, SeekOrigin::End);
  image.LoadFromStream(&stream);
  EXPECT_EQ(image.Data().Bytes(), stream.Bytes());
  EXPECT_EQ(image.Bitmap().Width(), 32);
  EXPECT_EQ(image.Bitmap().Height(), 32);
}

TEST(JPEGImage, EmptyOrMissingStreamLeavesNoBitmapAndRaisesNothing) {
  TJPEGImage image;
  TMemoryStream picture(ReadJpegTestFile("wuffs/pjw-thumbnail.jpeg"));
  image.LoadFromStream(&picture);
  ASSERT_FALSE(image.Bitmap().Empty());
  TMemoryStream empty;
  EXPECT_NO_THROW(image.LoadFromStream(&empty));
  EXPECT_TRUE(image.Bitmap().Empty());
  image.LoadFromStream(&picture);
  EXPECT_NO_THROW(image.LoadFromStream(nullptr));
  EXPECT_TRUE(image.Bitmap().Empty());
  EXPECT_TRUE(image.Data().Bytes().empty());
}

TEST(JPEGImage, TruncatedFileRaisesThereAreWarningsAndLoadsNoBitmap) {
  TJPEGImage image;
  TMemoryStream picture(ReadJpegTestFile("wuffs/pjw-thumbnail.jpeg"));
  image.LoadFromStream(&picture);
  TMemoryStream truncated(ReadJpegTestFile("wuffs/peacock.default.truncated.jpeg"));
  EXPECT_EQ(LoadError(image, &truncated), "There are warnings");
  EXPECT_TRUE(image.Bitmap().Empty());
  EXPECT_EQ(image.Data().Bytes(), truncated.Bytes());
}

TEST(JPEGImage, LibraryErrorsPassWithTheirMessage) {
  TJPEGImage image;
  TMemoryStream twelveBit(ReadJpegTestFile("libjpeg-turbo/monkey12.jpg"));
  EXPECT_EQ(LoadError(image, &twelveBit), "Unsupported JPEG data precision 12");
  EXPECT_TRUE(image.Bitmap().Empty());
}

TBitmap DecodedBitmap(const std::vector<std::uint8_t>& jpeg, const JpegOptions& options) {
  TMemoryStream file(DecodeJpegToBmp(jpeg, options).File);
  TBitmap bitmap;
  bitmap.LoadFromStream(file);
  return bitmap;
}

TEST(JPEGImage, EveryOptionChangeDecodesAgain) {
  TJPEGImage image;
  TMemoryStream stream(ReadJpegTestFile("libjpeg-turbo/testorig.jpg"));
  const std::vector<std::uint8_t>& jpeg = stream.Bytes();
  image.LoadFromStream(&stream);
  ASSERT_EQ(image.Bitmap().Format(), PixelFormat::Bits24);

  image.SetGrayOutput(true);
  EXPECT_TRUE(image.GrayOutput());
  EXPECT_EQ(image.Bitmap().Format(), PixelFormat::Bits8);
  image.SetGrayOutput(false);
  EXPECT_EQ(image.Bitmap().Format(), PixelFormat::Bits24);

  // Each setter stores its value and leaves the decoding of the options as they now are.
  JpegOptions expected;
  const auto check = [&](const char* step) {
    EXPECT_EQ(image.Options(), expected) << step;
    EXPECT_TRUE(image.Bitmap() == DecodedBitmap(jpeg, expected)) << step;
  };
  image.SetColorMode(0);
  expected.ColorMode = 0;
  check("colour mode");
  EXPECT_EQ(image.Bitmap().Format(), PixelFormat::Bits8);
  const TBitmap sixteen = image.Bitmap();
  image.SetDitherMode(0);
  expected.DitherMode = 0;
  check("dither");
  EXPECT_FALSE(image.Bitmap() == sixteen);
  image.SetOnePassQuantize(true);
  expected.OnePassQuantize = true;
  check("one pass");
  image.SetNoSmoothing(true);
  expected.NoSmoothing = true;
  check("no smoothing");
  image.SetDctMethod(2);
  expected.DctMethod = 2;
  check("dct");
  image.SetFastDecode(true);
  expected.FastDecode = true;
  check("fast");
  image.SetColorMode(1);
  expected.ColorMode = 1;
  check("256 colours");

  // Options set before any bytes decode nothing and apply to the next load.
  TJPEGImage early;
  early.SetColorMode(1);
  early.SetDitherMode(0);
  early.SetOnePassQuantize(true);
  early.SetNoSmoothing(true);
  early.SetDctMethod(2);
  early.SetFastDecode(true);
  EXPECT_TRUE(early.Bitmap().Empty());
  early.LoadFromStream(&stream);
  EXPECT_TRUE(early.Bitmap() == image.Bitmap());
}

TEST(JPEGImage, OptionChangeThatFailsKeepsTheValueAndEmptiesTheBitmap) {
  TJPEGImage image;
  TMemoryStream stream(ReadJpegTestFile("libjpeg-turbo/testorig.jpg"));
  image.LoadFromStream(&stream);
  image.SetPixelLimit(100);  // does not decode
  EXPECT_FALSE(image.Bitmap().Empty());
  EXPECT_THROW(image.SetNoSmoothing(true), EJPEGException);
  EXPECT_TRUE(image.NoSmoothing());
  EXPECT_TRUE(image.Bitmap().Empty());
  image.SetPixelLimit(kDefaultJpegPixelLimit);
  image.SetNoSmoothing(false);
  EXPECT_EQ(image.Bitmap().Width(), 227);
}

// Under the sanitizer build LeakSanitizer checks these: each failure leaves through a
// different place of the decoding, and none may keep the library's memory.
TEST(JPEGImage, FailuresAtEveryStageLeaveNothingBehind) {
  auto cmykLike = ReadJpegTestFile("libjpeg-turbo/testorig.jpg");
  const std::vector<std::vector<std::uint8_t>> failing = {
      {0x00, 0x01, 0x02},                                                  // not a JPEG
      ReadJpegTestFile("libjpeg-turbo/monkey12.jpg"),                      // refused at the header
      std::vector<std::uint8_t>(cmykLike.begin(), cmykLike.begin() + 40),  // no frame
      ReadJpegTestFile("wuffs/peacock.default.truncated.jpeg"),            // warnings after decoding
  };
  for (const auto& bytes : failing) {
    TJPEGImage image;
    TMemoryStream stream(bytes);
    EXPECT_THROW(image.LoadFromStream(&stream), EJPEGException);
    EXPECT_TRUE(image.Bitmap().Empty());
  }
  TJPEGImage limited;
  limited.SetPixelLimit(10);
  TMemoryStream stream(cmykLike);
  EXPECT_THROW(limited.LoadFromStream(&stream), EJPEGException);  // refused between the phases
}

}  // namespace
}  // namespace velquora
