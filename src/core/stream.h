#pragma once
// Byte streams: a readable, seekable source with short reads (Read) and exact reads
// (ReadBuffer, which raises EReadError), and the typed little-endian readers that the
// scene file uses. Files on disk live in the platform layer (TFileStream).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velquora {

enum class SeekOrigin { Beginning, Current, End };

class TStream {
public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Reads up to count bytes; returns how many were read (short at the end of the data).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes count bytes; returns how many were written.
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Moves the position; returns the new position. Raises EReadError when the result
  // would be negative.
  virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

  std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Beginning); }
  std::int64_t Size();
  // Bytes between the position and the end (0 when the position is past the end).
  std::int64_t Remaining();

  // Reads exactly count bytes or raises EReadError("Stream read error").
  void ReadBuffer(void* buffer, std::size_t count);
  // Writes exactly count bytes or raises EWriteError("Stream write error").
  void WriteBuffer(const void* buffer, std::size_t count);
  // Copies count bytes from source's position; count 0 copies the whole source from
  // its start. Returns the number of bytes copied; a short source raises EReadError.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// Exact little-endian readers; each raises EReadError when the stream runs short.
std::uint8_t ReadByte(TStream& stream);
bool ReadFlag(TStream& stream);  // a byte, true when non-zero
std::int16_t ReadInt16(TStream& stream);
std::uint16_t ReadUInt16(TStream& stream);
std::int32_t ReadInt32(TStream& stream);
std::uint32_t ReadUInt32(TStream& stream);
// A length byte followed by that many bytes of ANSI text (kept as bytes).
std::string ReadShortString(TStream& stream);
// count bytes, after checking that the stream holds that many: a hostile length
// fails before anything is allocated.
std::vector<std::uint8_t> ReadBytes(TStream& stream, std::int64_t count);

// Little-endian writers for the test-support writers and the BMP writer.
void WriteByte(TStream& stream, std::uint8_t value);
void WriteInt16(TStream& stream, std::int16_t value);
void WriteUInt16(TStream& stream, std::uint16_t value);
void WriteInt32(TStream& stream, std::int32_t value);
void WriteUInt32(TStream& stream, std::uint32_t value);
void WriteShortString(TStream& stream, const std::string& text);  // at most 255 bytes

}  // namespace velquora
