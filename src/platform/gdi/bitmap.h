#pragma once
// The system's bitmaps: device-independent pixel storage for 1, 4, 8, 16, 24 and 32 bits
// per pixel with an optional colour table, loading and saving of Windows bitmap files,
// and PNG output. Every picture of a scene lives in a TBitmap; drawing on one goes
// through a canvas (gdi/canvas.h).
//
// Pixel layout (rows top-down, each row padded to a multiple of 4 bytes, padding zero):
//   Bits1, Bits4, Bits8  palette indices, the leftmost pixel in the high bits of a byte
//   Bits16               5-6-5: blue in bits 0-4, green in bits 5-10, red in bits 11-15
//   Bits24               bytes B, G, R
//   Bits32               bytes B, G, R, X (the fourth byte is kept but never shown)
// A channel of n bits is expanded to 8 bits as round(v * 255 / (2^n - 1)) and narrowed
// back as round(c * (2^n - 1) / 255), so narrowing an expanded value gives it back.
// A palette index beyond the colour table shows black.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "core/exceptions.h"
#include "core/geometry.h"
#include "core/stream.h"
#include "platform/gdi/pixel_store.h"

namespace velquora {

enum class PixelFormat { Bits1, Bits4, Bits8, Bits16, Bits24, Bits32 };

int BitsPerPixel(PixelFormat format);
bool IsIndexed(PixelFormat format);  // Bits1, Bits4, Bits8

struct PaletteEntry {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;
  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

constexpr TColor ToColor(const PaletteEntry& entry) { return RGB(entry.Red, entry.Green, entry.Blue); }
constexpr PaletteEntry ToPaletteEntry(TColor color) {
  return PaletteEntry{GetRValue(color), GetGValue(color), GetBValue(color)};
}
// Index of the entry closest to color (squared RGB distance; the first of equals wins);
// 0 for an empty palette.
int NearestPaletteIndex(std::span<const PaletteEntry> palette, TColor color);

// The colour table a new bitmap of an indexed format gets: black and white for Bits1,
// the 16 standard VGA colours for Bits4, and for Bits8 256 distinct colours: those 16,
// the other 208 colours of the 6 x 6 x 6 cube (channels 0, 51, ... 255) and the greys
// 5, 13, ... 253.
std::vector<PaletteEntry> DefaultPalette(PixelFormat format);

// A picture that cannot be loaded (a malformed or unsupported bitmap file, a PNG that
// does not decode).
class EInvalidGraphic : public Exception {
public:
  using Exception::Exception;
};

// A bitmap larger than the limits below.
class EOutOfResources : public Exception {
public:
  using Exception::Exception;
};

// A bitmap is bounded by the memory its pixels take. The bound per side only keeps
// coordinates, byte offsets within a row and sums of the two far inside int; it lets
// every legal thin picture through (a GIF of 65535 x 1, say).
constexpr int MaxBitmapDimension = 1 << 20;                   // pixels, per side
constexpr std::int64_t MaxBitmapBytes = 256LL * 1024 * 1024;  // pixel storage of one bitmap

// GetPixel's answer for a point outside the bitmap.
constexpr TColor InvalidColor = 0xFFFFFFFF;

class TBitmap {
public:
  TBitmap() = default;  // empty: 0 x 0, Bits32
  // Raises EOutOfResources beyond the limits; a new bitmap is white.
  TBitmap(int width, int height, PixelFormat format = PixelFormat::Bits32);
  // A white Bits32 bitmap drawing in memory lent by its owner, which must hold rows of
  // 4 x width bytes (std::invalid_argument otherwise). Resizing, converting, assigning
  // or loading moves the pixels to memory of the bitmap's own; copies have their own.
  TBitmap(int width, int height, std::shared_ptr<PixelMemory> memory);

  int Width() const { return width_; }
  int Height() const { return height_; }
  PixelFormat Format() const { return format_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  Rect BoundsRect() const { return Rect{0, 0, width_, height_}; }

  // Resizes, keeping the pixels of the overlapping top-left area; new pixels are white
  // (the palette entry nearest to white in indexed formats). Negative sizes count as 0;
  // beyond the limits raises EOutOfResources and leaves the bitmap unchanged.
  void SetSize(int width, int height);
  // Converts the pixels to another format. To an indexed format each colour takes the
  // nearest entry of the bitmap's palette, which becomes DefaultPalette(format) first
  // when it is empty or longer than the format can index.
  void SetPixelFormat(PixelFormat format);

  // The colour table (at most 2^bits entries for indexed formats). Non-indexed bitmaps
  // may carry one too; it does not change their pixels.
  const std::vector<PaletteEntry>& Palette() const { return palette_; }
  // Replaces the colour table (cut to what the format can index); pixel indices stay,
  // so their colours change. Sets PaletteModified.
  void SetPalette(std::vector<PaletteEntry> palette);
  // Set whenever the colour table changes (SetPalette, loading, assigning, converting);
  // users clear it once they have taken the change into account.
  bool PaletteModified = false;

  // Drawn with every pixel of TransparentColor left out (see TCanvas::Draw).
  bool Transparent = false;
  TColor TransparentColor = 0;

  // Row y (0 = top) of Stride() bytes. Raises std::out_of_range outside 0 .. Height-1.
  std::uint8_t* ScanLine(int y);
  const std::uint8_t* ScanLine(int y) const;
  int Stride() const { return stride_; }
  std::span<const std::uint8_t> Bits() const { return pixels_; }
  // The memory lent to the bitmap, while it draws in it; nullptr otherwise.
  const PixelMemory* LentMemory() const { return pixels_.Lender(); }

  // The pixel's colour (after palette lookup); InvalidColor outside the bitmap.
  TColor GetPixel(int x, int y) const;
  // Outside the bitmap nothing happens; indexed formats store the nearest palette entry.
  void SetPixel(int x, int y, TColor color);
  // Raw palette index of an indexed bitmap's pixel (0 outside or for other formats).
  int GetIndex(int x, int y) const;
  void SetIndex(int x, int y, int index);

  // Makes this an exact copy of source: size, format, pixels, palette and transparency.
  void Assign(const TBitmap& source);

  // Reads one Windows bitmap file image (14-byte "BM" header and a DIB) from the stream's
  // position. Raises EInvalidGraphic for anything that cannot be loaded, leaving the
  // bitmap unchanged. The stream is left after the pixel data on success.
  // Accepted: headers of 12, 40, 52, 56, 108 and 124 bytes; 1, 4, 8, 24 bits uncompressed,
  // 8 and 4 bits run-length encoded (bottom-up only), 16 and 32 bits uncompressed or with
  // contiguous, non-overlapping colour masks (alpha is ignored); at most 256 colour table
  // entries are kept. The picture keeps its depth, except 16-bit layouts other than 5-6-5,
  // which become Bits24. Run-length data that is cut short or steps outside the picture
  // still loads: pixels it never reaches keep palette index 0.
  void LoadFromStream(TStream& stream);
  // Writes a bitmap file image: BI_RGB (Bits16 as BI_BITFIELDS 5-6-5), bottom-up, with
  // the colour table of indexed formats.
  void SaveToStream(TStream& stream) const;

  // Same size, format, pixels and palette (the marks and transparency are not compared).
  friend bool operator==(const TBitmap& a, const TBitmap& b);

private:
  void Reset(int width, int height, PixelFormat format, std::shared_ptr<PixelMemory> memory = nullptr);
  // A white bitmap with this one's palette (a default one when it cannot serve the
  // format), marks and transparency.
  TBitmap Blank(int width, int height, PixelFormat format) const;

  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::Bits32;
  int stride_ = 0;
  PixelStore pixels_;
  std::vector<PaletteEntry> palette_;
};

// Bytes of one row of a bitmap of that width and format, padded to 4 bytes.
std::int64_t RowStride(int width, PixelFormat format);

// PNG (8-bit RGB, no alpha) of the bitmap's colours. Raises EInvalidGraphic for an empty
// bitmap; SavePng raises EFOpenError when the file cannot be written.
std::vector<std::uint8_t> EncodePng(const TBitmap& bitmap);
void SavePng(const TBitmap& bitmap, const std::filesystem::path& path);
// Decodes a PNG into a Bits32 bitmap whose fourth bytes hold the alpha values.
// Raises EInvalidGraphic.
TBitmap DecodePng(std::span<const std::uint8_t> bytes);
TBitmap LoadPng(const std::filesystem::path& path);  // EFOpenError when unreadable

// zlib CRC-32 over the rows top to bottom, each pixel as the bytes R, G, B of its colour;
// 0 for an empty bitmap.
std::uint32_t PixelsCrc32(const TBitmap& bitmap);

}  // namespace velquora
