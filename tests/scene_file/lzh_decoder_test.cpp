#include "scene_file/lzh_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "lzh_encoder.h"
#include "lzh_reference_decoder.h"

namespace velquora {
namespace {

using Bytes = std::vector<std::uint8_t>;
using lzh_reference::THandEncoder;
using lzh_reference::ReferenceDecode;

constexpr std::size_t kBufferSize = 130000;
constexpr std::uint8_t kGuard = 0xA5;

Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Decodes into a buffer of `room` bytes that sits inside a larger vector whose tail is a
// guard region; fails the test if anything past the room was touched.
struct TGuardedDecode {
  Bytes bytes;
  std::size_t count = 0;
};

TGuardedDecode DecodeGuarded(const Bytes& block, std::size_t room) {
  Bytes buffer(room + 256, kGuard);
  TGuardedDecode result;
  result.count = LzhDecodeBlock(block, std::span<std::uint8_t>(buffer.data(), room));
  EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(room), buffer.end(),
                          [](std::uint8_t b) { return b == kGuard; }))
      << "bytes written past the output span";
  result.bytes.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(result.count));
  return result;
}

Bytes Decode(const Bytes& block) { return DecodeGuarded(block, kBufferSize).bytes; }

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 generator(seed);
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
  return bytes;
}

// ---------------------------------------------------------------------------------------
// Position code tables

TEST(LzhPositionTables, RunsOfUpperBitsAndCodeLengths) {
  struct Row {
    int first_entry, entries, high_first, high_last, code_length;
  };
  // Upper bits v cover 2^(8 - length) consecutive entries of the 8-bit table.
  const Row rows[] = {
      {0, 32, 0, 0, 3}, {32, 48, 1, 3, 4}, {80, 64, 4, 11, 5},
      {144, 48, 12, 23, 6}, {192, 48, 24, 47, 7}, {240, 16, 48, 63, 8},
  };
  for (const Row& row : rows) {
    const int per_value = row.entries / (row.high_last - row.high_first + 1);
    for (int k = 0; k < row.entries; ++k) {
      const auto entry = static_cast<std::size_t>(row.first_entry + k);
      EXPECT_EQ(lzh::kPositionTables.high[entry], row.high_first + k / per_value) << "entry " << entry;
      EXPECT_EQ(lzh::kPositionTables.length[entry], row.code_length) << "entry " << entry;
    }
  }
}

TEST(LzhPositionTables, AgreeWithTheReferenceTables) {
  const auto& reference = lzh_reference::PositionTables();
  for (std::size_t i = 0; i < 256; ++i) {
    EXPECT_EQ(lzh::kPositionTables.high[i], reference.d_code[i]) << i;
    EXPECT_EQ(lzh::kPositionTables.length[i], reference.d_len[i]) << i;
  }
}

// ---------------------------------------------------------------------------------------
// Adaptive tree

void ExpectSameTree(const lzh::TLzhTree& tree, const lzh_reference::TReferenceTree& reference,
                    std::size_t step) {
  for (int k = 0; k <= lzh::kTreeSize; ++k) {
    ASSERT_EQ(tree.Frequency(k), reference.freq[k]) << "freq " << k << " after " << step;
  }
  for (int k = 0; k < lzh::kTreeSize; ++k) {
    ASSERT_EQ(tree.Son(k), reference.son[k]) << "son " << k << " after " << step;
  }
  for (int k = 0; k < lzh::kTreeSize + lzh::kSymbolCount; ++k) {
    ASSERT_EQ(tree.Parent(k), reference.prnt[k]) << "parent " << k << " after " << step;
  }
}

TEST(LzhTree, InitialTreeCountsEverySymbolOnce) {
  const lzh::TLzhTree tree;
  EXPECT_EQ(tree.Frequency(lzh::kRoot), 314U);
  for (int c = 0; c < lzh::kSymbolCount; ++c) {
    const int leaf = tree.Parent(c + lzh::kTreeSize);
    EXPECT_EQ(tree.Son(leaf), c + lzh::kTreeSize);
    EXPECT_EQ(tree.Frequency(leaf), 1U);
  }
  ExpectSameTree(tree, lzh_reference::TReferenceTree(), 0);
}

TEST(LzhTree, UpdatesAndRebuildsMatchTheReferenceTree) {
  // Skewed symbols so that nodes move a lot; 100000 updates cross several rebuilds.
  std::mt19937 generator(7);
  std::geometric_distribution<int> skewed(0.05);
  lzh::TLzhTree tree;
  lzh_reference::TReferenceTree reference;
  int rebuilds = 0;
  for (std::size_t step = 1; step <= 100000; ++step) {
    const int symbol = std::min(skewed(generator), lzh::kSymbolCount - 1);
    const bool rebuilds_now = reference.freq[lzh_reference::R] == lzh_reference::MAX_FREQ;
    rebuilds += rebuilds_now ? 1 : 0;
    tree.Update(symbol);
    reference.update(symbol);
    if (step % 997 == 0 || rebuilds_now) ExpectSameTree(tree, reference, step);
    if (HasFatalFailure()) return;
  }
  ExpectSameTree(tree, reference, 100000);
  EXPECT_GE(rebuilds, 3);
}

// The nodes from the root's child down to the leaf of symbol, as a decoder walks them.
std::vector<std::int16_t> PathTo(const lzh_reference::TReferenceTree& tree, int symbol) {
  std::vector<std::int16_t> path;
  for (int node = tree.prnt[symbol + lzh_reference::T]; node != lzh_reference::R; node = tree.prnt[node]) {
    path.insert(path.begin(), static_cast<std::int16_t>(node));
  }
  return path;
}

TEST(LzhTree, UpdateAlongTheDecodedPathMatchesTheReferenceTree) {
  std::mt19937 generator(31);
  std::geometric_distribution<int> skewed(0.02);
  lzh::TLzhTree tree;
  lzh_reference::TReferenceTree reference;
  for (std::size_t step = 1; step <= 70000; ++step) {
    // Alternate flat and skewed stretches so that nodes both stay and move.
    const int symbol = (step / 5000) % 2 == 0 ? static_cast<int>(generator() % 256)
                                              : std::min(skewed(generator), lzh::kSymbolCount - 1);
    const auto path = PathTo(reference, symbol);
    const bool rebuilds_now = reference.freq[lzh_reference::R] == lzh_reference::MAX_FREQ;
    tree.UpdateAlongPath(symbol, path.data(), static_cast<int>(path.size()));
    reference.update(symbol);
    if (step % 499 == 0 || rebuilds_now) ExpectSameTree(tree, reference, step);
    if (HasFatalFailure()) return;
  }
}

TEST(LzhTree, RootCountReachesTheCeilingAfter32454Symbols) {
  lzh::TLzhTree tree;
  for (int i = 0; i < 32454; ++i) tree.Update(i % lzh::kSymbolCount);
  EXPECT_EQ(tree.Frequency(lzh::kRoot), lzh::kMaxFrequency);
  tree.Update(0);
  // Halved counts: 313 symbols were seen 103 or 104 times plus once, the sum halves.
  EXPECT_LT(tree.Frequency(lzh::kRoot), lzh::kMaxFrequency / 2 + lzh::kSymbolCount);
  EXPECT_GT(tree.Frequency(lzh::kRoot), lzh::kMaxFrequency / 2 - lzh::kSymbolCount);
}

// ---------------------------------------------------------------------------------------
// Hand-built streams

TEST(LzhDecoder, LiteralsComeOutAsTheyAre) {
  const Bytes block = THandEncoder(3).Literal('a').Literal(0).Literal(0xFF).Bytes();
  EXPECT_EQ(Decode(block), (Bytes{'a', 0, 0xFF}));
}

TEST(LzhDecoder, OverlappingMatchRepeatsTheRun) {
  // Position 0 is a distance of 1: the match copies the byte it has just written.
  const Bytes block = THandEncoder(11).Literal('x').Match(10, 0).Bytes();
  EXPECT_EQ(Decode(block), Bytes(11, 'x'));
}

TEST(LzhDecoder, OverlappingMatchWithAPeriodOfThree) {
  const Bytes block = THandEncoder(12).Literal('a').Literal('b').Literal('c').Match(9, 2).Bytes();
  EXPECT_EQ(Decode(block), FromText("abcabcabcabc"));
}

TEST(LzhDecoder, FirstMatchReachesIntoTheInitialSpaces) {
  // Distance 3 from the start reads the last two spaces of the ring and then 'q' itself.
  const Bytes block = THandEncoder(6).Literal('q').Match(5, 2).Bytes();
  EXPECT_EQ(Decode(block), FromText("q  q  "));
}

TEST(LzhDecoder, FarMatchAtTheStartYieldsSpaces) {
  // Distance 60 from the first byte covers exactly the last 60 spaces of the ring; a
  // distance of 4000 starts near the front of the ring.
  EXPECT_EQ(Decode(THandEncoder(60).Match(60, 59).Bytes()), Bytes(60, ' '));
  EXPECT_EQ(Decode(THandEncoder(3).Match(3, 3999).Bytes()), Bytes(3, ' '));
}

TEST(LzhDecoder, UnwrittenRingPositionsReadAsZero) {
  // Distance 4096 from the first byte is the write position itself, one of the 60 ring
  // positions that are cleared before decoding.
  const Bytes block = THandEncoder(5).Match(5, 4095).Bytes();
  EXPECT_EQ(Decode(block), Bytes(5, 0));
  EXPECT_EQ(ReferenceDecode(block).bytes, Bytes(5, 0));
}

TEST(LzhDecoder, MatchReachingBackAcrossTheWholeRing) {
  // After 4096 bytes every ring position has been written once: distance 4096 repeats the
  // byte written 4096 bytes ago.
  THandEncoder encoder(4096 + 8);
  Bytes expected;
  for (int i = 0; i < 4096; ++i) {
    const auto byte = static_cast<std::uint8_t>(i * 7 + i / 256);
    encoder.Literal(byte);
    expected.push_back(byte);
  }
  encoder.Match(8, 4095);
  for (int i = 0; i < 8; ++i) expected.push_back(expected[static_cast<std::size_t>(i)]);
  EXPECT_EQ(Decode(encoder.Bytes()), expected);
}

TEST(LzhDecoder, LastMatchMayRunPastTheSize) {
  const Bytes block = THandEncoder(2).Literal('z').Match(60, 0).Bytes();
  const auto decoded = DecodeGuarded(block, 61);
  EXPECT_EQ(decoded.count, 61U);
  EXPECT_EQ(decoded.bytes, Bytes(61, 'z'));
  EXPECT_EQ(ReferenceDecode(block).bytes, decoded.bytes);
}

TEST(LzhDecoder, OutputThatWouldNotFitRaisesAndWritesNothingPastTheSpan) {
  const Bytes block = THandEncoder(2).Literal('z').Match(60, 0).Bytes();
  EXPECT_THROW(DecodeGuarded(block, 60), ElzhException);
  EXPECT_THROW(DecodeGuarded(block, 2), ElzhException);
}

TEST(LzhDecoder, SizeBeyondTheBufferRaises) {
  const Bytes text = FromText("a block of text that is longer than the buffer it is decoded into");
  const Bytes block = LzhEncodeBlock(text);
  EXPECT_THROW(DecodeGuarded(block, text.size() - 1), ElzhException);
  EXPECT_EQ(DecodeGuarded(block, text.size()).bytes, text);
}

TEST(LzhDecoder, ZeroSizeReadsOnlyTheSizeField) {
  EXPECT_EQ(DecodeGuarded(Bytes{0, 0, 0, 0}, 0).count, 0U);
  // Whatever follows the size is never read: not even bits that would decode to a match.
  EXPECT_EQ(DecodeGuarded(Bytes{0, 0, 0, 0, 0xFF, 0xFF, 0xFF}, 0).count, 0U);
}

TEST(LzhDecoder, NegativeSizeProducesNothing) {
  const Bytes block = THandEncoder(-5).Literal('a').Literal('b').Bytes();
  const auto decoded = DecodeGuarded(block, 16);
  EXPECT_EQ(decoded.count, 0U);
  EXPECT_TRUE(ReferenceDecode(block).bytes.empty());
  EXPECT_EQ(DecodeGuarded(Bytes{0, 0, 0, 0x80}, 16).count, 0U);  // INT32_MIN
}

TEST(LzhDecoder, BlockTooShortForItsSizeRaises) {
  for (std::size_t length = 0; length < 4; ++length) {
    EXPECT_THROW(DecodeGuarded(Bytes(length, 0), 16), ElzhException) << length;
  }
}

TEST(LzhDecoder, EmptyBitStreamDecodesTheLeftmostPaths) {
  // Zero bits only: every symbol is the tree's leftmost leaf at that moment.
  const Bytes block = {40, 0, 0, 0};
  const auto reference = ReferenceDecode(block);
  const auto decoded = DecodeGuarded(block, 200);
  EXPECT_GE(decoded.count, 40U);
  EXPECT_EQ(decoded.bytes, reference.bytes);
}

// ---------------------------------------------------------------------------------------
// Agreement with the reference decoder

void ExpectAgreesWithReference(const Bytes& block, std::size_t room, const std::string& what) {
  const auto reference = ReferenceDecode(block);
  if (reference.bytes.size() > room) {
    EXPECT_THROW(DecodeGuarded(block, room), ElzhException) << what;
  } else {
    EXPECT_EQ(DecodeGuarded(block, room).bytes, reference.bytes) << what;
  }
}

TEST(LzhDecoder, TruncatedStreamsStillYieldTheSizeAndAgreeWithTheReference) {
  Bytes text;
  for (int i = 0; i < 300; ++i) {
    const std::string line = "line " + std::to_string(i * i % 97) + " of the truncated sample\n";
    text.insert(text.end(), line.begin(), line.end());
  }
  const Bytes block = LzhEncodeBlock(text);
  for (std::size_t cut = 4; cut < block.size(); cut += 1 + cut / 16) {
    const Bytes truncated(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(cut));
    const auto decoded = DecodeGuarded(truncated, text.size() + lzh::kLookAhead);
    EXPECT_GE(decoded.count, text.size()) << "cut at " << cut;
    EXPECT_EQ(decoded.bytes, ReferenceDecode(truncated).bytes) << "cut at " << cut;
  }
}

TEST(LzhDecoder, RandomBlocksAgreeWithTheReference) {
  std::mt19937 generator(20240611);
  for (int round = 0; round < 300; ++round) {
    Bytes block = RandomBytes(4 + generator() % 600, generator());
    const auto size = static_cast<std::int32_t>(generator() % 6000) - 100;
    for (int b = 0; b < 4; ++b) block[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(size) >> (8 * b));
    ExpectAgreesWithReference(block, 5000 + generator() % 200, "round " + std::to_string(round));
  }
}

TEST(LzhDecoder, CorruptedEncodedBlocksAgreeWithTheReference) {
  std::mt19937 generator(99);
  Bytes text;
  while (text.size() < 20000) {
    const std::string word = "w" + std::to_string(generator() % 50) + (generator() % 5 == 0 ? "\n" : " ");
    text.insert(text.end(), word.begin(), word.end());
  }
  const Bytes block = LzhEncodeBlock(text);
  for (int round = 0; round < 60; ++round) {
    Bytes corrupted = block;
    for (int flips = 0; flips < 3; ++flips) {
      const std::size_t at = 4 + generator() % (corrupted.size() - 4);
      corrupted[at] = static_cast<std::uint8_t>(corrupted[at] ^ (1U << (generator() % 8)));
    }
    ExpectAgreesWithReference(corrupted, text.size() + 30, "round " + std::to_string(round));
  }
}

TEST(LzhDecoder, EveryBlockStartsFresh) {
  const Bytes first = LzhEncodeBlock(FromText("the first block sets up a tree and a ring of its own"));
  const Bytes second = LzhEncodeBlock(FromText("the second block must not see any of it"));
  const Bytes second_alone = Decode(second);
  Decode(first);
  EXPECT_EQ(Decode(second), second_alone);
  EXPECT_EQ(second_alone, FromText("the second block must not see any of it"));
  // The same block twice in a row decodes the same both times.
  EXPECT_EQ(Decode(first), Decode(first));
}

}  // namespace
}  // namespace velquora
