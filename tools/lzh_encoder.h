#pragma once
// Test support: the LZHUF compressor that produces the blocks LzhDecodeBlock reads.
// Never linked into the program; tests and tools use it to write compressed scene containers.
#include <cstdint>
#include <span>
#include <vector>

namespace velquora {

// Compresses data into one stored block: the 4-byte little-endian uncompressed size,
// then the LZSS/adaptive-Huffman bit stream, most significant bit first, flushed to whole bytes.
// Each call starts from a fresh ring of spaces and a fresh tree, as every block does.
std::vector<std::uint8_t> LzhEncodeBlock(std::span<const std::uint8_t> data);

}  // namespace velquora
