// Every GIF of tests/data/gif against facts recorded with third-party tools and against giflib.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/memory_stream.h"
#include "gif_reference.h"
#include "media/gif/gif_file.h"

namespace velquora {
namespace {

struct ImageFacts {
  int Left, Top, Width, Height;
  int Delay;             // -1: no graphic control extension
  int Disposal;          // -1: none
  int TransparentIndex;  // -1: none
  bool Interlaced;
  int LocalColors;
  int MinCodeSize;
  std::uint32_t IndexCrc;
};

struct FileFacts {
  const char* Path;
  int FrameCount;
  int ScreenWidth, ScreenHeight;
  bool GiflibReadsAll;
  std::vector<ImageFacts> Images;
};

const std::vector<FileFacts>& AllFacts() {
  static const std::vector<FileFacts> facts = {
#include "gif_corpus_facts.inc"
  };
  return facts;
}

std::vector<std::uint8_t> ReadTestFile(const std::string& relative) {
  const std::filesystem::path path = std::filesystem::path(VELQUORA_TEST_FILES) / "gif" / relative;
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t IndexCrc(const TByteArray2D& pixels) {
  uLong crc = crc32(0, nullptr, 0);
  for (std::size_t row = 1; row <= pixels.Rows(); ++row) {
    const auto values = pixels.Row(row);
    crc = crc32(crc, values.data(), static_cast<uInt>(values.size()));
  }
  return static_cast<std::uint32_t>(crc);
}

// Where this decoder's own rules part from the tools that recorded the facts.
struct Deviation {
  const char* Path;
  int ExtraFrames;          // trailing extensions become a frame without pixels
  const char* LoadFailure;  // message of the EGifException the load raises, or null
};

constexpr Deviation kDeviations[] = {
    // Application extensions after the last image, before the trailer.
    {"wuffs/artificial-gif/multiple-loop-counts.gif", 1, nullptr},
    // The encoder goes on with a full table instead of sending a clear code.
    {"pygif/4095-codes.gif", 0, "Code size overflow"},
};

const Deviation* FindDeviation(const std::string& path) {
  for (const Deviation& deviation : kDeviations)
    if (path == deviation.Path) return &deviation;
  return nullptr;
}

// Loads the bytes; a file cut short inside its header, a table or an extension raises a read error.
bool Load(TGifFile& gif, const std::vector<std::uint8_t>& bytes) {
  TMemoryStream stream(bytes);
  try {
    gif.LoadFromStream(stream);
    return true;
  } catch (const EReadError&) {
    return false;
  }
}

TEST(GifCorpusDeviations, FullTableWithoutClearCodeIsRefused) {
  for (const Deviation& deviation : kDeviations) {
    if (deviation.LoadFailure == nullptr) continue;
    TGifFile gif;
    TMemoryStream stream(ReadTestFile(deviation.Path));
    try {
      gif.LoadFromStream(stream);
      ADD_FAILURE() << deviation.Path << " loaded";
    } catch (const EGifException& error) {
      EXPECT_STREQ(error.what(), deviation.LoadFailure) << deviation.Path;
    }
    EXPECT_EQ(gif.FrameCount(), 0) << deviation.Path;
  }
}

TEST(GifCorpusDeviations, TrailingExtensionsFormAFrameWithoutPixels) {
  const std::vector<std::uint8_t> bytes = ReadTestFile("wuffs/artificial-gif/multiple-loop-counts.gif");
  TGifFile gif;
  ASSERT_TRUE(Load(gif, bytes));
  ASSERT_EQ(gif.FrameCount(), 5);
  EXPECT_FALSE(gif.Frame(5)->HasPixels());
  EXPECT_EQ(gif.FrameBitmap(5), nullptr);
  ASSERT_FALSE(gif.Frame(5)->Extensions().empty());
  EXPECT_EQ(gif.Frame(5)->Extensions().back().Kind(), TExtensionKind::Application);
}

class GifCorpus : public testing::TestWithParam<FileFacts> {};

TEST_P(GifCorpus, FramesMatchTheRecordedFacts) {
  const FileFacts& facts = GetParam();
  const Deviation* deviation = FindDeviation(facts.Path);
  if (deviation != nullptr && deviation->LoadFailure != nullptr) GTEST_SKIP() << "refused by the decoder's own rules";
  const std::vector<std::uint8_t> bytes = ReadTestFile(facts.Path);
  ASSERT_FALSE(bytes.empty()) << facts.Path;
  TGifFile gif;
  const bool loaded = Load(gif, bytes);
  ASSERT_EQ(gif.FrameCount(), facts.FrameCount + (deviation != nullptr ? deviation->ExtraFrames : 0));
  if (!loaded) {
    EXPECT_EQ(facts.FrameCount, 0) << "only files without a complete image may fail to load";
    return;
  }
  int widest = 0;
  int tallest = 0;
  for (int i = 1; i <= facts.FrameCount; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const ImageFacts& expected = facts.Images[static_cast<std::size_t>(i - 1)];
    const TGifSubImage& frame = *gif.Frame(i);
    EXPECT_EQ(frame.Left(), expected.Left);
    EXPECT_EQ(frame.Top(), expected.Top);
    EXPECT_EQ(frame.Width(), expected.Width);
    EXPECT_EQ(frame.Height(), expected.Height);
    EXPECT_EQ(gif.FrameDelay(i), std::max(expected.Delay, 0));
    EXPECT_EQ(frame.DisposalMethod(), std::max(expected.Disposal, 0));
    EXPECT_EQ(frame.Interlaced(), expected.Interlaced);
    EXPECT_EQ(frame.HasLocalTable(), expected.LocalColors > 0);
    if (expected.LocalColors > 0) {
      EXPECT_EQ(frame.LocalTable().Count(), expected.LocalColors);
    }
    EXPECT_EQ(frame.CodeSize(), expected.MinCodeSize);
    const std::int32_t transparent =
        expected.TransparentIndex < 0 ? TGifFile::NoTransparentColor
                                      : static_cast<std::int32_t>(frame.ColorTable().Color(expected.TransparentIndex));
    EXPECT_EQ(gif.FrameTransparentColor(i), transparent);
    EXPECT_EQ(IndexCrc(frame.Pixels()), expected.IndexCrc);
    widest = std::max(widest, expected.Width);
    tallest = std::max(tallest, expected.Height);
  }
  EXPECT_EQ(gif.ScreenWidth(), widest);
  EXPECT_EQ(gif.ScreenHeight(), tallest);
}

TEST_P(GifCorpus, PixelIndicesEqualGiflibs) {
  const FileFacts& facts = GetParam();
  if (!facts.GiflibReadsAll) GTEST_SKIP() << "giflib does not read this file";
  if (FindDeviation(facts.Path) != nullptr) GTEST_SKIP() << "covered by GifCorpusDeviations";
  const std::vector<std::uint8_t> bytes = ReadTestFile(facts.Path);
  const test::ReferenceGif reference = test::DecodeWithGiflib(bytes);
  ASSERT_TRUE(reference.Ok);
  TGifFile gif;
  ASSERT_TRUE(Load(gif, bytes));
  ASSERT_EQ(static_cast<std::size_t>(gif.FrameCount()), reference.Images.size());
  for (std::size_t i = 0; i < reference.Images.size(); ++i) {
    const test::ReferenceImage& image = reference.Images[i];
    const TByteArray2D& pixels = gif.Frame(static_cast<int>(i + 1))->Pixels();
    ASSERT_EQ(pixels.Columns(), static_cast<std::size_t>(image.Width));
    ASSERT_EQ(pixels.Rows(), static_cast<std::size_t>(image.Height));
    for (std::size_t row = 1; row <= pixels.Rows(); ++row) {
      const auto values = pixels.Row(row);
      const auto from = image.Indices.begin() + static_cast<std::ptrdiff_t>((row - 1) * pixels.Columns());
      ASSERT_TRUE(std::equal(values.begin(), values.end(), from)) << "image " << i + 1 << " row " << row;
    }
  }
}

std::string TestName(const testing::TestParamInfo<FileFacts>& info) {
  std::string name = info.param.Path;
  name = name.substr(0, name.size() - 4);
  std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(TestData, GifCorpus, testing::ValuesIn(AllFacts()), TestName);

}  // namespace
}  // namespace velquora
