#include "media/gif/gif_file.h"

#include <algorithm>
#include <cstdio>

#include "core/memory_stream.h"
#include "media/gif/gif_lzw.h"

namespace velquora {

namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;  // '!'
constexpr std::uint8_t kImageSeparator = 0x2C;       // ','
constexpr std::uint8_t kTrailer = 0x3B;              // ';'

// Reads one byte; false at the end of the stream.
bool TryReadByte(TStream& stream, std::uint8_t& value) { return stream.Read(&value, 1) == 1; }

// Sub-blocks: a length byte, that many bytes, until a zero length.
std::vector<std::string> ReadSubBlocks(TStream& stream) {
  std::vector<std::string> blocks;
  for (std::uint8_t length = ReadByte(stream); length != 0; length = ReadByte(stream)) {
    std::string block(length, '\0');
    stream.ReadBuffer(block.data(), length);
    blocks.push_back(std::move(block));
  }
  return blocks;
}

bool IsPowerOfTwoColorCount(int count) {
  return count >= 2 && count <= 256 && (count & (count - 1)) == 0;
}

int BitCount(int color_count) {
  int bits = 0;
  while ((1 << bits) < color_count) ++bits;
  return bits;
}

// The most pixels that `bytes` bytes of LZW data can produce. Codes are at least 3 bits wide;
// between two clear codes the k-th code yields at most k pixels, and a run holds at most 4094
// codes, so a code yields at most 2048 pixels on average.
std::uint64_t MaxPixelsFromBytes(std::int64_t bytes) {
  const std::uint64_t codes = static_cast<std::uint64_t>(std::max<std::int64_t>(bytes, 0)) * 8 / 3 + 1;
  return std::min(codes * (codes + 1) / 2, codes * 2048);
}

}  // namespace

// ---- TColorTable ----

TColorTable::TColorTable(int count) : count_(count) {
  const std::vector<PaletteEntry> colors = DefaultPalette(PixelFormat::Bits8);
  std::copy_n(colors.begin(), std::min(colors.size(), entries_.size()), entries_.begin());
  if (count <= 2) {
    const std::vector<PaletteEntry> two = DefaultPalette(PixelFormat::Bits1);
    std::copy(two.begin(), two.end(), entries_.begin());
  }
}

void TColorTable::ReadFrom(TStream& stream, int count) {
  count = std::clamp(count, 0, 256);
  std::array<std::uint8_t, 256 * 3> triples{};
  stream.ReadBuffer(triples.data(), static_cast<std::size_t>(count) * 3);
  for (int i = 0; i < count; ++i)
    entries_[i] = PaletteEntry{triples[i * 3], triples[i * 3 + 1], triples[i * 3 + 2]};
  count_ = count;
}

// ---- TExtension ----

TExtension TExtension::Read(TStream& stream, std::uint8_t label) {
  auto fixed_part = [&stream](std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    stream.ReadBuffer(bytes.data(), size);
    return bytes;
  };
  switch (label) {
    case 0xF9: return TExtension(TExtensionKind::GraphicControl, fixed_part(6));
    case 0x01: {
      TExtension extension(TExtensionKind::PlainText, fixed_part(13));
      extension.sub_blocks_ = ReadSubBlocks(stream);
      return extension;
    }
    case 0xFF: {
      TExtension extension(TExtensionKind::Application, fixed_part(12));
      extension.sub_blocks_ = ReadSubBlocks(stream);
      return extension;
    }
    case 0xFE: {
      TExtension extension(TExtensionKind::Comment, {});
      extension.sub_blocks_ = ReadSubBlocks(stream);
      return extension;
    }
    default: {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02X", label);
      throw EGifException(std::string("Unrecognized extension block.\r\nCode = $") + hex);
    }
  }
}

std::uint8_t TExtension::PackedFlags() const {
  return kind_ == TExtensionKind::GraphicControl ? fixed_[1] : 0;
}

int TExtension::Delay() const {
  return kind_ == TExtensionKind::GraphicControl ? fixed_[2] | (fixed_[3] << 8) : 0;
}

int TExtension::TransparentIndex() const {
  return kind_ == TExtensionKind::GraphicControl ? fixed_[4] : 0;
}

// ---- TGifSubImage ----

namespace {
int CheckedColorCount(int color_count) {
  if (!IsPowerOfTwoColorCount(color_count))
    throw EGifException("Number of colors (" + std::to_string(color_count) + ") wrong; must be a power of 2");
  return color_count;
}
}  // namespace

TGifSubImage::TGifSubImage(int color_count, TGifFile& owner)
    : owner_(owner),
      code_size_(std::max(BitCount(CheckedColorCount(color_count)), 2)),
      local_table_(color_count) {}

TGifSubImage::~TGifSubImage() = default;

const TColorTable& TGifSubImage::ColorTable() const {
  return HasLocalTable() ? local_table_ : owner_.GlobalTable();
}

void TGifSubImage::AttachExtensions(TExtensionList extensions) {
  extensions_ = std::move(extensions);
  for (const TExtension& extension : extensions_) {
    if (extension.Kind() != TExtensionKind::GraphicControl) continue;
    disposal_method_ = extension.DisposalMethod();
    transparency_flag_ = extension.HasTransparency();
  }
}

int TGifSubImage::Delay() const {
  int delay = 0;
  for (const TExtension& extension : extensions_)
    if (extension.Kind() == TExtensionKind::GraphicControl) delay = extension.Delay();
  return delay;
}

std::int32_t TGifSubImage::TransparentColor() const {
  for (const TExtension& extension : extensions_) {
    if (extension.Kind() == TExtensionKind::GraphicControl && extension.HasTransparency())
      return static_cast<std::int32_t>(ColorTable().Color(extension.TransparentIndex()));
  }
  return TGifFile::NoTransparentColor;
}

void TGifSubImage::Read(TStream& stream, std::uint64_t& pixel_budget) {
  stream.ReadBuffer(descriptor_.data(), descriptor_.size());
  has_image_ = true;
  if (HasLocalTable()) local_table_.ReadFrom(stream, 1 << Bits());
  const std::uint64_t area = std::uint64_t(Width()) * std::uint64_t(Height());
  if (area > pixel_budget) throw OutOfMemory(area);
  pixel_budget -= area;
  pixels_ = TByteArray2D(static_cast<std::size_t>(Height()), static_cast<std::size_t>(Width()));
  std::uint8_t code_size = 0;
  if (TryReadByte(stream, code_size)) code_size_ = code_size;
  ReadData(stream);
  DecodeLzw(code_size_, data_.Bytes(), Interlaced(), pixels_);
}

// Data sub-blocks until a zero length or the end of the stream; a block cut short keeps its bytes.
void TGifSubImage::ReadData(TStream& stream) {
  std::array<std::uint8_t, 255> block{};
  std::uint8_t length = 0;
  while (TryReadByte(stream, length) && length != 0) {
    const std::size_t got = stream.Read(block.data(), length);
    data_.Append(std::span<const std::uint8_t>(block.data(), got));
    if (got < length) break;
  }
}

void TGifSubImage::WriteBitmapFile(TStream& stream) const {
  constexpr std::uint32_t kPixelOffset = 14 + 40 + 256 * 4;
  const auto width = static_cast<std::uint32_t>(Width());
  const auto height = static_cast<std::uint32_t>(Height());
  const std::uint32_t stride = (width + 3) & ~3u;
  const std::uint64_t pixel_bytes = std::uint64_t{stride} * height;
  if (pixel_bytes > static_cast<std::uint64_t>(MaxBitmapBytes)) throw OutOfMemory(pixel_bytes);
  stream.WriteBuffer("BM", 2);
  WriteUInt32(stream, static_cast<std::uint32_t>(kPixelOffset + pixel_bytes));
  WriteUInt32(stream, 0);
  WriteUInt32(stream, kPixelOffset);
  WriteUInt32(stream, 40);
  WriteUInt32(stream, width);
  WriteUInt32(stream, height);
  WriteUInt16(stream, 1);
  WriteUInt16(stream, 8);
  WriteUInt32(stream, 0);    // no compression
  WriteUInt32(stream, 0);    // image size
  WriteUInt32(stream, 143);  // pixels per metre, horizontally
  WriteUInt32(stream, 143);  // and vertically
  WriteUInt32(stream, 0);    // colours used
  WriteUInt32(stream, 0);    // important colours
  std::array<std::uint8_t, 256 * 4> palette{};
  const auto& entries = ColorTable().Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    palette[i * 4] = entries[i].Blue;
    palette[i * 4 + 1] = entries[i].Green;
    palette[i * 4 + 2] = entries[i].Red;
  }
  stream.WriteBuffer(palette.data(), palette.size());
  std::vector<std::uint8_t> row(stride, 0);
  for (std::size_t y = pixels_.Rows(); y >= 1; --y) {
    const auto values = pixels_.Row(y);
    std::copy(values.begin(), values.end(), row.begin());
    stream.WriteBuffer(row.data(), row.size());
  }
}

TBitmap* TGifSubImage::Bitmap() {
  if (!HasPixels()) return nullptr;
  if (!bitmap_) {
    TMemoryStream stream;
    WriteBitmapFile(stream);
    stream.SetPosition(0);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromStream(stream);
    bitmap_ = std::move(bitmap);
  }
  return bitmap_.get();
}

// ---- TGifFile ----

TGifFile::TGifFile() = default;
TGifFile::~TGifFile() = default;

void TGifFile::Clear() {
  frames_.clear();
  global_table_ = TColorTable();
  next_frame_ = 0;
  last_rendered_ = 1;
  composed_ = TBitmap();
  saved_ = TBitmap();
  saved_position_ = {};
  previous_rect_ = {};
  previous_disposal_ = 0;
  previous_transparent_ = false;
  wrapped_ = false;
}

void TGifFile::Notify(std::int64_t position, std::int64_t size) const {
  if (progress_) progress_(position, size);
}

void TGifFile::LoadFromStream(TStream& stream) {
  Clear();
  const std::int64_t start = stream.Position();
  try {
    stream.ReadBuffer(header_.data(), header_.size());
    const std::string version(header_.begin() + 3, header_.end());
    if (version != "87a" && version != "89a" && version != "87A" && version != "89A")
      throw EGifException("Gif Version must be 87a or 89a");
    stream.ReadBuffer(screen_descriptor_.data(), screen_descriptor_.size());
    const std::uint8_t packed = screen_descriptor_[4];
    has_global_table_ = (packed & 0x80) != 0;
    const int count = 1 << ((packed & 7) + 1);
    global_table_ = TColorTable(count);
    if (has_global_table_) global_table_.ReadFrom(stream, count);
    ReadBlocks(stream, start);
  } catch (...) {
    Notify(1, 1);
    consumed_bytes_ = stream.Position() - start;
    throw;
  }
  Notify(1, 1);
  consumed_bytes_ = stream.Position() - start;
}

void TGifFile::ReadBlocks(TStream& stream, std::int64_t start) {
  const std::int64_t size = stream.Size();
  std::uint64_t pixel_budget = MaxPixelsFromBytes(size - start);
  std::uint8_t block = kTrailer;
  if (!TryReadByte(stream, block)) block = kTrailer;
  std::int64_t previous_position = -1;
  while (block != kTrailer) {
    const std::int64_t position = stream.Position();
    if (position >= size || position == previous_position) break;
    previous_position = position;
    TExtensionList extensions;
    while (block == kExtensionIntroducer) {
      extensions.push_back(TExtension::Read(stream, ReadByte(stream)));
      if (!TryReadByte(stream, block)) block = kTrailer;
    }
    if (block == kImageSeparator) {
      auto image = std::make_unique<TGifSubImage>(global_table_.Count(), *this);
      image->AttachExtensions(std::move(extensions));
      image->Read(stream, pixel_budget);
      frames_.push_back(std::move(image));
      if (!TryReadByte(stream, block)) block = kTrailer;
    } else if (block == kTrailer && !extensions.empty()) {
      auto trailing = std::make_unique<TGifSubImage>(global_table_.Count(), *this);
      trailing->AttachExtensions(std::move(extensions));
      frames_.push_back(std::move(trailing));
    }
    Notify(stream.Position(), size);
  }
  // Rendering composes on a 24-bit bitmap of the screen size, which the images must be able to fill.
  const std::uint64_t screen_area = std::uint64_t(ScreenWidth()) * std::uint64_t(ScreenHeight());
  if (screen_area > MaxPixelsFromBytes(size - start)) throw OutOfMemory(screen_area * 3);
}

std::size_t TGifFile::FramePosition(int index) const {
  return index < 1 || index > FrameCount() ? 0 : static_cast<std::size_t>(index - 1);
}

TGifSubImage* TGifFile::Frame(int index) {
  return frames_.empty() ? nullptr : frames_[FramePosition(index)].get();
}

const TGifSubImage* TGifFile::Frame(int index) const {
  return frames_.empty() ? nullptr : frames_[FramePosition(index)].get();
}

int TGifFile::ScreenWidth() const {
  int width = 0;
  for (const auto& frame : frames_) width = std::max(width, frame->has_image_ ? frame->Width() : 0);
  return width;
}

int TGifFile::ScreenHeight() const {
  int height = 0;
  for (const auto& frame : frames_) height = std::max(height, frame->has_image_ ? frame->Height() : 0);
  return height;
}

int TGifFile::FrameDelay(int index) const {
  const TGifSubImage* frame = Frame(index);
  return frame ? frame->Delay() : 0;
}

std::int32_t TGifFile::FrameTransparentColor(int index) const {
  const TGifSubImage* frame = Frame(index);
  return frame ? frame->TransparentColor() : NoTransparentColor;
}

TBitmap* TGifFile::FrameBitmap(int index) {
  TGifSubImage* frame = Frame(index);
  return frame ? frame->Bitmap() : nullptr;
}

// ---- TGifBitmap ----

void TGifBitmap::LoadFromStream(TStream& stream) {
  TGifFile gif;
  gif.LoadFromStream(stream);
  const TGifSubImage* first = gif.Frame(1);
  if (first == nullptr || !first->HasPixels()) throw EGifException("GIF holds no image");
  TMemoryStream bitmap_file;
  first->WriteBitmapFile(bitmap_file);
  bitmap_file.SetPosition(0);
  TBitmap::LoadFromStream(bitmap_file);
}

}  // namespace velquora
