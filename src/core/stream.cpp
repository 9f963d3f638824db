#include "core/stream.h"

#include <algorithm>
#include <array>

#include "core/exceptions.h"

namespace velquora {

std::int64_t TStream::Size() {
  const std::int64_t here = Position();
  const std::int64_t end = Seek(0, SeekOrigin::End);
  Seek(here, SeekOrigin::Beginning);
  return end;
}

std::int64_t TStream::Remaining() {
  return std::max<std::int64_t>(0, Size() - Position());
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::array<std::uint8_t, 61440> chunk{};
  std::int64_t left = count;
  while (left > 0) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, chunk.size()));
    source.ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    left -= static_cast<std::int64_t>(n);
  }
  return count;
}

namespace {
template <typename T>
T ReadLittleEndian(TStream& stream) {
  std::array<std::uint8_t, sizeof(T)> bytes{};
  stream.ReadBuffer(bytes.data(), bytes.size());
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value |= std::uint64_t{bytes[i]} << (8 * i);
  return static_cast<T>(value);
}

template <typename T>
void WriteLittleEndian(TStream& stream, T value) {
  std::array<std::uint8_t, sizeof(T)> bytes{};
  const auto bits = static_cast<std::uint64_t>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  stream.WriteBuffer(bytes.data(), bytes.size());
}
}  // namespace

std::uint8_t ReadByte(TStream& stream) { return ReadLittleEndian<std::uint8_t>(stream); }
bool ReadFlag(TStream& stream) { return ReadByte(stream) != 0; }
std::int16_t ReadInt16(TStream& stream) { return ReadLittleEndian<std::int16_t>(stream); }
std::uint16_t ReadUInt16(TStream& stream) { return ReadLittleEndian<std::uint16_t>(stream); }
std::int32_t ReadInt32(TStream& stream) { return ReadLittleEndian<std::int32_t>(stream); }
std::uint32_t ReadUInt32(TStream& stream) { return ReadLittleEndian<std::uint32_t>(stream); }

std::string ReadShortString(TStream& stream) {
  const std::uint8_t length = ReadByte(stream);
  std::string text(length, '\0');
  stream.ReadBuffer(text.data(), length);
  return text;
}

std::vector<std::uint8_t> ReadBytes(TStream& stream, std::int64_t count) {
  if (count < 0 || count > stream.Remaining()) throw EReadError("Stream read error");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
  stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

void WriteByte(TStream& stream, std::uint8_t value) { WriteLittleEndian(stream, value); }
void WriteInt16(TStream& stream, std::int16_t value) { WriteLittleEndian(stream, value); }
void WriteUInt16(TStream& stream, std::uint16_t value) { WriteLittleEndian(stream, value); }
void WriteInt32(TStream& stream, std::int32_t value) { WriteLittleEndian(stream, value); }
void WriteUInt32(TStream& stream, std::uint32_t value) { WriteLittleEndian(stream, value); }

void WriteShortString(TStream& stream, const std::string& text) {
  if (text.size() > 255) throw EWriteError("Short string longer than 255 bytes");
  WriteByte(stream, static_cast<std::uint8_t>(text.size()));
  stream.WriteBuffer(text.data(), text.size());
}

}  // namespace velquora
