#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <jerror.h>

#include "jpeg_test_support.h"
#include "core/memory_stream.h"
#include "jpeg_writer.h"
#include "media/jpeg_decoder.h"
#include "platform/gdi/bitmap.h"

namespace velquora {
namespace {

using jpeg_test::BmpFields;
using jpeg_test::LibraryMessage;
using jpeg_test::ParseBmp;
using jpeg_test::ReadJpegTestFile;
using jpeg_test::ReferenceDecode;
using jpeg_test::ReferenceImage;
using jpeg_test::ReferenceParameters;

std::string ExceptionText(const std::vector<std::uint8_t>& jpeg, const JpegOptions& options = {},
                          std::int64_t pixelLimit = kDefaultJpegPixelLimit) {
  try {
    DecodeJpegToBmp(jpeg, options, pixelLimit);
  } catch (const EJPEGException& error) {
    return error.what();
  }
  return "(no exception)";
}

// ---------------------------------------------------------------------------
// Every file of the reference corpus against the reference decoder's bitmap.

enum class Outcome { Clean, Warnings };

struct CorpusCase {
  const char* File;
  Outcome Expected;
};

const CorpusCase kCorpus[] = {
    {"generated/cjpeg_422.jpg", Outcome::Clean},
    {"generated/cjpeg_444.jpg", Outcome::Clean},
    {"generated/cjpeg_gray.jpg", Outcome::Clean},
    {"generated/cjpeg_restart_1row.jpg", Outcome::Clean},
    {"generated/jpegtran_arith_of_testorig.jpg", Outcome::Clean},
    {"generated/testorig_truncated_half.jpg", Outcome::Warnings},
    {"generated/wrjpgcom_two_comments.jpg", Outcome::Clean},
    {"libjpeg-turbo/testimgint.jpg", Outcome::Clean},
    {"libjpeg-turbo/testorig.jpg", Outcome::Clean},
    {"wuffs/artificial-jpeg/hippopotamus-bad-comment-length.jpeg", Outcome::Clean},
    {"wuffs/bricks-color.jpeg", Outcome::Clean},
    {"wuffs/bricks-gray.jpeg", Outcome::Clean},
    {"wuffs/hat.jpeg", Outcome::Clean},
    {"wuffs/hippopotamus.jpeg", Outcome::Clean},
    {"wuffs/mona-lisa.21x32.q90.jpeg", Outcome::Clean},
    {"wuffs/peacock.default.jpeg", Outcome::Clean},
    {"wuffs/peacock.default.truncated.jpeg", Outcome::Warnings},
    {"wuffs/peacock.grayscale.jpeg", Outcome::Clean},
    {"wuffs/peacock.optimize.jpeg", Outcome::Clean},
    {"wuffs/peacock.progressive.jpeg", Outcome::Clean},
    {"wuffs/peacock.progressive.scan000.jpeg", Outcome::Clean},
    {"wuffs/peacock.q30.jpeg", Outcome::Clean},
    {"wuffs/peacock.q99.jpeg", Outcome::Clean},
    {"wuffs/peacock.s-weird.jpeg", Outcome::Clean},
    {"wuffs/peacock.s1x1-444.jpeg", Outcome::Clean},
    {"wuffs/peacock.s2x1-422.jpeg", Outcome::Clean},
    {"wuffs/peacock.s2x2-420.jpeg", Outcome::Clean},
    {"wuffs/pjw-thumbnail.jpeg", Outcome::Clean},
};

void PrintTo(const CorpusCase& c, std::ostream* out) { *out << c.File; }

class JpegCorpus : public testing::TestWithParam<CorpusCase> {};

TEST_P(JpegCorpus, BitmapEqualsTheReferenceDecoderByteForByte) {
  const CorpusCase& c = GetParam();
  const JpegBmpImage image = DecodeJpegToBmp(ReadJpegTestFile(c.File), JpegOptions{});
  const BmpFields ours = ParseBmp(image.File);
  const BmpFields oracle = ParseBmp(ReadJpegTestFile(std::string(c.File) + ".djpeg.bmp"));

  EXPECT_EQ(image.Warnings > 0, c.Expected == Outcome::Warnings);
  EXPECT_EQ(ours.Width, oracle.Width);
  EXPECT_EQ(ours.Height, oracle.Height);
  EXPECT_EQ(ours.BitCount, oracle.BitCount);
  EXPECT_EQ(ours.ColoursUsed, oracle.ColoursUsed);
  EXPECT_EQ(ours.PixelOffset, oracle.PixelOffset);
  EXPECT_EQ(ours.FileSize, oracle.FileSize);
  EXPECT_EQ(ours.FileSize, image.File.size());
  EXPECT_TRUE(ours.ColourTable == oracle.ColourTable) << "colour tables differ";
  ASSERT_EQ(ours.Pixels.size(), oracle.Pixels.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < ours.Pixels.size(); ++i) differing += ours.Pixels[i] != oracle.Pixels[i];
  EXPECT_EQ(differing, 0U) << "pixel bytes differ";
}

INSTANTIATE_TEST_SUITE_P(ReferenceFiles, JpegCorpus, testing::ValuesIn(kCorpus),
                         [](const testing::TestParamInfo<CorpusCase>& param) {
                           std::string name = param.param.File;
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

TEST(JpegDecoder, TwelveBitFileIsRefusedWithTheLibraryMessage) {
  EXPECT_EQ(ExceptionText(ReadJpegTestFile("libjpeg-turbo/monkey12.jpg")),
            "Unsupported JPEG data precision 12");
}

TEST(JpegDecoder, FilesThatCarryTheSamePictureDecodeAlike) {
  const char* groups[][4] = {
      {"generated/cjpeg_restart_1row.jpg", "libjpeg-turbo/testimgint.jpg", nullptr, nullptr},
      {"generated/jpegtran_arith_of_testorig.jpg", "generated/wrjpgcom_two_comments.jpg",
       "libjpeg-turbo/testorig.jpg", nullptr},
      {"wuffs/artificial-jpeg/hippopotamus-bad-comment-length.jpeg", "wuffs/hippopotamus.jpeg", nullptr,
       nullptr},
      {"wuffs/peacock.default.jpeg", "wuffs/peacock.optimize.jpeg", "wuffs/peacock.progressive.jpeg",
       "wuffs/peacock.s2x2-420.jpeg"},
  };
  for (const auto& group : groups) {
    const auto first = DecodeJpegToBmp(ReadJpegTestFile(group[0]), {}).File;
    for (int i = 1; i < 4 && group[i] != nullptr; ++i)
      EXPECT_TRUE(DecodeJpegToBmp(ReadJpegTestFile(group[i]), {}).File == first) << group[i];
  }
}

// ---------------------------------------------------------------------------
// Comments

// Inserts a COM segment with the given text right after the two bytes at offset.
std::vector<std::uint8_t> WithComment(std::vector<std::uint8_t> jpeg, std::size_t offset, const std::string& text) {
  const std::size_t length = text.size() + 2;
  std::vector<std::uint8_t> segment = {0xFF, 0xFE, static_cast<std::uint8_t>(length >> 8),
                                       static_cast<std::uint8_t>(length & 0xFF)};
  segment.insert(segment.end(), text.begin(), text.end());
  jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(offset), segment.begin(), segment.end());
  return jpeg;
}

// Offset of the first marker segment with this code (after the SOI).
std::size_t MarkerOffset(const std::vector<std::uint8_t>& jpeg, std::uint8_t code) {
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != code)
    at += 2 + (static_cast<std::size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3]);
  if (at + 4 > jpeg.size() || jpeg[at + 1] != code) throw std::runtime_error("marker not found");
  return at;
}

TEST(JpegDecoder, CommentSegmentsAnywhereBeforeTheScanChangeNothing) {
  const auto plain = ReadJpegTestFile("wuffs/hippopotamus.jpeg");
  const auto expected = DecodeJpegToBmp(plain, {});
  const std::string text = "a comment \xFF\xD9 that holds an end-of-image pair";
  for (const std::size_t offset : {std::size_t{2}, MarkerOffset(plain, 0xC0), MarkerOffset(plain, 0xDA)}) {
    const auto decoded = DecodeJpegToBmp(WithComment(plain, offset, text), {});
    EXPECT_TRUE(decoded.File == expected.File) << "comment at " << offset;
    EXPECT_EQ(decoded.Warnings, 0);
  }
}

TEST(JpegDecoder, CommentRunningPastTheEndFailsWithoutHanging) {
  auto jpeg = ReadJpegTestFile("wuffs/hippopotamus.jpeg");
  jpeg.resize(MarkerOffset(jpeg, 0xC0));
  const std::vector<std::uint8_t> longComment = {0xFF, 0xFE, 0xFF, 0xFF, 'x'};
  jpeg.insert(jpeg.end(), longComment.begin(), longComment.end());
  EXPECT_EQ(ExceptionText(jpeg), LibraryMessage(JERR_NO_IMAGE));
}

// ---------------------------------------------------------------------------
// Refusals

TEST(JpegDecoder, EmptyInputIsTheLibraryEmptyInputError) {
  EXPECT_EQ(ExceptionText({}), LibraryMessage(JERR_INPUT_EMPTY));
}

TEST(JpegDecoder, NonJpegBytesAreRefusedWithTheLibraryMessage) {
  const std::vector<std::uint8_t> bitmapStart = {'B', 'M', 0x36, 0, 0, 0, 0, 0};
  const std::string text = ExceptionText(bitmapStart);
  EXPECT_NE(text.find("Not a JPEG file: starts with 0x42 0x4d"), std::string::npos) << text;
}

std::vector<std::uint8_t> FlatCmykJpeg() {
  std::vector<std::uint8_t> samples(16 * 8 * 4);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
  return EncodeJpeg(samples, 16, 8, JpegSampleSpace::Cmyk);
}

TEST(JpegDecoder, FourComponentFileIsRefusedByTheBitmapOutput) {
  EXPECT_EQ(ExceptionText(FlatCmykJpeg()), "BMP output must be grayscale or RGB");
}

TEST(JpegDecoder, GreyOutputOfAFourComponentFileIsTheLibraryConversionError) {
  JpegOptions grey;
  grey.GrayOutput = true;
  EXPECT_EQ(ExceptionText(FlatCmykJpeg(), grey), LibraryMessage(JERR_CONVERSION_NOTIMPL));
}

// Rewrites the frame size in the SOF0 segment.
std::vector<std::uint8_t> WithFrameSize(std::vector<std::uint8_t> jpeg, int width, int height) {
  const std::size_t sof = MarkerOffset(jpeg, 0xC0);
  jpeg[sof + 5] = static_cast<std::uint8_t>(height >> 8);
  jpeg[sof + 6] = static_cast<std::uint8_t>(height);
  jpeg[sof + 7] = static_cast<std::uint8_t>(width >> 8);
  jpeg[sof + 8] = static_cast<std::uint8_t>(width);
  return jpeg;
}

TEST(JpegDecoder, PicturesBeyondTheLimitsAreRefusedBeforeDecoding) {
  const auto jpeg = ReadJpegTestFile("wuffs/hippopotamus.jpeg");  // 36 x 28
  EXPECT_EQ(ExceptionText(jpeg, {}, 36 * 28 - 1), "JPEG image is too large");
  EXPECT_EQ(DecodeJpegToBmp(jpeg, {}, 36 * 28).Warnings, 0);
  // 40000 x 40000 needs more memory than any bitmap may take, 20000 x 20000 is beyond
  // the default limit.
  EXPECT_EQ(ExceptionText(WithFrameSize(jpeg, 40000, 40000)), "JPEG image is too large");
  EXPECT_EQ(ExceptionText(WithFrameSize(jpeg, 20000, 20000)), "JPEG image is too large");
}

TEST(JpegDecoder, AThinPictureFarWiderThanAnyScreenDecodes) {
  // 40000 x 2 takes a few hundred kilobytes: its long side is no reason to refuse it.
  std::vector<std::uint8_t> samples(40000 * 2);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = (i % 40000) < 20000 ? 30 : 220;
  const JpegBmpImage decoded = DecodeJpegToBmp(EncodeJpeg(samples, 40000, 2, JpegSampleSpace::Grey), {});
  EXPECT_EQ(decoded.Warnings, 0);
  TMemoryStream stream(decoded.File);
  TBitmap bitmap;
  bitmap.LoadFromStream(stream);
  ASSERT_EQ(bitmap.Width(), 40000);
  ASSERT_EQ(bitmap.Height(), 2);
  EXPECT_NEAR(GetRValue(bitmap.GetPixel(100, 0)), 30, 8);
  EXPECT_NEAR(GetRValue(bitmap.GetPixel(39900, 1)), 220, 8);
}

// A progressive grey picture whose scan of all AC coefficients at full precision is
// repeated; repeating it rewrites the same coefficients, so the picture stays the same.
std::vector<std::uint8_t> ProgressiveWithRepeatedScan(int repeats) {
  std::vector<std::uint8_t> samples(16 * 16);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 13 % 251);
  JpegWriterSettings settings;
  settings.Scans = {JpegScan{{0}, 0, 0, 0, 0}, JpegScan{{0}, 1, 63, 0, 0}};
  auto jpeg = EncodeJpeg(samples, 16, 16, JpegSampleSpace::Grey, settings);
  // The second SOS segment runs to the EOI in the last two bytes.
  std::size_t second = 0;
  for (std::size_t i = 0, found = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA && ++found == 2) second = i;
  const std::vector<std::uint8_t> scan(jpeg.begin() + static_cast<std::ptrdiff_t>(second), jpeg.end() - 2);
  for (int i = 0; i < repeats; ++i) jpeg.insert(jpeg.end() - 2, scan.begin(), scan.end());
  return jpeg;
}

TEST(JpegDecoder, RepeatedScansDecodeAlikeUpToTheScanLimit) {
  const auto once = DecodeJpegToBmp(ProgressiveWithRepeatedScan(0), {});
  const auto atLimit = DecodeJpegToBmp(ProgressiveWithRepeatedScan(kMaxJpegScans - 2), {});
  EXPECT_TRUE(atLimit.File == once.File);
  EXPECT_EQ(atLimit.Warnings, 0);
  EXPECT_EQ(ExceptionText(ProgressiveWithRepeatedScan(kMaxJpegScans - 1)), "JPEG file has too many scans");
}

TEST(JpegDecoder, BadProgressionInALaterScanIsAFatalLibraryError) {
  auto jpeg = ProgressiveWithRepeatedScan(0);
  // Last SOS: FF DA, length, count, (id, tables), Ss, Se, AhAl.
  std::size_t sos = 0;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) sos = i;
  jpeg[sos + 9] = 0x0F;  // Al = 15 on a first pass
  const std::string text = ExceptionText(jpeg);
  EXPECT_EQ(text.rfind("Invalid progressive parameters", 0), 0U) << text;
}

TEST(JpegDecoder, TruncatedFileIsCompletedAndCountsWarnings) {
  const auto full = ReadJpegTestFile("libjpeg-turbo/testorig.jpg");
  const auto cut = std::vector<std::uint8_t>(full.begin(), full.begin() + 2885);
  const auto image = DecodeJpegToBmp(cut, {});
  EXPECT_GT(image.Warnings, 0);
  EXPECT_EQ(ParseBmp(image.File).Height, 149);
  // Cutting the same file at other places inside the scan always completes the picture.
  for (std::size_t length : {std::size_t{700}, std::size_t{4000}, full.size() - 2}) {
    const auto shorter = DecodeJpegToBmp(std::vector<std::uint8_t>(full.begin(), full.begin() + length), {});
    EXPECT_GT(shorter.Warnings, 0) << length;
    EXPECT_EQ(shorter.File.size(), image.File.size()) << length;
  }
}

TEST(JpegDecoder, HeaderCutShortBeforeTheFrameIsFatal) {
  const auto full = ReadJpegTestFile("libjpeg-turbo/testorig.jpg");
  const auto cut = std::vector<std::uint8_t>(full.begin(), full.begin() + 40);
  EXPECT_EQ(ExceptionText(cut), LibraryMessage(JERR_NO_IMAGE));
}

// ---------------------------------------------------------------------------
// Options: each row maps the adapter's options onto the library's parameters, and the
// bitmap must equal a decoding straight through the library with those parameters.

struct OptionCase {
  const char* Name;
  JpegOptions Options;
  ReferenceParameters Expected;
};

JpegOptions With(std::uint8_t colorMode, std::uint8_t dct, std::uint8_t dither, bool fast = false, bool grey = false,
                 bool noSmoothing = false, bool onePass = false) {
  return JpegOptions{colorMode, dct, dither, fast, grey, noSmoothing, onePass};
}

ReferenceParameters Expect(std::optional<int> colours = {}, std::optional<J_DCT_METHOD> dct = {},
                           std::optional<J_DITHER_MODE> dither = {}, std::optional<bool> twoPass = {},
                           std::optional<bool> fancy = {}, bool grey = false) {
  return ReferenceParameters{colours, dct, dither, twoPass, fancy, grey};
}

const OptionCase kOptionCases[] = {
    {"Defaults", With(2, 0, 1), Expect()},
    {"SixteenColours", With(0, 0, 1), Expect(16)},
    {"TwoHundredFiftySixColours", With(1, 0, 1), Expect(256)},
    {"QuantisedWithoutDither", With(1, 0, 0), Expect(256, {}, JDITHER_NONE)},
    {"OrderedDitherOnePass", With(1, 0, 2, false, false, false, true), Expect(256, {}, JDITHER_ORDERED, false)},
    {"SixteenColoursOnePass", With(0, 0, 1, false, false, false, true), Expect(16, {}, {}, false)},
    {"FastIntegerDct", With(2, 1, 1), Expect({}, JDCT_IFAST)},
    {"FloatingPointDct", With(2, 2, 1), Expect({}, JDCT_FLOAT)},
    {"NoSmoothing", With(2, 0, 1, false, false, true), Expect({}, {}, {}, {}, false)},
    {"GreyOutput", With(2, 0, 1, false, true), Expect({}, {}, {}, {}, {}, true)},
    {"GreySixteenLevels", With(0, 0, 1, false, true), Expect(16, {}, {}, {}, {}, true)},
    {"FastDecode", With(2, 0, 1, true), Expect({}, JDCT_IFAST, JDITHER_ORDERED, false, false)},
    {"FastDecodeQuantised", With(1, 0, 0, true), Expect(256, JDCT_IFAST, JDITHER_ORDERED, false, false)},
    {"FastDecodeOverridesFloatDct", With(2, 2, 1, true), Expect({}, JDCT_IFAST, JDITHER_ORDERED, false, false)},
    {"UnknownColorModeIsTrueColour", With(5, 0, 1), Expect()},
    {"UnknownDctKeepsTheDefault", With(2, 9, 1), Expect()},
    {"UnknownDitherKeepsTheDefault", With(1, 0, 3), Expect(256)},
};

void PrintTo(const OptionCase& c, std::ostream* out) { *out << c.Name; }

class JpegOptionMapping : public testing::TestWithParam<OptionCase> {};

TEST_P(JpegOptionMapping, BitmapEqualsTheLibraryDecodingWithTheMappedParameters) {
  const OptionCase& c = GetParam();
  const auto jpeg = ReadJpegTestFile("libjpeg-turbo/testorig.jpg");
  const BmpFields ours = ParseBmp(DecodeJpegToBmp(jpeg, c.Options).File);
  const ReferenceImage reference = ReferenceDecode(jpeg, c.Expected);

  ASSERT_EQ(ours.Width, reference.Width);
  ASSERT_EQ(ours.Height, reference.Height);
  ASSERT_EQ(ours.BitCount, reference.Components == 3 ? 24 : 8);
  for (int y = 0; y < reference.Height; ++y) {
    const std::uint8_t* row = ours.TopDownRow(y);
    for (int x = 0; x < reference.Width; ++x) {
      if (reference.Components == 3) {
        const std::uint8_t* expected = &reference.Rows[y][3 * x];
        ASSERT_TRUE(row[3 * x] == expected[2] && row[3 * x + 1] == expected[1] && row[3 * x + 2] == expected[0])
            << "pixel " << x << "," << y;
      } else {
        ASSERT_EQ(row[x], reference.Rows[y][x]) << "pixel " << x << "," << y;
      }
    }
  }
  if (reference.Components == 1) {
    ASSERT_EQ(ours.ColourTable.size(), 1024U);
    const std::size_t entries = reference.ColourMap.empty() ? 256 : reference.ColourMap.size() / 3;
    for (std::size_t i = 0; i < 256; ++i) {
      std::uint8_t r = 0, g = 0, b = 0;
      if (reference.ColourMap.empty()) {
        r = g = b = static_cast<std::uint8_t>(i);
      } else if (i < entries) {
        r = reference.ColourMap[3 * i];
        g = reference.ColourMap[3 * i + 1];
        b = reference.ColourMap[3 * i + 2];
      }
      const std::uint8_t* entry = &ours.ColourTable[4 * i];
      ASSERT_TRUE(entry[0] == b && entry[1] == g && entry[2] == r && entry[3] == 0) << "colour " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rules, JpegOptionMapping, testing::ValuesIn(kOptionCases),
                         [](const testing::TestParamInfo<OptionCase>& param) { return param.param.Name; });

// Independent of the library: what quantised and grey bitmaps must look like.

TEST(JpegDecoder, SixteenColourOutputUsesAtMostSixteenEntriesThatFollowThePicture) {
  const auto jpeg = ReadJpegTestFile("libjpeg-turbo/testorig.jpg");
  const BmpFields trueColour = ParseBmp(DecodeJpegToBmp(jpeg, {}).File);
  const BmpFields quantised = ParseBmp(DecodeJpegToBmp(jpeg, With(0, 0, 0)).File);
  ASSERT_EQ(quantised.BitCount, 8);
  EXPECT_EQ(quantised.ColoursUsed, 256U);
  std::set<int> used;
  double error = 0;
  for (int y = 0; y < quantised.Height; ++y) {
    for (int x = 0; x < quantised.Width; ++x) {
      const int index = quantised.TopDownRow(y)[x];
      used.insert(index);
      for (int c = 0; c < 3; ++c)
        error += std::abs(quantised.ColourTable[4 * index + c] - trueColour.TopDownRow(y)[3 * x + c]);
    }
  }
  EXPECT_LE(used.size(), 16U);
  EXPECT_GE(used.size(), 8U);
  EXPECT_LT(*used.rbegin(), 16);
  for (std::size_t i = 16 * 4; i < quantised.ColourTable.size(); ++i) ASSERT_EQ(quantised.ColourTable[i], 0) << i;
  EXPECT_LT(error / (3.0 * quantised.Width * quantised.Height), 24.0);
}

TEST(JpegDecoder, GreyOutputIsTheLuminanceWithAGreyTable) {
  const auto jpeg = ReadJpegTestFile("libjpeg-turbo/testorig.jpg");
  const BmpFields colour = ParseBmp(DecodeJpegToBmp(jpeg, {}).File);
  const BmpFields grey = ParseBmp(DecodeJpegToBmp(jpeg, With(2, 0, 1, false, true)).File);
  ASSERT_EQ(grey.BitCount, 8);
  for (int i = 0; i < 256; ++i)
    ASSERT_TRUE(grey.ColourTable[4 * i] == i && grey.ColourTable[4 * i + 1] == i && grey.ColourTable[4 * i + 2] == i)
        << i;
  double difference = 0;
  for (int y = 0; y < grey.Height; ++y) {
    for (int x = 0; x < grey.Width; ++x) {
      const std::uint8_t* bgr = colour.TopDownRow(y) + 3 * x;
      const double luma = 0.299 * bgr[2] + 0.587 * bgr[1] + 0.114 * bgr[0];
      difference += std::abs(luma - grey.TopDownRow(y)[x]);
    }
  }
  EXPECT_LT(difference / (grey.Width * grey.Height), 1.5);
}

TEST(JpegDecoder, DensityInDotsPerCentimetreBecomesPixelsPerMetre) {
  auto jpeg = ReadJpegTestFile("libjpeg-turbo/testorig.jpg");
  const std::size_t app0 = MarkerOffset(jpeg, 0xE0);  // JFIF: ..., units, Xdensity, Ydensity
  jpeg[app0 + 11] = 2;
  jpeg[app0 + 12] = 0;
  jpeg[app0 + 13] = 28;
  jpeg[app0 + 14] = 0;
  jpeg[app0 + 15] = 40;
  const auto file = DecodeJpegToBmp(jpeg, {}).File;
  TMemoryStream stream(file);
  stream.SetPosition(38);
  EXPECT_EQ(ReadUInt32(stream), 2800U);
  EXPECT_EQ(ReadUInt32(stream), 4000U);
}

}  // namespace
}  // namespace velquora
