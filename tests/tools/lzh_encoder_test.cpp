#include "lzh_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "../scene_file/lzh_reference_decoder.h"
#include "scene_file/lzh_decoder.h"

namespace velquora {
namespace {

using Bytes = std::vector<std::uint8_t>;
using lzh_reference::ReferenceDecode;

std::int32_t SizeField(const Bytes& block) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(block[0]) | static_cast<std::uint32_t>(block[1]) << 8 |
                                   static_cast<std::uint32_t>(block[2]) << 16 |
                                   static_cast<std::uint32_t>(block[3]) << 24);
}

// Encodes data, checks the size field, and decodes the block with the reference decoder
// and with LzhDecodeBlock into a buffer of exactly the data's size (an encoder's last match
// never runs past the end). Returns the reference's view of the block for further checks.
lzh_reference::TDecodeResult ExpectRoundTrip(const Bytes& data) {
  const Bytes block = LzhEncodeBlock(data);
  EXPECT_GE(block.size(), 4U);
  if (block.size() < 4) return {};
  EXPECT_EQ(SizeField(block), static_cast<std::int32_t>(data.size()));
  auto reference = ReferenceDecode(block);
  EXPECT_TRUE(reference.bytes == data) << "reference decoder disagrees, size " << data.size();
  Bytes decoded(data.size());
  EXPECT_EQ(LzhDecodeBlock(block, decoded), data.size());
  EXPECT_TRUE(decoded == data) << "decoder disagrees, size " << data.size();
  return reference;
}

Bytes EnglishLikeText(std::size_t size, std::uint32_t seed) {
  static const char* const words[] = {"the",   "saver", "sprite", "moves", "along", "a",     "path",
                                      "of",    "steps", "while",  "music", "plays", "and",   "frames",
                                      "turn",  "over",  "bright", "night", "sky",   "slowly"};
  std::mt19937 generator(seed);
  std::string text;
  while (text.size() < size) {
    text += words[generator() % std::size(words)];
    text += generator() % 9 == 0 ? ".\n" : " ";
  }
  return Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size));
}

Bytes TableOfIntegers(std::size_t size) {
  Bytes bytes;
  for (std::uint32_t row = 0; bytes.size() < size; ++row) {
    const std::uint32_t fields[] = {row, row * row, 1000 - row % 7, 0x00FF00FFU};
    for (std::uint32_t value : fields) {
      for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
    }
  }
  bytes.resize(size);
  return bytes;
}

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 generator(seed);
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
  return bytes;
}

TEST(LzhEncoder, EmptyDataIsOnlyTheSizeField) {
  EXPECT_EQ(LzhEncodeBlock({}), (Bytes{0, 0, 0, 0}));
  ExpectRoundTrip({});
}

TEST(LzhEncoder, OneByteIsOneLiteral) {
  for (int value : {0, int{'A'}, 0x20, 0xFF}) {
    const auto reference = ExpectRoundTrip(Bytes{static_cast<std::uint8_t>(value)});
    EXPECT_EQ(reference.symbols, std::vector<int>{value});
  }
}

TEST(LzhEncoder, EverySmallSizeRoundTrips) {
  const Bytes text = EnglishLikeText(300, 3);
  for (std::size_t size = 0; size <= text.size(); ++size) {
    ExpectRoundTrip(Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size)));
    if (HasFailure()) return;
  }
}

TEST(LzhEncoder, TextRoundTripsAndShrinks) {
  const Bytes text = EnglishLikeText(50000, 11);
  ExpectRoundTrip(text);
  EXPECT_LT(LzhEncodeBlock(text).size(), text.size() / 2);
}

TEST(LzhEncoder, BinaryTableRoundTrips) {
  const Bytes table = TableOfIntegers(70000);
  ExpectRoundTrip(table);
  EXPECT_LT(LzhEncodeBlock(table).size(), table.size());
}

TEST(LzhEncoder, IncompressibleDataRoundTripsWithLittleGrowth) {
  const Bytes noise = RandomBytes(130000, 5);
  ExpectRoundTrip(noise);
  // Literals cost about 8 bits each once the tree has adapted to a flat distribution.
  EXPECT_LT(LzhEncodeBlock(noise).size(), noise.size() + noise.size() / 20);
}

TEST(LzhEncoder, LongRunsUseOverlappingMatchesAtDistanceOne) {
  const Bytes run(100000, 'x');
  const auto reference = ExpectRoundTrip(run);
  EXPECT_EQ(reference.symbols.front(), 'x');
  ASSERT_FALSE(reference.positions.empty());
  EXPECT_TRUE(std::all_of(reference.positions.begin(), reference.positions.end(), [](int p) { return p == 0; }));
  // Nearly every symbol is a longest match: about 100000 / 60 of them.
  EXPECT_LT(reference.symbols.size(), 100000U / 60 + 10);
}

TEST(LzhEncoder, LeadingSpacesMatchTheInitialRing) {
  const std::string text = std::string(25, ' ') + "then text";
  const Bytes data(text.begin(), text.end());
  const auto reference = ExpectRoundTrip(data);
  ASSERT_FALSE(reference.symbols.empty());
  EXPECT_EQ(reference.symbols.front(), 256 + 25 - 3);  // one match of all 25 spaces
}

TEST(LzhEncoder, LongBlocksCrossTheTreeRebuild) {
  // Random bytes are nearly all literals: far more than the 32454 symbols after which the
  // tree is rebuilt (four times over for 130000 of them).
  const Bytes noise = RandomBytes(130000, 8);
  const auto reference = ExpectRoundTrip(noise);
  EXPECT_GT(reference.symbols.size(), 4U * 32454U);
}

TEST(LzhEncoder, MixedBlocksUpTo130000BytesRoundTrip) {
  Bytes mixed;
  for (std::uint32_t part = 0; mixed.size() < 130000; ++part) {
    Bytes piece;
    switch (part % 4) {
      case 0: piece = EnglishLikeText(7000, part); break;
      case 1: piece = TableOfIntegers(5000); break;
      case 2: piece = RandomBytes(3000, part); break;
      default: piece = Bytes(1 + part * 37 % 300, static_cast<std::uint8_t>(part)); break;
    }
    mixed.insert(mixed.end(), piece.begin(), piece.end());
  }
  mixed.resize(130000);
  ExpectRoundTrip(mixed);
  const Bytes text = EnglishLikeText(130000, 21);
  ExpectRoundTrip(text);
}

TEST(LzhEncoder, RepeatsWithinTheRingAreMatchedAndFartherOnesAreNot) {
  // A pattern repeated 4000 bytes later lies inside the 4096-byte ring: the copy costs a
  // few hundred bytes of matches. Repeated 5000 bytes later it is out of reach.
  Bytes near = RandomBytes(4000, 13);
  near.insert(near.end(), near.begin(), near.end());
  ExpectRoundTrip(near);
  EXPECT_LT(LzhEncodeBlock(near).size(), 4000U + 4000U / 20 + 400U);

  Bytes far = RandomBytes(5000, 13);
  far.insert(far.end(), far.begin(), far.end());
  ExpectRoundTrip(far);
  EXPECT_GT(LzhEncodeBlock(far).size(), 10000U - 10000U / 20);
}

}  // namespace
}  // namespace velquora
