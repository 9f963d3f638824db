#include "platform/gdi/bitmap.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

#include <zlib.h>

#include "platform/gdi/pixel_codec.h"

namespace velquora {

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Bits1: return 1;
    case PixelFormat::Bits4: return 4;
    case PixelFormat::Bits8: return 8;
    case PixelFormat::Bits16: return 16;
    case PixelFormat::Bits24: return 24;
    case PixelFormat::Bits32: return 32;
  }
  return 32;
}

bool IsIndexed(PixelFormat format) { return BitsPerPixel(format) <= 8; }

namespace {

std::size_t MaxPaletteSize(PixelFormat format) {
  return IsIndexed(format) ? std::size_t{1} << BitsPerPixel(format) : 256;
}

int SquaredDistance(const PaletteEntry& entry, TColor color) {
  const int dr = entry.Red - GetRValue(color);
  const int dg = entry.Green - GetGValue(color);
  const int db = entry.Blue - GetBValue(color);
  return dr * dr + dg * dg + db * db;
}

constexpr TColor White = RGB(255, 255, 255);

}  // namespace

int NearestPaletteIndex(std::span<const PaletteEntry> palette, TColor color) {
  int best = 0;
  int bestDistance = 0;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const int distance = SquaredDistance(palette[i], color);
    if (i == 0 || distance < bestDistance) {
      best = static_cast<int>(i);
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return best;
}

std::vector<PaletteEntry> DefaultPalette(PixelFormat format) {
  static constexpr PaletteEntry Vga[16] = {
      {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
      {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
      {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  switch (format) {
    case PixelFormat::Bits1: return {{0, 0, 0}, {255, 255, 255}};
    case PixelFormat::Bits4: return {std::begin(Vga), std::end(Vga)};
    case PixelFormat::Bits8: {
      std::vector<PaletteEntry> palette(std::begin(Vga), std::end(Vga));
      for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
          for (int b = 0; b < 6; ++b) {
            const PaletteEntry entry{static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                                     static_cast<std::uint8_t>(b * 51)};
            if (std::find(std::begin(Vga), std::end(Vga), entry) == std::end(Vga)) palette.push_back(entry);
          }
      for (int i = 0; i < 32; ++i) {
        const auto level = static_cast<std::uint8_t>(5 + i * 8);
        palette.push_back({level, level, level});
      }
      return palette;
    }
    default: return {};
  }
}

std::int64_t RowStride(int width, PixelFormat format) {
  return (std::int64_t{width} * BitsPerPixel(format) + 31) / 32 * 4;
}

namespace gdi {

PaletteMatcher::PaletteMatcher(std::span<const PaletteEntry> palette)
    : palette_(palette.begin(), palette.end()) {}

int PaletteMatcher::operator()(TColor color) {
  color &= 0xFFFFFF;
  Slot& slot = cache_[(color ^ (color >> 12) ^ (color >> 20)) & 0xFFF];
  if (slot.Color != color) {
    slot.Color = color;
    slot.Index = NearestPaletteIndex(palette_, color);
  }
  return slot.Index;
}

void DecodeRow(const TBitmap& bitmap, int y, int x, int count, TColor* out) {
  const std::uint8_t* row = bitmap.ScanLine(y);
  const PixelFormat format = bitmap.Format();
  switch (format) {
    case PixelFormat::Bits32:
      for (int i = 0; i < count; ++i) {
        const std::uint8_t* p = row + 4 * (x + i);
        out[i] = RGB(p[2], p[1], p[0]);
      }
      break;
    case PixelFormat::Bits24:
      for (int i = 0; i < count; ++i) {
        const std::uint8_t* p = row + 3 * (x + i);
        out[i] = RGB(p[2], p[1], p[0]);
      }
      break;
    case PixelFormat::Bits16:
      for (int i = 0; i < count; ++i) {
        const std::uint8_t* p = row + 2 * (x + i);
        out[i] = Decode565(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
      }
      break;
    default: {
      const auto& palette = bitmap.Palette();
      for (int i = 0; i < count; ++i) out[i] = PaletteColor(palette, ReadIndex(row, x + i, format));
      break;
    }
  }
}

void EncodeRow(TBitmap& bitmap, int y, int x, int count, const TColor* colours, PaletteMatcher* matcher) {
  std::uint8_t* row = bitmap.ScanLine(y);
  const PixelFormat format = bitmap.Format();
  switch (format) {
    case PixelFormat::Bits32:
      for (int i = 0; i < count; ++i) {
        std::uint8_t* p = row + 4 * (x + i);
        p[0] = GetBValue(colours[i]);
        p[1] = GetGValue(colours[i]);
        p[2] = GetRValue(colours[i]);
        p[3] = 0;
      }
      break;
    case PixelFormat::Bits24:
      for (int i = 0; i < count; ++i) {
        std::uint8_t* p = row + 3 * (x + i);
        p[0] = GetBValue(colours[i]);
        p[1] = GetGValue(colours[i]);
        p[2] = GetRValue(colours[i]);
      }
      break;
    case PixelFormat::Bits16:
      for (int i = 0; i < count; ++i) {
        const std::uint16_t value = Encode565(colours[i]);
        row[2 * (x + i)] = static_cast<std::uint8_t>(value);
        row[2 * (x + i) + 1] = static_cast<std::uint8_t>(value >> 8);
      }
      break;
    default:
      for (int i = 0; i < count; ++i) {
        const int index = matcher ? (*matcher)(colours[i]) : NearestPaletteIndex(bitmap.Palette(), colours[i]);
        WriteIndex(row, x + i, format, index);
      }
      break;
  }
}

}  // namespace gdi

TBitmap::TBitmap(int width, int height, PixelFormat format) {
  if (IsIndexed(format)) palette_ = DefaultPalette(format);
  Reset(width, height, format);
}

TBitmap::TBitmap(int width, int height, std::shared_ptr<PixelMemory> memory) {
  Reset(width, height, PixelFormat::Bits32, std::move(memory));
}

// Allocates white pixels of the given size and format (in the memory given, if any),
// keeping the palette.
void TBitmap::Reset(int width, int height, PixelFormat format, std::shared_ptr<PixelMemory> memory) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width > MaxBitmapDimension || height > MaxBitmapDimension)
    throw EOutOfResources("Bitmap of " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels is too large");
  const std::int64_t stride = RowStride(width, format);
  if (stride * height > MaxBitmapBytes)
    throw EOutOfResources("Bitmap of " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels needs too much memory");
  const auto bytes = static_cast<std::size_t>(stride * height);
  PixelStore pixels = memory ? PixelStore(std::move(memory), bytes) : PixelStore(bytes);
  width_ = width;
  height_ = height;
  format_ = format;
  stride_ = static_cast<int>(stride);
  pixels_ = std::move(pixels);
  if (Empty()) return;
  std::vector<TColor> whiteRow(static_cast<std::size_t>(width_), White);
  std::optional<gdi::PaletteMatcher> matcher;
  if (IsIndexed(format_)) matcher.emplace(palette_);
  gdi::EncodeRow(*this, 0, 0, width_, whiteRow.data(), matcher ? &*matcher : nullptr);
  for (int y = 1; y < height_; ++y) std::memcpy(ScanLine(y), ScanLine(0), static_cast<std::size_t>(stride_));
}

TBitmap TBitmap::Blank(int width, int height, PixelFormat format) const {
  TBitmap blank;
  blank.palette_ = palette_;
  if (IsIndexed(format) && (palette_.empty() || palette_.size() > MaxPaletteSize(format)))
    blank.palette_ = DefaultPalette(format);
  blank.PaletteModified = PaletteModified || blank.palette_ != palette_;
  blank.Transparent = Transparent;
  blank.TransparentColor = TransparentColor;
  blank.Reset(width, height, format);
  return blank;
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  TBitmap resized = Blank(width, height, format_);
  const int commonWidth = std::min(width_, width);
  const int commonHeight = std::min(height_, height);
  for (int y = 0; y < commonHeight; ++y) {
    if (IsIndexed(format_)) {
      for (int x = 0; x < commonWidth; ++x)
        gdi::WriteIndex(resized.ScanLine(y), x, format_, gdi::ReadIndex(ScanLine(y), x, format_));
    } else {
      std::memcpy(resized.ScanLine(y), ScanLine(y),
                  static_cast<std::size_t>(commonWidth) * BitsPerPixel(format_) / 8);
    }
  }
  *this = std::move(resized);
}

void TBitmap::SetPixelFormat(PixelFormat format) {
  if (format == format_) return;
  TBitmap converted = Blank(width_, height_, format);
  std::optional<gdi::PaletteMatcher> matcher;
  if (IsIndexed(format)) matcher.emplace(converted.palette_);
  std::vector<TColor> row(static_cast<std::size_t>(width_));
  for (int y = 0; y < height_; ++y) {
    gdi::DecodeRow(*this, y, 0, width_, row.data());
    gdi::EncodeRow(converted, y, 0, width_, row.data(), matcher ? &*matcher : nullptr);
  }
  *this = std::move(converted);
}

void TBitmap::SetPalette(std::vector<PaletteEntry> palette) {
  if (palette.size() > MaxPaletteSize(format_)) palette.resize(MaxPaletteSize(format_));
  palette_ = std::move(palette);
  PaletteModified = true;
}

std::uint8_t* TBitmap::ScanLine(int y) {
  if (y < 0 || y >= height_) throw std::out_of_range("Scan line index out of range");
  return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_);
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
  if (y < 0 || y >= height_) throw std::out_of_range("Scan line index out of range");
  return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_);
}

TColor TBitmap::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return InvalidColor;
  TColor color = 0;
  gdi::DecodeRow(*this, y, x, 1, &color);
  return color;
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  color &= 0xFFFFFF;
  if (IsIndexed(format_)) {
    gdi::WriteIndex(ScanLine(y), x, format_, NearestPaletteIndex(palette_, color));
    return;
  }
  gdi::EncodeRow(*this, y, x, 1, &color);
}

int TBitmap::GetIndex(int x, int y) const {
  if (!IsIndexed(format_) || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return gdi::ReadIndex(ScanLine(y), x, format_);
}

void TBitmap::SetIndex(int x, int y, int index) {
  if (!IsIndexed(format_) || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  gdi::WriteIndex(ScanLine(y), x, format_, index & ((1 << BitsPerPixel(format_)) - 1));
}

void TBitmap::Assign(const TBitmap& source) {
  if (&source == this) return;
  const bool paletteChanged = source.palette_ != palette_;
  width_ = source.width_;
  height_ = source.height_;
  format_ = source.format_;
  stride_ = source.stride_;
  pixels_ = source.pixels_;
  palette_ = source.palette_;
  Transparent = source.Transparent;
  TransparentColor = source.TransparentColor;
  if (paletteChanged) PaletteModified = true;
}

bool operator==(const TBitmap& a, const TBitmap& b) {
  return a.width_ == b.width_ && a.height_ == b.height_ && a.format_ == b.format_ &&
         a.palette_ == b.palette_ && a.pixels_ == b.pixels_;
}

std::uint32_t PixelsCrc32(const TBitmap& bitmap) {
  if (bitmap.Empty()) return 0;
  uLong crc = crc32(0L, Z_NULL, 0);
  std::vector<TColor> colours(static_cast<std::size_t>(bitmap.Width()));
  std::vector<Bytef> bytes(colours.size() * 3);
  for (int y = 0; y < bitmap.Height(); ++y) {
    gdi::DecodeRow(bitmap, y, 0, bitmap.Width(), colours.data());
    for (std::size_t x = 0; x < colours.size(); ++x) {
      bytes[3 * x] = GetRValue(colours[x]);
      bytes[3 * x + 1] = GetGValue(colours[x]);
      bytes[3 * x + 2] = GetBValue(colours[x]);
    }
    crc = crc32(crc, bytes.data(), static_cast<uInt>(bytes.size()));
  }
  return static_cast<std::uint32_t>(crc);
}

}  // namespace velquora
