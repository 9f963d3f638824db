#pragma once
// Test-support writer of saver files: program bytes, the scene container at offset P,
// then P and the file's checksum in the last eight bytes. The checksum is computed here
// by its own rules, independently of the host's check: every 65000-byte chunk gets
// X = xor of its bytes and S = sum of byte * (k mod 256) (16 bits), the last, short chunk
// leaving out the four stored bytes, and the same sum over the chunk values (4 bytes
// each, little-endian) is the file's checksum.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace velquora {

struct SaverFileSpec {
  std::vector<std::uint8_t> Program = DefaultProgramBytes();  // what comes before the container
  std::optional<std::int32_t> Offset;      // stored P instead of the container's real offset
  std::optional<std::uint32_t> Checksum;   // stored checksum instead of the computed one
  // Lengths whose checksum cannot be stored consistently (a last chunk of 1 to 3 bytes,
  // or an exact multiple of 65000 without a self-consistent value) get zero bytes added
  // to the program until the file can carry a correct checksum.
  bool PadToCheckableLength = true;

  static std::vector<std::uint8_t> DefaultProgramBytes();
};

// The saver file around a container.
std::vector<std::uint8_t> WriteSaverFile(std::span<const std::uint8_t> container, const SaverFileSpec& design = {});

// The checksum that the file's chunks give, reading the file's own last four bytes as
// the stored ones; empty when the last chunk holds 1 to 3 bytes or the file is shorter
// than four bytes.
std::optional<std::uint32_t> ReferenceSaverFileChecksum(std::span<const std::uint8_t> file);

// A value C for the last four bytes of a file whose length is a multiple of 65000, so
// that the file's checksum, which then includes C itself, equals C. body is the file
// without those four bytes. Empty when no such value exists.
std::optional<std::uint32_t> SelfConsistentChecksum(std::span<const std::uint8_t> body);

// Damage for tests: flips every bit of one byte, or keeps only the first size bytes.
void DamageByte(std::vector<std::uint8_t>& file, std::size_t offset);
std::vector<std::uint8_t> Truncated(std::span<const std::uint8_t> file, std::size_t size);

// Writes the bytes to a file (created or replaced).
void WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace velquora
