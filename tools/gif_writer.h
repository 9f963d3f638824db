#pragma once
// Test support: writes GIF files block by block so that tests, benchmarks and fuzz seeds can
// build exactly the pictures they need (corner cases included) without binary blobs.
// Never linked into the program.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velquora {

using GifRgb = std::array<std::uint8_t, 3>;

// What the encoder does when its table of 4096 codes is full: send a clear code at once, or let
// the decoder's table fill up completely and send the clear code after one more code.
enum class GifTableFull { ClearEarly, FillTable };

// LZW-encodes palette indices (each below 2^min_code_size) into the packed code stream of a GIF
// image, starting with a clear code and ending with the end code.
std::vector<std::uint8_t> GifLzwEncode(std::span<const std::uint8_t> indices, int min_code_size,
                                       GifTableFull table_full = GifTableFull::ClearEarly);

// Packs (code, width in bits) pairs least significant bit first, for hand-made code streams.
std::vector<std::uint8_t> GifPackCodes(std::span<const std::pair<int, int>> codes);

// The rows of an interlaced image in the order they are stored: 0, 8, 16, ..., 4, 12, ...,
// 2, 6, ..., 1, 3, ...
std::vector<int> GifInterlacedRowOrder(int height);

struct GifImage {
  GifImage() = default;
  GifImage(int left, int top, int width, int height, std::vector<std::uint8_t> indices = {})
      : Left(left), Top(top), Width(width), Height(height), Indices(std::move(indices)) {}

  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Indices;  // Width x Height, top row first
  std::vector<GifRgb> LocalColors;    // a local table when not empty (2, 4, ... 256 entries)
  bool Interlaced = false;
  int MinCodeSize = 0;                // 0: the bits of the table, at least 2
  GifTableFull TableFull = GifTableFull::ClearEarly;
};

class GifWriter {
public:
  // Header ("GIF89a" unless told) and logical screen; no global table when colors is empty.
  explicit GifWriter(int screen_width, int screen_height, std::vector<GifRgb> global_colors = {},
                     std::string_view signature = "GIF89a");

  // Disposal method 0-3, delay in hundredths of a second, transparent index or -1.
  GifWriter& GraphicControl(int disposal, int delay, int transparent_index = -1);
  GifWriter& Comment(std::string_view text);
  // An application extension: 8-byte identifier, 3-byte code, then data sub-blocks.
  GifWriter& Application(std::string_view identifier_and_code, std::span<const std::string> sub_blocks);
  // Encodes the image's indices (rows stored in interlace order when Interlaced).
  GifWriter& Image(const GifImage& image);
  // An image descriptor and local table from image, then the code size byte and data as given
  // (split into sub-blocks; no terminator when terminate is false).
  GifWriter& ImageWithData(const GifImage& image, int code_size, std::span<const std::uint8_t> data,
                           bool terminate = true);
  GifWriter& Trailer();
  GifWriter& Raw(std::span<const std::uint8_t> bytes);

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
  void Byte(int value) { bytes_.push_back(static_cast<std::uint8_t>(value)); }
  void Word(int value);
  void ColorTable(const std::vector<GifRgb>& colors);
  void SubBlocks(std::span<const std::uint8_t> data, bool terminate);
  void Descriptor(const GifImage& image);

  std::vector<std::uint8_t> bytes_;
};

// Bits of a table of that many colours (2 -> 1, 4 -> 2, ... 256 -> 8).
int GifTableBits(std::size_t colors);

}  // namespace velquora
