#pragma once
// Pixel encoding helpers shared by the bitmap, the BMP reader and writer and the canvas:
// channel widening and narrowing, nearest-palette lookup with a cache, and whole rows
// converted to and from colours.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdi/bitmap.h"

namespace velquora::gdi {

// round(value * 255 / (2^bits - 1)) for a channel of 1..32 bits; 0 for 0 bits.
constexpr std::uint8_t ExpandChannel(std::uint32_t value, int bits) {
  if (bits <= 0) return 0;
  const std::uint64_t max = (std::uint64_t{1} << bits) - 1;
  return static_cast<std::uint8_t>((std::uint64_t{value} * 255 * 2 + max) / (2 * max));
}

// round(channel * (2^bits - 1) / 255): the inverse of ExpandChannel.
constexpr std::uint32_t NarrowChannel(std::uint8_t channel, int bits) {
  const std::uint64_t max = (std::uint64_t{1} << bits) - 1;
  return static_cast<std::uint32_t>((std::uint64_t{channel} * max * 2 + 255) / 510);
}

constexpr TColor Decode565(std::uint16_t value) {
  return RGB(ExpandChannel(value >> 11, 5), ExpandChannel((value >> 5) & 0x3F, 6),
             ExpandChannel(value & 0x1F, 5));
}
constexpr std::uint16_t Encode565(TColor color) {
  return static_cast<std::uint16_t>((NarrowChannel(GetRValue(color), 5) << 11) |
                                    (NarrowChannel(GetGValue(color), 6) << 5) |
                                    NarrowChannel(GetBValue(color), 5));
}

// Nearest palette entry for colours, remembering recent answers.
class PaletteMatcher {
public:
  explicit PaletteMatcher(std::span<const PaletteEntry> palette);
  int operator()(TColor color);

private:
  struct Slot {
    TColor Color = InvalidColor;
    int Index = 0;
  };
  std::vector<PaletteEntry> palette_;
  std::array<Slot, 4096> cache_{};
};

// The colour of palette index `index` (black beyond the table).
inline TColor PaletteColor(std::span<const PaletteEntry> palette, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < palette.size()
             ? ToColor(palette[static_cast<std::size_t>(index)])
             : RGB(0, 0, 0);
}

// Raw palette index at column x of a row of an indexed format.
inline int ReadIndex(const std::uint8_t* row, int x, PixelFormat format) {
  switch (format) {
    case PixelFormat::Bits1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case PixelFormat::Bits4: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default: return row[x];
  }
}

inline void WriteIndex(std::uint8_t* row, int x, PixelFormat format, int index) {
  switch (format) {
    case PixelFormat::Bits1: {
      const auto bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<std::uint8_t>((index & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
      break;
    }
    case PixelFormat::Bits4: {
      std::uint8_t& byte = row[x >> 1];
      const int nibble = index & 0x0F;
      byte = static_cast<std::uint8_t>((x & 1) ? ((byte & 0xF0) | nibble) : ((byte & 0x0F) | (nibble << 4)));
      break;
    }
    default: row[x] = static_cast<std::uint8_t>(index); break;
  }
}

// Colours of `count` pixels of bitmap row y starting at column x.
void DecodeRow(const TBitmap& bitmap, int y, int x, int count, TColor* out);
// Stores `count` colours into bitmap row y from column x. Indexed formats go through the
// matcher when one is given (it must be built on the bitmap's palette), otherwise through
// a plain nearest-entry search; other formats never use it.
void EncodeRow(TBitmap& bitmap, int y, int x, int count, const TColor* colours, PaletteMatcher* matcher = nullptr);

}  // namespace velquora::gdi
