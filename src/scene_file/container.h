#pragma once
// The scene container around the record stream: a compressed flag, a signature that
// fixes the format version, an optional preview picture, the compressor's parameters,
// and the record stream itself or the record stream cut into LZH blocks.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace velquora {

class TStream;
class TVelquoraScene;

// Reads the record stream into the scene; raises on any failure.
using SceneRecordsReader = std::function<void(TVelquoraScene& scene, TStream& records)>;

// Reads the scene container from the stream's position and fills the scene through
// read_records (the scene record reader unless a test gives another); never throws: a
// failure is reported once and recorded in the scene's LoadFailed.
void LoadSceneFromStream(TVelquoraScene& scene, TStream& stream, const SceneRecordsReader& read_records = {});

// The bytes of the container's preview picture (a JPEG file) when it has one, read from
// the container's first byte; nothing when it has none. Raises when the stream ends
// before the picture does.
std::optional<std::vector<std::uint8_t>> ReadPreviewPicture(TStream& stream);

// The signatures in version order: a file's version index is the 1-based position of
// its signature here. "v.3.10" stands before "v.3.1".
inline constexpr std::array<std::string_view, 16> SceneSignatures = {
    "Velquora Scene v.1.10", "Velquora Scene v.1.20", "Velquora Scene v.1.21", "Velquora Scene v.1.30",
    "Velquora Scene v.1.31", "Velquora Scene v.1.42", "Velquora Scene v.2.2",  "Velquora Scene v.2.21",
    "Velquora Scene v.3.10", "Velquora Scene v.3.1",  "Velquora Scene v.3.11", "Velquora Scene v.3.12",
    "Velquora Scene v.5.0",  "Velquora Scene v.5.1",  "Velquora Scene v.5.11", "Velquora Scene v.5.2",
};

// The version index of a signature compared byte for byte; 0 when none matches.
std::int32_t SignatureVersion(std::string_view signature);

// The text that introduces the optional preview picture.
inline constexpr std::string_view kPreviewMarker = "Preview JPEG Image.";

// From this version on the container stores the compressor's two parameters.
inline constexpr std::int32_t kFirstVersionWithCompressorParameters = 5;

// Size of each of the two working buffers: a stored block and its decoded bytes. A
// block that does not fit fails the load.
inline constexpr std::size_t kContainerBlockBufferSize = 130000;

}  // namespace velquora
