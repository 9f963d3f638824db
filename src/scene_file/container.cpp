#include "scene_file/container.h"

#include <algorithm>
#include <array>
#include <memory>
#include <span>
#include <vector>

#include "core/exceptions.h"
#include "core/memory_stream.h"
#include "platform/win/message_box.h"
#include "playback/scene.h"
#include "scene_file/lzh_decoder.h"
#include "scene_file/read_version.h"
#include "scene_file/scene_reader.h"

namespace velquora {

namespace {
// A stored block and its decoded bytes, allocated once per load.
struct BlockBuffers {
  std::vector<std::uint8_t> stored = std::vector<std::uint8_t>(kContainerBlockBufferSize);
  std::vector<std::uint8_t> decoded = std::vector<std::uint8_t>(kContainerBlockBufferSize);
};

// At best a match of 60 bytes costs 10 bits (a 1-bit length code and a 9-bit position),
// so the compressor's blocks expand at most 48 times.
constexpr std::size_t kMaxBlockExpansion = 64;

// Skips the preview picture when the marker stands at the stream's position; otherwise
// leaves the position where it was. The marker's length byte is followed by exactly
// 19 bytes whatever it says, so a stream that ends within them fails the load.
// Reads the preview block's marker and length when the stream holds one there, leaving
// the stream at the picture's first byte; otherwise puts the stream back and gives
// nothing.
std::optional<std::int32_t> ReadPreviewHeader(TStream& stream) {
  const std::int64_t start = stream.Position();
  const std::uint8_t length = ReadByte(stream);
  std::array<char, kPreviewMarker.size()> text{};
  stream.ReadBuffer(text.data(), text.size());
  const std::string_view marker(text.data(), std::min<std::size_t>(length, text.size()));
  if (length == kPreviewMarker.size() && marker == kPreviewMarker) return ReadInt32(stream);
  stream.SetPosition(start);
  return std::nullopt;
}

void SkipPreviewBlock(TStream& stream) {
  if (const auto preview_length = ReadPreviewHeader(stream)) stream.Seek(*preview_length, SeekOrigin::Current);
}

void DecodeBlockInto(TStream& stream, std::int32_t stored_length, BlockBuffers& buffers, TMemoryStream& out) {
  if (stored_length < 0 || static_cast<std::size_t>(stored_length) > buffers.stored.size()) {
    throw EReadError("Compressed block does not fit the block buffer");
  }
  const auto stored = std::span(buffers.stored).first(static_cast<std::size_t>(stored_length));
  stream.ReadBuffer(stored.data(), stored.size());
  const std::size_t decoded = LzhDecodeBlock(stored, buffers.decoded);
  // The compressor cannot reach this ratio; a block that claims more is damaged, and
  // accepting it would let a small file grow the record stream without bound.
  if (decoded > stored.size() * kMaxBlockExpansion) throw EReadError("Compressed block expands too far");
  out.WriteBuffer(buffers.decoded.data(), decoded);
}

// Decodes every block of the list, in order, into one record stream.
std::unique_ptr<TMemoryStream> DecodeBlocks(TStream& stream, BlockBuffers& buffers) {
  auto records = std::make_unique<TMemoryStream>();
  const std::int32_t block_count = ReadInt32(stream);
  for (std::int32_t block = 0; block < block_count; ++block) {
    const std::int32_t stored_length = ReadInt32(stream);
    if (stored_length != 0) DecodeBlockInto(stream, stored_length, buffers, *records);
  }
  records->SetPosition(0);
  return records;
}

void ReportLoadFailure(WindowHandle owner) { ShowErrorBox("Cannot read data from file.", owner); }
}  // namespace

std::int32_t SignatureVersion(std::string_view signature) {
  std::int32_t version = 0;
  for (std::size_t i = 0; i < SceneSignatures.size(); ++i) {
    if (SceneSignatures[i] == signature) version = static_cast<std::int32_t>(i + 1);
  }
  return version;
}

std::optional<std::vector<std::uint8_t>> ReadPreviewPicture(TStream& stream) {
  ReadFlag(stream);
  ReadShortString(stream);
  const auto length = ReadPreviewHeader(stream);
  if (!length) return std::nullopt;
  // The length comes from the file: it must fit what the file still holds.
  if (*length < 0 || *length > stream.Remaining()) throw EReadError("Preview picture runs past the end");
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(*length));
  stream.ReadBuffer(picture.data(), picture.size());
  return picture;
}

void LoadSceneFromStream(TVelquoraScene& scene, TStream& stream, const SceneRecordsReader& read_records) {
  scene.LoadFailed = false;
  const SceneRecordsReader& read = read_records ? read_records : SceneRecordsReader(ReadSceneRecords);
  // ReadVersion goes back to the newest version however the load ends.
  ScopedReadVersion read_version(0);
  try {
    BlockBuffers buffers;
    const bool compressed = ReadFlag(stream);
    const AnsiString signature = ReadShortString(stream);
    SkipPreviewBlock(stream);

    SetReadVersion(SignatureVersion(signature));
    if (ReadVersion() != 0) scene.SignatureText = signature;
    scene.FileVersion = ReadVersion();
    if (scene.FileVersion == 0) throw EReadError("Old version is detected.");
    if (scene.FileVersion >= kFirstVersionWithCompressorParameters) {
      ReadInt32(stream);  // ring size and look-ahead of the compressor: neither used nor checked
      ReadInt32(stream);
    }

    if (compressed) {
      // Every version's blocks are decoded with the one LZH decoder.
      const std::unique_ptr<TMemoryStream> records = DecodeBlocks(stream, buffers);
      read(scene, *records);
    } else {
      read(scene, stream);
    }
    scene.Prepare();
  } catch (...) {
    ReportLoadFailure(scene.OwnerWindow);
    scene.LoadFailed = true;
  }
}

}  // namespace velquora
