#pragma once
// Test-support writer of scene containers: the compressed flag, a signature (by version
// index or as explicit text), an optional preview block, the compressor's parameters
// and either the record stream itself or the record stream cut into LZH blocks. Options
// write odd or damaged containers for tests of the loader.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velquora {

// One block of the block list as stored: its length field and its bytes.
struct StoredBlockSpec {
  std::vector<std::uint8_t> Bytes;
  std::optional<std::int32_t> StoredLength;  // overrides the length written before the bytes
};

struct ContainerSpec {
  bool Compressed = true;
  std::uint8_t CompressedFlag = 1;        // the flag byte written when Compressed
  std::int32_t Version = 16;              // version index 1..16: picks the signature
  std::optional<std::string> Signature;   // explicit signature text instead (ANSI bytes)
  std::optional<std::vector<std::uint8_t>> Preview;  // writes the marker, the length and these bytes
  std::optional<std::int32_t> PreviewLength;         // overrides the preview's stored length
  std::optional<bool> WriteParameters;    // default: Version >= 5
  std::int32_t RingSize = 4096;
  std::int32_t LookAhead = 60;
  std::size_t BlockSize = 32768;          // record bytes per LZH block
  std::optional<std::vector<StoredBlockSpec>> Blocks;  // these blocks instead of encoding the records
  std::optional<std::int32_t> BlockCount;              // overrides the stored block count
};

// The container holding the record stream.
std::vector<std::uint8_t> WriteContainer(std::span<const std::uint8_t> records, const ContainerSpec& design = {});

// The record stream cut into blocks of at most block_size bytes, each LZH-encoded.
std::vector<StoredBlockSpec> EncodeRecordBlocks(std::span<const std::uint8_t> records, std::size_t block_size);

}  // namespace velquora
