#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "core/memory_stream.h"
#include "host/saver_checksum.h"
#include "saver_writer.h"

namespace velquora {
namespace {

constexpr std::size_t kChunk = 65000;

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t state = seed;
  for (auto& byte : bytes) {
    state = state * 1103515245U + 12345U;
    byte = static_cast<std::uint8_t>(state >> 16);
  }
  return bytes;
}

SaverFileChecksum ChecksumOf(const std::vector<std::uint8_t>& file) {
  TMemoryStream stream(file);
  return ComputeSaverFileChecksum(stream);
}

void StoreLittleEndian(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(SaverChecksum, AbcGivesXorHighAndWeightedSumLow) {
  const std::vector<std::uint8_t> abc = {'a', 'b', 'c'};
  EXPECT_EQ(SaverChecksum(abc), 0x0060024EU);
}

TEST(SaverChecksum, EmptyIsZero) { EXPECT_EQ(SaverChecksum({}), 0U); }

TEST(SaverChecksum, WeightRunsBackToZeroAfter255) {
  // Byte 256 has weight 0 and byte 257 weight 1: only the xor sees byte 256.
  std::vector<std::uint8_t> bytes(257, 0);
  bytes[255] = 7;  // position 256
  EXPECT_EQ(SaverChecksum(bytes), 0x00070000U);
  bytes[255] = 0;
  bytes[256] = 7;  // position 257
  EXPECT_EQ(SaverChecksum(bytes), 0x00070007U);
  bytes[256] = 0;
  bytes[254] = 2;  // position 255
  EXPECT_EQ(SaverChecksum(bytes), 0x000201FEU);
}

TEST(SaverChecksum, SumWrapsAtSixteenBits) {
  // 65000 bytes of 0xFF: S = 255 * sum of (k mod 256), X = 0 (an even count).
  const std::vector<std::uint8_t> bytes(65000, 0xFF);
  std::uint64_t sum = 0;
  for (std::uint64_t k = 1; k <= bytes.size(); ++k) sum += 255 * (k % 256);
  EXPECT_EQ(SaverChecksum(bytes), static_cast<std::uint32_t>(sum % 65536));
}

TEST(SaverFileChecksum, AWriterMadeFilePasses) {
  for (const std::size_t size : {4UL, 5UL, 100UL, 64999UL, 65004UL, 65005UL, 130007UL, 200000UL}) {
    std::vector<std::uint8_t> file = Pattern(size, static_cast<std::uint32_t>(size));
    const auto expected = ReferenceSaverFileChecksum(file);
    ASSERT_TRUE(expected.has_value()) << size;
    StoreLittleEndian(file, size - 4, *expected);
    const SaverFileChecksum result = ChecksumOf(file);
    EXPECT_EQ(result.Computed, *expected) << size;
    EXPECT_EQ(result.Stored, *expected) << size;
    EXPECT_TRUE(result.Ok()) << size;
  }
}

TEST(SaverFileChecksum, ChunkCountFollowsTheFileLength) {
  EXPECT_EQ(ChecksumOf(Pattern(100, 1)).Chunks, 1U);
  EXPECT_EQ(ChecksumOf(Pattern(kChunk, 1)).Chunks, 1U);
  EXPECT_EQ(ChecksumOf(Pattern(kChunk + 4, 1)).Chunks, 2U);
  EXPECT_EQ(ChecksumOf(Pattern(3 * kChunk, 1)).Chunks, 3U);
}

TEST(SaverFileChecksum, A65004ByteFileHasAnEmptySecondChunk) {
  std::vector<std::uint8_t> file = Pattern(kChunk + 4, 9);
  // The table holds the first chunk's value and 0; the total sums their 8 bytes.
  const std::uint32_t first = SaverChecksum(std::span(file).first(kChunk));
  std::vector<std::uint8_t> table(8, 0);
  StoreLittleEndian(table, 0, first);
  const std::uint32_t expected = SaverChecksum(table);
  StoreLittleEndian(file, kChunk, expected);
  const SaverFileChecksum result = ChecksumOf(file);
  EXPECT_EQ(result.Chunks, 2U);
  EXPECT_EQ(result.Computed, expected);
  EXPECT_TRUE(result.Ok());
}

TEST(SaverFileChecksum, ExactMultipleOfTheChunkIncludesTheStoredBytes) {
  // Find a body whose self-consistent checksum exists, then check that the pass sums
  // the stored bytes too: any other stored value fails.
  for (std::uint32_t seed = 1; seed < 20; ++seed) {
    std::vector<std::uint8_t> body = Pattern(kChunk - 4, seed);
    const auto fitting = SelfConsistentChecksum(body);
    if (!fitting) continue;
    std::vector<std::uint8_t> file = body;
    file.resize(kChunk);
    StoreLittleEndian(file, kChunk - 4, *fitting);
    const SaverFileChecksum result = ChecksumOf(file);
    EXPECT_EQ(result.Chunks, 1U);
    // One table entry over all 65000 bytes, stored bytes included.
    const std::uint32_t entry = SaverChecksum(file);
    std::vector<std::uint8_t> table(4, 0);
    StoreLittleEndian(table, 0, entry);
    EXPECT_EQ(result.Computed, SaverChecksum(table));
    EXPECT_TRUE(result.Ok());
    StoreLittleEndian(file, kChunk - 4, *fitting ^ 1);
    EXPECT_FALSE(ChecksumOf(file).Ok());
    return;
  }
  FAIL() << "no body with a self-consistent checksum among the seeds";
}

TEST(SaverFileChecksum, ALastChunkOfOneToThreeBytesIsCorrupted) {
  for (const std::size_t extra : {1UL, 2UL, 3UL}) {
    std::vector<std::uint8_t> file = Pattern(kChunk + extra, 3);
    // Whatever the last bytes hold, the file cannot pass.
    const SaverFileChecksum result = ChecksumOf(file);
    EXPECT_FALSE(result.LayoutSound) << extra;
    EXPECT_FALSE(result.Ok()) << extra;
    StoreLittleEndian(file, file.size() - 4, result.Computed);
    EXPECT_FALSE(ChecksumOf(file).Ok()) << extra;
  }
}

TEST(SaverFileChecksum, FilesShorterThanTheStoredChecksumAreCorrupted) {
  for (const std::size_t size : {0UL, 1UL, 2UL, 3UL}) {
    EXPECT_FALSE(ChecksumOf(std::vector<std::uint8_t>(size, 0)).Ok()) << size;
  }
  // Four zero bytes: an empty chunk (value 0) whose total, 0, is stored.
  EXPECT_TRUE(ChecksumOf(std::vector<std::uint8_t>(4, 0)).Ok());
}

TEST(SaverFileChecksum, FlippingAnyByteBeforeTheStoredValueIsNoticed) {
  std::vector<std::uint8_t> file = Pattern(2 * kChunk + 777, 5);
  StoreLittleEndian(file, file.size() - 4, *ReferenceSaverFileChecksum(file));
  ASSERT_TRUE(ChecksumOf(file).Ok());
  // Every region: start, inside and at the end of each chunk, the offset P, the checksum.
  const std::size_t size = file.size();
  for (const std::size_t at : {0UL, 1UL, 255UL, kChunk - 1, kChunk, kChunk + 256, 2 * kChunk - 1, 2 * kChunk,
                               size - 9, size - 8, size - 5, size - 4, size - 1}) {
    std::vector<std::uint8_t> damaged = file;
    damaged[at] ^= 0x01;
    EXPECT_FALSE(ChecksumOf(damaged).Ok()) << "byte " << at;
  }
}

TEST(SaverFileChecksum, FilesOfMoreThan16001ChunksKeepEveryChunk) {
  // The table of chunk values grows with the file instead of stopping at 16001 entries;
  // small chunks keep the file small. Expected: the same rules over every chunk.
  constexpr std::size_t kSmallChunk = 16;
  constexpr std::size_t kChunks = 16005;
  std::vector<std::uint8_t> file = Pattern(kChunks * kSmallChunk + 10, 11);
  std::vector<std::uint8_t> table;
  for (std::size_t start = 0; start < file.size(); start += kSmallChunk) {
    const std::size_t size = std::min(kSmallChunk, file.size() - start);
    const std::uint32_t value = SaverChecksum(std::span(file).subspan(start, size == kSmallChunk ? size : size - 4));
    for (int i = 0; i < 4; ++i) table.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  const std::uint32_t expected = SaverChecksum(table);
  StoreLittleEndian(file, file.size() - 4, expected);
  TMemoryStream stream(file);
  const SaverFileChecksum result = ComputeSaverFileChecksum(stream, kSmallChunk);
  EXPECT_EQ(result.Chunks, kChunks + 1);
  EXPECT_EQ(result.Computed, expected);
  EXPECT_TRUE(result.Ok());
}

}  // namespace
}  // namespace velquora
