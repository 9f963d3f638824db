#include "saver_writer.h"

#include <fstream>
#include <stdexcept>
#include <string>

namespace velquora {

namespace {
constexpr std::size_t kChunk = 65000;

struct PartialSum {
  std::uint32_t sum = 0;  // reduced to 16 bits at the end
  std::uint8_t parity = 0;
  std::size_t count = 0;

  void Add(std::uint8_t byte) {
    ++count;
    parity = static_cast<std::uint8_t>(parity ^ byte);
    sum += std::uint32_t{byte} * static_cast<std::uint32_t>(count % 256);
  }
  std::uint32_t Value() const { return (std::uint32_t{parity} << 16) | (sum & 0xFFFF); }
};

std::uint32_t ChunkValue(std::span<const std::uint8_t> bytes) {
  PartialSum partial;
  for (const std::uint8_t byte : bytes) partial.Add(byte);
  return partial.Value();
}

std::uint32_t TotalOf(const std::vector<std::uint32_t>& values) {
  PartialSum partial;
  for (const std::uint32_t value : values) {
    for (int i = 0; i < 4; ++i) partial.Add(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  return partial.Value();
}

void AppendLittleEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> Assemble(std::span<const std::uint8_t> program, std::span<const std::uint8_t> container,
                                   const SaverFileSpec& design) {
  std::vector<std::uint8_t> body(program.begin(), program.end());
  body.insert(body.end(), container.begin(), container.end());
  AppendLittleEndian(body, static_cast<std::uint32_t>(design.Offset.value_or(static_cast<std::int32_t>(program.size()))));
  return body;
}

// The correct stored checksum for a file made of body and four more bytes.
std::optional<std::uint32_t> ChecksumFor(std::span<const std::uint8_t> body) {
  const std::size_t last_chunk = (body.size() + 4) % kChunk;
  if (last_chunk == 0) return SelfConsistentChecksum(body);
  if (last_chunk < 4) return std::nullopt;
  std::vector<std::uint8_t> file(body.begin(), body.end());
  AppendLittleEndian(file, 0);  // not summed: they lie in the short last chunk
  return ReferenceSaverFileChecksum(file);
}
}  // namespace

std::vector<std::uint8_t> SaverFileSpec::DefaultProgramBytes() {
  const std::string text = "MZ saver program stand-in";
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::optional<std::uint32_t> ReferenceSaverFileChecksum(std::span<const std::uint8_t> file) {
  if (file.size() < 4) return std::nullopt;
  std::vector<std::uint32_t> values;
  for (std::size_t start = 0; start < file.size(); start += kChunk) {
    const std::size_t size = std::min(kChunk, file.size() - start);
    if (size == kChunk) {
      values.push_back(ChunkValue(file.subspan(start, size)));
    } else if (size >= 4) {
      values.push_back(ChunkValue(file.subspan(start, size - 4)));
    } else {
      return std::nullopt;
    }
  }
  return TotalOf(values);
}

std::optional<std::uint32_t> SelfConsistentChecksum(std::span<const std::uint8_t> body) {
  if ((body.size() + 4) % kChunk != 0) return std::nullopt;
  // Every chunk but the last is fixed; the last one ends with the four stored bytes.
  std::vector<std::uint32_t> values;
  const std::size_t last_start = body.size() + 4 - kChunk;
  for (std::size_t start = 0; start < last_start; start += kChunk) values.push_back(ChunkValue(body.subspan(start, kChunk)));
  PartialSum last_prefix;
  for (const std::uint8_t byte : body.subspan(last_start)) last_prefix.Add(byte);
  PartialSum total_prefix;
  for (const std::uint32_t value : values) {
    for (int i = 0; i < 4; ++i) total_prefix.Add(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  // The top byte of any checksum is 0, so only three bytes are free.
  for (std::uint32_t candidate = 0; candidate < (1U << 24); ++candidate) {
    PartialSum last = last_prefix;
    for (int i = 0; i < 4; ++i) last.Add(static_cast<std::uint8_t>(candidate >> (8 * i)));
    PartialSum total = total_prefix;
    for (int i = 0; i < 4; ++i) total.Add(static_cast<std::uint8_t>(last.Value() >> (8 * i)));
    if (total.Value() == candidate) return candidate;
  }
  return std::nullopt;
}

std::vector<std::uint8_t> WriteSaverFile(std::span<const std::uint8_t> container, const SaverFileSpec& design) {
  std::vector<std::uint8_t> program = design.Program;
  std::vector<std::uint8_t> body = Assemble(program, container, design);
  std::optional<std::uint32_t> checksum = design.Checksum ? design.Checksum : ChecksumFor(body);
  while (!checksum && design.PadToCheckableLength) {
    program.push_back(0);
    body = Assemble(program, container, design);
    checksum = ChecksumFor(body);
  }
  if (!checksum) throw std::runtime_error("No consistent checksum for a saver file of this length");
  AppendLittleEndian(body, *checksum);
  return body;
}

void DamageByte(std::vector<std::uint8_t>& file, std::size_t offset) { file.at(offset) ^= 0xFF; }

std::vector<std::uint8_t> Truncated(std::span<const std::uint8_t> file, std::size_t size) {
  const auto kept = file.first(std::min(size, file.size()));
  return std::vector<std::uint8_t>(kept.begin(), kept.end());
}

void WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("Cannot write " + path.string());
}

}  // namespace velquora
