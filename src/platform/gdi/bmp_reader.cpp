// Loading of Windows bitmap files: the 14-byte file header, then a DIB with a core (12),
// info (40), extended info (52, 56), V4 (108) or V5 (124) header, an optional colour table
// and the pixels, uncompressed, RLE8, RLE4 or with bit-field masks.
#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/bmp_format.h"
#include "platform/gdi/pixel_codec.h"

namespace velquora {

namespace {

[[noreturn]] void Invalid(const std::string& why) { throw EInvalidGraphic("Invalid bitmap: " + why); }

struct DibHeader {
  std::uint32_t Size = 0;
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // negative: rows stored top-down
  std::uint16_t Planes = 0;
  std::uint16_t BitCount = 0;
  std::uint32_t Compression = bmp::BI_RGB;
  std::uint32_t SizeImage = 0;
  std::uint32_t ColorsUsed = 0;
  std::uint32_t Masks[3] = {0, 0, 0};  // red, green, blue
  bool HasMasks = false;
  bool IsCore() const { return Size == bmp::CoreHeaderSize; }
};

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void ReadExact(TStream& stream, void* buffer, std::size_t count) {
  if (stream.Read(buffer, count) != count) Invalid("the data ends early");
}

DibHeader ReadDibHeader(TStream& stream) {
  std::uint8_t sizeBytes[4];
  ReadExact(stream, sizeBytes, 4);
  DibHeader header;
  header.Size = Le32(sizeBytes);
  const auto& accepted = bmp::AcceptedHeaderSizes;
  if (std::find(accepted.begin(), accepted.end(), header.Size) == accepted.end())
    Invalid("unsupported header size " + std::to_string(header.Size));
  std::uint8_t bytes[bmp::V5HeaderSize] = {};
  ReadExact(stream, bytes + 4, header.Size - 4);
  if (header.IsCore()) {
    header.Width = Le16(bytes + 4);
    header.Height = Le16(bytes + 6);
    header.Planes = Le16(bytes + 8);
    header.BitCount = Le16(bytes + 10);
    return header;
  }
  header.Width = static_cast<std::int32_t>(Le32(bytes + 4));
  header.Height = static_cast<std::int32_t>(Le32(bytes + 8));
  header.Planes = Le16(bytes + 12);
  header.BitCount = Le16(bytes + 14);
  header.Compression = Le32(bytes + 16);
  header.SizeImage = Le32(bytes + 20);
  header.ColorsUsed = Le32(bytes + 32);
  if (header.Size >= bmp::InfoHeaderSize + 12) {
    for (int i = 0; i < 3; ++i) header.Masks[i] = Le32(bytes + 40 + 4 * i);
    header.HasMasks = true;
  }
  return header;
}

bool IsContiguous(std::uint32_t mask) {
  if (mask == 0) return true;
  const std::uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

void Validate(const DibHeader& header) {
  if (header.Planes != 1) Invalid("planes must be 1");
  const int bits = header.BitCount;
  const bool knownDepth = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (!knownDepth || (header.IsCore() && bits > 24))
    Invalid("unsupported bit depth " + std::to_string(bits));
  if (header.Width <= 0 || header.Height == 0) Invalid("width and height must not be zero or negative");
  if (header.Width > MaxBitmapDimension || header.Height > MaxBitmapDimension ||
      header.Height < -MaxBitmapDimension)
    Invalid("the picture is too large");
  const std::int64_t height = header.Height < 0 ? -header.Height : header.Height;
  if (RowStride(static_cast<int>(header.Width), PixelFormat::Bits32) * height > MaxBitmapBytes)
    Invalid("the picture is too large");
  switch (header.Compression) {
    case bmp::BI_RGB: break;
    case bmp::BI_RLE8:
    case bmp::BI_RLE4:
      if (bits != (header.Compression == bmp::BI_RLE8 ? 8 : 4)) Invalid("compression does not fit the bit depth");
      if (header.Height < 0) Invalid("compressed pictures cannot be stored top-down");
      break;
    case bmp::BI_BITFIELDS:
      if (bits != 16 && bits != 32) Invalid("bit-field masks need 16 or 32 bits per pixel");
      break;
    default: Invalid("unsupported compression " + std::to_string(header.Compression));
  }
}

void ValidateMasks(const std::uint32_t (&masks)[3], int bits) {
  const std::uint32_t limit = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  if ((masks[0] | masks[1] | masks[2]) == 0) Invalid("all colour masks are empty");
  for (int i = 0; i < 3; ++i) {
    if (!IsContiguous(masks[i]) || (masks[i] & ~limit) != 0) Invalid("invalid colour mask");
    for (int j = i + 1; j < 3; ++j)
      if (masks[i] & masks[j]) Invalid("colour masks overlap");
  }
}

// One channel of a bit-field layout: where it sits and how wide it is.
struct Channel {
  int Shift = 0;
  int Bits = 0;
  explicit Channel(std::uint32_t mask)
      : Shift(mask ? std::countr_zero(mask) : 0), Bits(std::popcount(mask)) {}
  std::uint8_t Extract(std::uint32_t value) const {
    if (Bits == 0) return 0;
    const std::uint32_t field = (value >> Shift) & (Bits == 32 ? 0xFFFFFFFFu : (1u << Bits) - 1);
    return gdi::ExpandChannel(field, Bits);
  }
};

// Bytes of one row as the file stores it.
std::int64_t StoredStride(const DibHeader& header) { return (header.Width * header.BitCount + 31) / 32 * 4; }

// The format a picture is kept in once loaded.
PixelFormat TargetFormat(int bits, const std::uint32_t (&masks)[3]) {
  switch (bits) {
    case 1: return PixelFormat::Bits1;
    case 4: return PixelFormat::Bits4;
    case 8: return PixelFormat::Bits8;
    case 16:
      return std::equal(masks, masks + 3, bmp::Masks565) ? PixelFormat::Bits16 : PixelFormat::Bits24;
    case 24: return PixelFormat::Bits24;
    default: return PixelFormat::Bits32;
  }
}

// Converts one stored row of the file into the target's row.
void ConvertRow(const std::uint8_t* source, std::uint8_t* target, int width, int bits,
                const std::uint32_t (&masks)[3], PixelFormat format, std::size_t rowBytes) {
  const bool directCopy = bits <= 8 || bits == 24 || format == PixelFormat::Bits16 ||
                          (bits == 32 && std::equal(masks, masks + 3, bmp::Masks888));
  if (directCopy) {
    std::memcpy(target, source, rowBytes);
    return;
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  const int outBytes = format == PixelFormat::Bits32 ? 4 : 3;
  for (int x = 0; x < width; ++x) {
    const std::uint32_t value = bits == 16 ? Le16(source + 2 * x) : Le32(source + 4 * x);
    std::uint8_t* p = target + outBytes * x;
    p[0] = blue.Extract(value);
    p[1] = green.Extract(value);
    p[2] = red.Extract(value);
    if (outBytes == 4) p[3] = 0;
  }
}

void ReadUncompressed(TStream& stream, const DibHeader& header, const std::uint32_t (&masks)[3],
                      TBitmap& bitmap) {
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  const std::int64_t sourceStride = StoredStride(header);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(sourceStride));
  const auto rowBytes = static_cast<std::size_t>(std::min<std::int64_t>(sourceStride, bitmap.Stride()));
  for (int i = 0; i < height; ++i) {
    ReadExact(stream, row.data(), row.size());
    const int y = header.Height < 0 ? i : height - 1 - i;
    ConvertRow(row.data(), bitmap.ScanLine(y), width, header.BitCount, masks, bitmap.Format(), rowBytes);
  }
  // Padding bits past the last pixel of a row stay zero.
  const std::int64_t usedBits = std::int64_t{width} * BitsPerPixel(bitmap.Format());
  if (usedBits % 32 != 0) {
    const auto firstPad = static_cast<std::size_t>(usedBits / 8);
    const int partialBits = static_cast<int>(usedBits % 8);
    for (int y = 0; y < height; ++y) {
      std::uint8_t* line = bitmap.ScanLine(y);
      std::size_t start = firstPad;
      if (partialBits != 0) {
        line[firstPad] &= static_cast<std::uint8_t>(0xFF << (8 - partialBits));
        ++start;
      }
      std::memset(line + start, 0, static_cast<std::size_t>(bitmap.Stride()) - start);
    }
  }
}

// Run-length decoding. Rows count from the bottom. Pixels that runs or deltas would put
// outside the picture are dropped; pixels that the data never reaches keep index 0. The
// data ends at the end-of-picture code, after the last row, or where the bytes run out.
// Returns the number of bytes consumed.
std::size_t DecodeRle(std::span<const std::uint8_t> data, bool fourBits, TBitmap& bitmap) {
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  const PixelFormat format = bitmap.Format();
  for (int y = 0; y < height; ++y) std::memset(bitmap.ScanLine(y), 0, static_cast<std::size_t>(bitmap.Stride()));
  std::int64_t x = 0;
  std::int64_t row = 0;
  std::size_t pos = 0;
  auto put = [&](int index) {
    if (x >= 0 && x < width && row < height)
      gdi::WriteIndex(bitmap.ScanLine(height - 1 - static_cast<int>(row)), static_cast<int>(x), format, index);
    ++x;
  };
  while (pos + 1 < data.size() && row < height) {
    const int count = data[pos];
    const int value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(fourBits ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++row;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (pos + 1 >= data.size()) break;
      x += data[pos];
      row += data[pos + 1];
      pos += 2;
    } else {
      const std::size_t bytes = fourBits ? (static_cast<std::size_t>(value) + 1) / 2 : static_cast<std::size_t>(value);
      const std::size_t padded = (bytes + 1) & ~std::size_t{1};
      const std::size_t available = std::min(bytes, data.size() - pos);
      for (int i = 0; i < value; ++i) {
        const std::size_t byte = fourBits ? static_cast<std::size_t>(i) / 2 : static_cast<std::size_t>(i);
        if (byte >= available) break;
        put(fourBits ? ((i & 1) ? data[pos + byte] & 0x0F : data[pos + byte] >> 4) : data[pos + byte]);
      }
      pos = std::min(pos + padded, data.size());
    }
  }
  return pos;
}

}  // namespace

void TBitmap::LoadFromStream(TStream& stream) {
  try {
    const std::int64_t start = stream.Position();
    std::uint8_t fileHeader[bmp::FileHeaderSize];
    ReadExact(stream, fileHeader, sizeof fileHeader);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') Invalid("not a bitmap file");
    const std::uint32_t dataOffset = Le32(fileHeader + 10);

    DibHeader header = ReadDibHeader(stream);
    Validate(header);

    std::uint32_t masks[3] = {0, 0, 0};
    if (header.Compression == bmp::BI_BITFIELDS) {
      if (!header.HasMasks) {
        std::uint8_t maskBytes[12];
        ReadExact(stream, maskBytes, sizeof maskBytes);
        for (int i = 0; i < 3; ++i) header.Masks[i] = Le32(maskBytes + 4 * i);
      }
      std::copy(header.Masks, header.Masks + 3, masks);
      ValidateMasks(masks, header.BitCount);
    } else if (header.BitCount == 16) {
      std::copy(bmp::Masks555, bmp::Masks555 + 3, masks);
    } else if (header.BitCount == 32) {
      std::copy(bmp::Masks888, bmp::Masks888 + 3, masks);
    }

    // Colour table: the declared entries must be present; up to 256 are kept (all an
    // indexed picture can use), the rest are skipped.
    const std::int64_t entrySize = header.IsCore() ? 3 : 4;
    std::int64_t entries = header.ColorsUsed;
    if (entries == 0 && header.BitCount <= 8) entries = std::int64_t{1} << header.BitCount;
    if (entries * entrySize > stream.Remaining()) Invalid("the colour table ends early");
    const std::int64_t kept = std::min<std::int64_t>(entries, header.BitCount <= 8 ? 1 << header.BitCount : 256);
    std::vector<std::uint8_t> table(static_cast<std::size_t>(entries * entrySize));
    ReadExact(stream, table.data(), table.size());
    std::vector<PaletteEntry> palette(static_cast<std::size_t>(kept));
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const std::uint8_t* p = table.data() + i * static_cast<std::size_t>(entrySize);
      palette[i] = PaletteEntry{p[2], p[1], p[0]};
    }

    // The pixels start at the file header's offset unless it points back into the
    // headers; then they follow the colour table.
    const std::int64_t tableEnd = stream.Position();
    const std::int64_t declaredStart = start + dataOffset;
    if (declaredStart > tableEnd) {
      if (declaredStart - tableEnd > stream.Remaining()) Invalid("the pixel data offset lies beyond the data");
      stream.SetPosition(declaredStart);
    }

    const bool compressed = header.Compression == bmp::BI_RLE8 || header.Compression == bmp::BI_RLE4;
    const std::int64_t rows = header.Height < 0 ? -header.Height : header.Height;
    if (!compressed && StoredStride(header) * rows > stream.Remaining()) Invalid("the pixel data ends early");

    const int width = static_cast<int>(header.Width);
    const int height = static_cast<int>(header.Height < 0 ? -header.Height : header.Height);
    TBitmap loaded(width, height, TargetFormat(header.BitCount, masks));
    loaded.palette_ = std::move(palette);
    if (compressed) {
      const std::int64_t available = stream.Remaining();
      const std::int64_t size = header.SizeImage != 0 ? std::min<std::int64_t>(header.SizeImage, available) : available;
      const std::int64_t dataStart = stream.Position();
      const std::vector<std::uint8_t> data = ReadBytes(stream, size);
      const std::size_t used = DecodeRle(data, header.Compression == bmp::BI_RLE4, loaded);
      stream.SetPosition(dataStart + static_cast<std::int64_t>(used));
    } else {
      ReadUncompressed(stream, header, masks, loaded);
    }

    if (loaded.palette_ != palette_) PaletteModified = true;
    width_ = loaded.width_;
    height_ = loaded.height_;
    format_ = loaded.format_;
    stride_ = loaded.stride_;
    pixels_ = std::move(loaded.pixels_);
    palette_ = std::move(loaded.palette_);
  } catch (const EInvalidGraphic&) {
    throw;
  } catch (const Exception& error) {
    Invalid(error.Message());
  }
}

}  // namespace velquora
