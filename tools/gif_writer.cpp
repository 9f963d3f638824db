#include "gif_writer.h"

#include <algorithm>
#include <stdexcept>

namespace velquora {

namespace {

constexpr int kMaxCodes = 4096;

class BitPacker {
public:
  void Put(int code, int width) {
    bits_ |= static_cast<std::uint64_t>(code) << count_;
    count_ += width;
    while (count_ >= 8) {
      bytes_.push_back(static_cast<std::uint8_t>(bits_));
      bits_ >>= 8;
      count_ -= 8;
    }
  }
  std::vector<std::uint8_t> Finish() {
    if (count_ > 0) bytes_.push_back(static_cast<std::uint8_t>(bits_));
    count_ = 0;
    bits_ = 0;
    return std::move(bytes_);
  }

private:
  std::vector<std::uint8_t> bytes_;
  std::uint64_t bits_ = 0;
  int count_ = 0;
};

int BitLength(int value) {
  int bits = 0;
  while (value >> bits) ++bits;
  return bits;
}

}  // namespace

int GifTableBits(std::size_t colors) {
  int bits = 1;
  while ((std::size_t{1} << bits) < colors) ++bits;
  return bits;
}

std::vector<std::uint8_t> GifLzwEncode(std::span<const std::uint8_t> indices, int min_code_size,
                                       GifTableFull table_full) {
  const int clear = 1 << min_code_size;
  const int end = clear + 1;
  // (prefix code, next index) -> code; 0 means no entry.
  std::vector<std::uint16_t> table(std::size_t{kMaxCodes} * 256, 0);
  BitPacker out;
  int next = clear + 2;          // our next free code
  int decoder_next = clear + 2;  // the decoder's, one behind ours once a code has gone out
  bool codes_since_clear = false;
  bool clear_after_next_code = false;
  auto put = [&](int code) {
    out.Put(code, std::min(12, BitLength(decoder_next)));
    if (codes_since_clear && decoder_next < kMaxCodes) ++decoder_next;
    codes_since_clear = true;
  };
  auto put_clear = [&]() {
    out.Put(clear, std::min(12, BitLength(decoder_next)));
    std::fill(table.begin(), table.end(), std::uint16_t{0});
    next = decoder_next = clear + 2;
    codes_since_clear = false;
    clear_after_next_code = false;
  };
  out.Put(clear, min_code_size + 1);
  if (indices.empty()) {
    out.Put(end, min_code_size + 1);
    return out.Finish();
  }
  int prefix = indices[0];
  for (std::size_t i = 1; i < indices.size(); ++i) {
    const std::uint8_t value = indices[i];
    std::uint16_t& entry = table[std::size_t(prefix) * 256 + value];
    if (entry != 0) {
      prefix = entry;
      continue;
    }
    put(prefix);
    prefix = value;
    if (clear_after_next_code) {
      put_clear();
      continue;
    }
    entry = static_cast<std::uint16_t>(next++);
    if (next == kMaxCodes) {
      if (table_full == GifTableFull::ClearEarly) {
        put_clear();
      } else {
        clear_after_next_code = true;
      }
    }
  }
  put(prefix);
  put(end);
  return out.Finish();
}

std::vector<std::uint8_t> GifPackCodes(std::span<const std::pair<int, int>> codes) {
  BitPacker out;
  for (const auto& [code, width] : codes) out.Put(code, width);
  return out.Finish();
}

std::vector<int> GifInterlacedRowOrder(int height) {
  std::vector<int> order;
  const int starts[] = {0, 4, 2, 1};
  const int steps[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int row = starts[pass]; row < height; row += steps[pass]) order.push_back(row);
  return order;
}

GifWriter::GifWriter(int screen_width, int screen_height, std::vector<GifRgb> global_colors,
                     std::string_view signature) {
  bytes_.assign(signature.begin(), signature.end());
  Word(screen_width);
  Word(screen_height);
  const int packed = global_colors.empty() ? 0 : 0x80 | 0x70 | (GifTableBits(global_colors.size()) - 1);
  Byte(packed);
  Byte(0);  // background index
  Byte(0);  // aspect
  ColorTable(global_colors);
}

void GifWriter::Word(int value) {
  Byte(value & 0xFF);
  Byte((value >> 8) & 0xFF);
}

void GifWriter::ColorTable(const std::vector<GifRgb>& colors) {
  if (colors.empty()) return;
  const std::size_t size = std::size_t{1} << GifTableBits(colors.size());
  for (std::size_t i = 0; i < size; ++i) {
    const GifRgb rgb = i < colors.size() ? colors[i] : GifRgb{0, 0, 0};
    bytes_.insert(bytes_.end(), rgb.begin(), rgb.end());
  }
}

void GifWriter::SubBlocks(std::span<const std::uint8_t> data, bool terminate) {
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t length = std::min<std::size_t>(255, data.size() - at);
    Byte(static_cast<int>(length));
    bytes_.insert(bytes_.end(), data.begin() + at, data.begin() + at + length);
  }
  if (terminate) Byte(0);
}

GifWriter& GifWriter::GraphicControl(int disposal, int delay, int transparent_index) {
  Byte(0x21);
  Byte(0xF9);
  Byte(4);
  Byte((disposal << 2) | (transparent_index >= 0 ? 1 : 0));
  Word(delay);
  Byte(transparent_index >= 0 ? transparent_index : 0);
  Byte(0);
  return *this;
}

GifWriter& GifWriter::Comment(std::string_view text) {
  Byte(0x21);
  Byte(0xFE);
  SubBlocks(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), true);
  return *this;
}

GifWriter& GifWriter::Application(std::string_view identifier_and_code, std::span<const std::string> sub_blocks) {
  if (identifier_and_code.size() != 11) throw std::invalid_argument("application identifier needs 11 bytes");
  Byte(0x21);
  Byte(0xFF);
  Byte(11);
  bytes_.insert(bytes_.end(), identifier_and_code.begin(), identifier_and_code.end());
  for (const std::string& block : sub_blocks) {
    Byte(static_cast<int>(block.size()));
    bytes_.insert(bytes_.end(), block.begin(), block.end());
  }
  Byte(0);
  return *this;
}

void GifWriter::Descriptor(const GifImage& image) {
  Byte(0x2C);
  Word(image.Left);
  Word(image.Top);
  Word(image.Width);
  Word(image.Height);
  int packed = image.Interlaced ? 0x40 : 0;
  if (!image.LocalColors.empty()) packed |= 0x80 | (GifTableBits(image.LocalColors.size()) - 1);
  Byte(packed);
  ColorTable(image.LocalColors);
}

GifWriter& GifWriter::Image(const GifImage& image) {
  if (image.Indices.size() != std::size_t(image.Width) * std::size_t(image.Height))
    throw std::invalid_argument("image indices do not match its size");
  std::vector<std::uint8_t> stored;
  if (image.Interlaced) {
    for (int row : GifInterlacedRowOrder(image.Height)) {
      const auto from = image.Indices.begin() + std::ptrdiff_t(row) * image.Width;
      stored.insert(stored.end(), from, from + image.Width);
    }
  } else {
    stored = image.Indices;
  }
  int code_size = image.MinCodeSize;
  if (code_size == 0) {
    const std::size_t colors = image.LocalColors.empty() ? 256 : image.LocalColors.size();
    code_size = std::max(2, GifTableBits(colors));
    for (std::uint8_t value : stored)
      while (value >= (1 << code_size)) ++code_size;
  }
  return ImageWithData(image, code_size, GifLzwEncode(stored, code_size, image.TableFull));
}

GifWriter& GifWriter::ImageWithData(const GifImage& image, int code_size, std::span<const std::uint8_t> data,
                                    bool terminate) {
  Descriptor(image);
  Byte(code_size);
  SubBlocks(data, terminate);
  return *this;
}

GifWriter& GifWriter::Trailer() {
  Byte(0x3B);
  return *this;
}

GifWriter& GifWriter::Raw(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

}  // namespace velquora
