// LZW decoding: round trips through the test encoder, cross-checked with giflib, and hand-made
// code streams for each of the decoder's rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/memory_stream.h"
#include "gif_reference.h"
#include "gif_writer.h"
#include "media/gif/gif_exception.h"
#include "media/gif/gif_file.h"
#include "media/gif/gif_lzw.h"

namespace velquora {
namespace {

std::vector<std::uint8_t> RandomIndices(std::size_t count, int bits, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_int_distribution<int> value(0, (1 << bits) - 1);
  std::vector<std::uint8_t> indices(count);
  for (auto& index : indices) index = static_cast<std::uint8_t>(value(generator));
  return indices;
}

std::vector<std::uint8_t> Flatten(const TByteArray2D& pixels) {
  std::vector<std::uint8_t> all;
  for (std::size_t row = 1; row <= pixels.Rows(); ++row) {
    const auto values = pixels.Row(row);
    all.insert(all.end(), values.begin(), values.end());
  }
  return all;
}

std::vector<std::uint8_t> Decode(int code_size, std::span<const std::uint8_t> data, int width, int height,
                                 bool interlaced = false) {
  TByteArray2D pixels(static_cast<std::size_t>(height), static_cast<std::size_t>(width));
  DecodeLzw(code_size, data, interlaced, pixels);
  return Flatten(pixels);
}

// A hand-made code stream, each code written with the width a GIF decoder reads it with: the
// bit length of the next free table code, which starts at 2^size + 2 after a clear code and grows
// by one with every code but the first after a clear code, up to 12 bits.
class CodeStream {
public:
  explicit CodeStream(int code_size) : code_size_(code_size) { Reset(); }

  CodeStream& Clear() {
    Put(1 << code_size_);
    Reset();
    return *this;
  }
  CodeStream& End() { return Put((1 << code_size_) + 1); }
  CodeStream& Code(int code) {
    Put(code);
    if (codes_since_clear_++ > 0 && next_free_ < 4096) ++next_free_;
    return *this;
  }
  int NextFree() const { return next_free_; }
  std::vector<std::uint8_t> Bytes() const { return GifPackCodes(codes_); }

private:
  void Reset() {
    next_free_ = (1 << code_size_) + 2;
    codes_since_clear_ = 0;
  }
  CodeStream& Put(int code) {
    int width = 0;
    while ((next_free_ >> width) != 0) ++width;
    codes_.emplace_back(code, std::min(width, 12));
    return *this;
  }

  int code_size_;
  int next_free_ = 0;
  int codes_since_clear_ = 0;
  std::vector<std::pair<int, int>> codes_;
};

std::string DecodeError(int code_size, const CodeStream& codes, int width, int height) {
  try {
    Decode(code_size, codes.Bytes(), width, height);
  } catch (const EGifException& error) {
    return error.what();
  }
  return "no error";
}

TEST(GifLzw, RoundTripsEveryMinimumCodeSize) {
  for (int code_size = 2; code_size <= 8; ++code_size) {
    SCOPED_TRACE("code size " + std::to_string(code_size));
    const int width = 37;
    const int height = 23;
    const auto indices = RandomIndices(std::size_t(width) * height, code_size, 7u + unsigned(code_size));
    const auto data = GifLzwEncode(indices, code_size);
    EXPECT_EQ(Decode(code_size, data, width, height), indices);
  }
}

TEST(GifLzw, WidthGrowsToTwelveBitsAndClearCodesRestartTheTable) {
  // Random 8-bit pixels fill the 4096-entry table several times over.
  const int width = 300;
  const int height = 200;
  const auto indices = RandomIndices(std::size_t(width) * height, 8, 42);
  for (GifTableFull policy : {GifTableFull::ClearEarly, GifTableFull::FillTable}) {
    GifImage image(0, 0, width, height, indices);
    image.MinCodeSize = 8;
    image.TableFull = policy;
    GifWriter writer(width, height, std::vector<GifRgb>(256));
    writer.Image(image).Trailer();
    const test::ReferenceGif reference = test::DecodeWithGiflib(writer.Bytes());
    ASSERT_TRUE(reference.Ok);
    ASSERT_EQ(reference.Images.at(0).Indices, indices) << "the test encoder disagrees with giflib";
    TMemoryStream stream(writer.Bytes());
    TGifFile gif;
    gif.LoadFromStream(stream);
    EXPECT_EQ(Flatten(gif.Frame(1)->Pixels()), indices);
  }
}

TEST(GifLzw, FullTableMustBeFollowedByAClearCode) {
  CodeStream codes(2);
  codes.Clear();
  while (codes.NextFree() < 4096) codes.Code(1);
  CodeStream cleared = codes;
  codes.Code(2);
  EXPECT_EQ(DecodeError(2, codes, 64, 64), "Code size overflow");
  cleared.Clear().Code(3).End();
  EXPECT_EQ(DecodeError(2, cleared, 64, 64), "no error");
}

TEST(GifLzw, FullTableAtTheEndOfTheImageIsNoError) {
  // 4091 codes of value 1 after a clear code fill the table and exactly 4091 pixels.
  CodeStream codes(2);
  codes.Clear();
  while (codes.NextFree() < 4096) codes.Code(1);
  codes.Code(2);
  EXPECT_EQ(Decode(2, codes.Bytes(), 4091, 1), std::vector<std::uint8_t>(4091, 1));
}

TEST(GifLzw, RepeatedClearCodesAreSkipped) {
  CodeStream codes(2);
  codes.Clear().Clear().Clear().Code(1).Code(2).Clear().Clear().Code(3).End();
  EXPECT_EQ(Decode(2, codes.Bytes(), 3, 1), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(GifLzw, EndCodeRightAfterAClearCodeIsABadCode) {
  CodeStream at_start(2);
  at_start.Clear().End();
  EXPECT_EQ(DecodeError(2, at_start, 2, 2), "Bad code");
  CodeStream later(2);
  later.Clear().Code(1).Code(2).Clear().Clear().End();
  EXPECT_EQ(DecodeError(2, later, 2, 2), "Bad code");
}

TEST(GifLzw, EndCodeBeforeAnyClearCodeEndsQuietly) {
  CodeStream codes(2);
  codes.End();
  EXPECT_EQ(Decode(2, codes.Bytes(), 2, 2), std::vector<std::uint8_t>(4, 0));
}

TEST(GifLzw, DataWithoutALeadingClearCodeDecodes) {
  CodeStream codes(2);
  codes.Code(3).Code(2).Code(6).End();  // 6 = "3 2"
  EXPECT_EQ(Decode(2, codes.Bytes(), 4, 1), (std::vector<std::uint8_t>{3, 2, 3, 2}));
}

TEST(GifLzw, FirstCodeBeyondTheTableBecomesZero) {
  CodeStream codes(2);
  codes.Clear().Code(7).Code(1).End();
  EXPECT_EQ(Decode(2, codes.Bytes(), 2, 1), (std::vector<std::uint8_t>{0, 1}));
}

TEST(GifLzw, CodeAboveTheNextFreeCodeIsABadCode) {
  CodeStream codes(2);
  codes.Clear().Code(1).Code(7);  // the next free code is 6
  EXPECT_EQ(DecodeError(2, codes, 4, 4), "Bad code");
}

TEST(GifLzw, CodeEqualToTheNextFreeCodeRepeatsThePreviousString) {
  CodeStream codes(2);
  codes.Clear().Code(1).Code(6).Code(7).End();  // 1, 1 1, 1 1 1
  EXPECT_EQ(Decode(2, codes.Bytes(), 6, 1), std::vector<std::uint8_t>(6, 1));
}

TEST(GifLzw, MinimumCodeSizeMustLieBetweenTwoAndNine) {
  struct Case {
    int code_size;
    bool accepted;
  };
  const Case cases[] = {{0, false}, {1, false}, {2, true}, {5, true}, {8, true},
                        {9, true},  {10, false}, {11, false}, {12, false}};
  for (const Case& c : cases) {
    CodeStream codes(std::min(c.code_size, 9));
    codes.Clear().Code(1).End();
    std::string error = "no error";
    try {
      Decode(c.code_size, codes.Bytes(), 1, 1);
    } catch (const EGifException& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.accepted ? "no error" : "Bad code Size") << "code size " << c.code_size;
  }
}

TEST(GifLzw, CodeSizeNineDecodesWideLiterals) {
  const auto indices = RandomIndices(40 * 30, 8, 9);
  EXPECT_EQ(Decode(9, GifLzwEncode(indices, 9), 40, 30), indices);
}

TEST(GifLzw, RunningOutOfDataKeepsOnlyWholeRows) {
  CodeStream codes(2);
  // Five pixels and no end code; the padding bits of the last byte may add one more pixel.
  codes.Clear().Code(1).Code(2).Code(3).Code(1).Code(2);
  EXPECT_EQ(Decode(2, codes.Bytes(), 4, 3), (std::vector<std::uint8_t>{1, 2, 3, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(GifLzw, PixelsBeyondTheLastRowAreIgnored) {
  CodeStream codes(2);
  codes.Clear().Code(1).Code(2).Code(3).Code(1).Code(2).Code(2).Code(3).End();
  EXPECT_EQ(Decode(2, codes.Bytes(), 2, 2), (std::vector<std::uint8_t>{1, 2, 3, 1}));
}

TEST(GifLzw, EmptyImageReadsNoData) {
  CodeStream codes(2);
  codes.Clear().Code(7).Code(7);  // would be a bad code if it were read
  EXPECT_TRUE(Decode(2, codes.Bytes(), 0, 5).empty());
  EXPECT_TRUE(Decode(2, codes.Bytes(), 5, 0).empty());
}

TEST(GifLzw, InterlacedRowsComeBackInDisplayOrder) {
  for (int height = 1; height <= 17; ++height) {
    SCOPED_TRACE("height " + std::to_string(height));
    const int width = 3;
    std::vector<std::uint8_t> indices;
    for (int row = 0; row < height; ++row)
      for (int column = 0; column < width; ++column) indices.push_back(static_cast<std::uint8_t>(row * 3 + column));
    GifWriter writer(width, height, std::vector<GifRgb>(256));
    GifImage image(0, 0, width, height, indices);
    image.Interlaced = true;
    writer.Image(image).Trailer();
    const test::ReferenceGif reference = test::DecodeWithGiflib(writer.Bytes());
    ASSERT_TRUE(reference.Ok);
    ASSERT_EQ(reference.Images.at(0).Indices, indices) << "the test writer disagrees with giflib";
    TMemoryStream stream(writer.Bytes());
    TGifFile gif;
    gif.LoadFromStream(stream);
    EXPECT_TRUE(gif.Frame(1)->Interlaced());
    EXPECT_EQ(Flatten(gif.Frame(1)->Pixels()), indices);
  }
}

TEST(GifLzw, InterlacedImageCutShortFillsTheFirstPassRowsOnly) {
  // An 8-row interlaced image whose data ends after two rows: rows 0 and 4 come first.
  CodeStream codes(2);
  codes.Clear().Code(1).Code(1).Code(2).Code(2);
  EXPECT_EQ(Decode(2, codes.Bytes(), 2, 8, true),
            (std::vector<std::uint8_t>{1, 1, 0, 0, 0, 0, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace velquora
