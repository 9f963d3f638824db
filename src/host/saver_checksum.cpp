#include "host/saver_checksum.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace velquora {

namespace {
constexpr std::size_t kStoredChecksumSize = 4;

// Reads up to buffer.size() bytes, going on after short reads until the stream ends.
std::size_t ReadChunk(TStream& file, std::span<std::uint8_t> buffer) {
  std::size_t filled = 0;
  while (filled < buffer.size()) {
    const std::size_t got = file.Read(buffer.data() + filled, buffer.size() - filled);
    if (got == 0) break;
    filled += got;
  }
  return filled;
}

std::vector<std::uint8_t> TableBytes(const std::vector<std::uint32_t>& table) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(table.size() * 4);
  for (const std::uint32_t entry : table) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(entry >> shift));
  }
  return bytes;
}

// The last four bytes of the file, when it has that many.
std::optional<std::uint32_t> ReadStoredChecksum(TStream& file) {
  if (file.Size() < static_cast<std::int64_t>(kStoredChecksumSize)) return std::nullopt;
  file.Seek(-static_cast<std::int64_t>(kStoredChecksumSize), SeekOrigin::End);
  return ReadUInt32(file);
}
}  // namespace

std::uint32_t SaverChecksum(std::span<const std::uint8_t> bytes) {
  std::uint16_t sum = 0;
  std::uint8_t parity = 0;
  std::size_t k = 0;
  for (const std::uint8_t byte : bytes) {
    ++k;
    parity ^= byte;
    sum = static_cast<std::uint16_t>(sum + byte * (k & 0xFF));
  }
  return (std::uint32_t{parity} << 16) | sum;
}

SaverFileChecksum ComputeSaverFileChecksum(TStream& file, std::size_t chunk_size) {
  SaverFileChecksum result;
  std::vector<std::uint8_t> chunk(std::max(chunk_size, kStoredChecksumSize));
  // One value per chunk; the table grows with the file (one entry per 65000 bytes).
  std::vector<std::uint32_t> table;
  file.SetPosition(0);
  std::size_t summed = chunk.size();
  while (summed == chunk.size()) {
    const std::size_t got = ReadChunk(file, chunk);
    if (got == 0) break;
    if (got == chunk.size()) {
      summed = got;
    } else if (got >= kStoredChecksumSize) {
      summed = got - kStoredChecksumSize;
    } else {
      // The stored checksum begins in the chunk before: sum nothing of this chunk.
      summed = 0;
      result.LayoutSound = false;
    }
    table.push_back(SaverChecksum(std::span(chunk).first(summed)));
  }
  result.Chunks = table.size();
  result.Computed = SaverChecksum(TableBytes(table));
  if (const auto stored = ReadStoredChecksum(file)) {
    result.Stored = *stored;
  } else {
    result.LayoutSound = false;
  }
  return result;
}

}  // namespace velquora
