#pragma once
// The saver file's checksum. The file is the program with the scene appended; its last
// four bytes hold a checksum of everything before them, taken chunk by chunk:
//   SaverChecksum(bytes): X = xor of the bytes, S = sum of byte * (k mod 256) for the
//   k-th byte (k from 1), modulo 65536; the result is X * 65536 + S.
// Each 65000-byte chunk gets its own checksum (the last, short chunk without the four
// stored bytes), and the checksum of those values, as little-endian 32-bit numbers in
// chunk order, is the file's checksum.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/stream.h"

namespace velquora {

inline constexpr std::size_t kChecksumChunkSize = 65000;

// The weights repeat every 256 bytes, so the rule holds for spans of any length.
std::uint32_t SaverChecksum(std::span<const std::uint8_t> bytes);

// What the chunk pass over a saver file found.
struct SaverFileChecksum {
  std::uint32_t Stored = 0;    // the last four bytes of the file (0 when it has fewer)
  std::uint32_t Computed = 0;  // the checksum of the chunks
  std::size_t Chunks = 0;      // entries of the per-chunk table
  // False for files whose last chunk holds 1 to 3 bytes: the stored checksum is split
  // across two chunks, so no checksum can describe the file, and for files too short
  // to hold a stored checksum. Such files are treated as corrupted.
  bool LayoutSound = true;

  bool Ok() const { return LayoutSound && Stored == Computed; }
};

// Reads the whole stream from its start in chunks of chunk_size bytes (65000 for saver
// files; at least 4). Never reads past what the stream holds. Raises only what the
// stream raises.
SaverFileChecksum ComputeSaverFileChecksum(TStream& file, std::size_t chunk_size = kChecksumChunkSize);

}  // namespace velquora
