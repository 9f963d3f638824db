// Saving a bitmap as a Windows bitmap file: info header, bottom-up rows, the colour table
// when the bitmap has one, Bits16 with its 5-6-5 masks.
#include <cstring>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/bmp_format.h"

namespace velquora {

void TBitmap::SaveToStream(TStream& stream) const {
  const bool indexed = IsIndexed(format_);
  const bool withMasks = format_ == PixelFormat::Bits16;
  // An indexed bitmap always gets a full table when its own is empty (all black).
  std::vector<PaletteEntry> table = palette_;
  if (indexed && table.empty()) table.resize(std::size_t{1} << BitsPerPixel(format_));
  const std::uint32_t headersSize =
      bmp::FileHeaderSize + bmp::InfoHeaderSize + (withMasks ? 12 : 0) + 4 * static_cast<std::uint32_t>(table.size());
  const auto imageSize = static_cast<std::uint32_t>(pixels_.size());

  WriteByte(stream, 'B');
  WriteByte(stream, 'M');
  WriteUInt32(stream, headersSize + imageSize);
  WriteUInt32(stream, 0);
  WriteUInt32(stream, headersSize);

  WriteUInt32(stream, bmp::InfoHeaderSize);
  WriteInt32(stream, width_);
  WriteInt32(stream, height_);
  WriteUInt16(stream, 1);
  WriteUInt16(stream, static_cast<std::uint16_t>(BitsPerPixel(format_)));
  WriteUInt32(stream, withMasks ? bmp::BI_BITFIELDS : bmp::BI_RGB);
  WriteUInt32(stream, imageSize);
  WriteInt32(stream, 3780);  // 96 dots per inch, in pixels per metre
  WriteInt32(stream, 3780);
  WriteUInt32(stream, static_cast<std::uint32_t>(table.size()));
  WriteUInt32(stream, 0);
  if (withMasks)
    for (const std::uint32_t mask : bmp::Masks565) WriteUInt32(stream, mask);

  std::vector<std::uint8_t> tableBytes;
  tableBytes.reserve(table.size() * 4);
  for (const PaletteEntry& entry : table) tableBytes.insert(tableBytes.end(), {entry.Blue, entry.Green, entry.Red, 0});
  stream.WriteBuffer(tableBytes.data(), tableBytes.size());

  for (int y = height_ - 1; y >= 0; --y) stream.WriteBuffer(ScanLine(y), static_cast<std::size_t>(stride_));
}

}  // namespace velquora
