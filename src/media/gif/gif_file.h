#pragma once
// A GIF87a/GIF89a picture: its sub-images with their extensions, colour tables and decoded
// pixel indices, each sub-image turned into an 8-bit bitmap on demand, and the animator that
// composes the frames one after another into a 24-bit target following their disposal
// methods and transparent colours.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "core/stream.h"
#include "media/gif/gif_arrays.h"
#include "media/gif/gif_exception.h"
#include "platform/gdi/bitmap.h"

namespace velquora {

class TGifFile;

// A colour table: room for 256 RGB triples and the number of entries in use. A new table holds
// the default colours of an 8-bit bitmap (the 16 standard VGA colours first), with black and
// white as its first two entries when made for 2 colours.
class TColorTable {
public:
  explicit TColorTable(int count = 2);

  int Count() const { return count_; }
  // The entry as 0x00BBGGRR.
  TColor Color(int index) const { return ToColor(entries_.at(static_cast<std::size_t>(index))); }
  const std::array<PaletteEntry, 256>& Entries() const { return entries_; }

  // Reads count RGB triples (count at most 256) into the first entries.
  void ReadFrom(TStream& stream, int count);

private:
  std::array<PaletteEntry, 256> entries_{};
  int count_ = 2;
};

enum class TExtensionKind { GraphicControl = 0, PlainText = 1, Application = 2, Comment = 3 };

// One extension block as stored: the fixed part of its kind (graphic control 6 bytes: block
// size, packed byte, delay low, delay high, transparent index, terminator; plain text 13 bytes;
// application 12 bytes; comment none) and its data sub-blocks.
class TExtension {
public:
  // Reads the block after its label; an unknown label raises EGifException.
  static TExtension Read(TStream& stream, std::uint8_t label);

  TExtensionKind Kind() const { return kind_; }
  const std::vector<std::uint8_t>& Fixed() const { return fixed_; }
  const std::vector<std::string>& SubBlocks() const { return sub_blocks_; }

  // Graphic control fields (0 for other kinds).
  std::uint8_t PackedFlags() const;
  int DisposalMethod() const { return (PackedFlags() >> 2) & 7; }
  bool HasTransparency() const { return (PackedFlags() & 1) != 0; }
  int Delay() const;  // hundredths of a second
  int TransparentIndex() const;

private:
  TExtension(TExtensionKind kind, std::vector<std::uint8_t> fixed) : kind_(kind), fixed_(std::move(fixed)) {}

  TExtensionKind kind_;
  std::vector<std::uint8_t> fixed_;
  std::vector<std::string> sub_blocks_;
};

using TExtensionList = std::vector<TExtension>;

// One image of a GIF, or an extension-only entry (a trailing block of extensions without pixels).
class TGifSubImage {
public:
  // color_count is the global table's entry count: 2, 4, 8, ... 256; otherwise raises
  // EGifException "Number of colors (n) wrong; must be a power of 2".
  TGifSubImage(int color_count, TGifFile& owner);
  ~TGifSubImage();
  TGifSubImage(const TGifSubImage&) = delete;
  TGifSubImage& operator=(const TGifSubImage&) = delete;

  int CodeSize() const { return code_size_; }
  const TByteBuffer& Data() const { return data_; }
  const TExtensionList& Extensions() const { return extensions_; }
  const TByteArray2D& Pixels() const { return pixels_; }
  const TColorTable& LocalTable() const { return local_table_; }

  int Left() const { return Word(0); }
  int Top() const { return Word(2); }
  int Width() const { return Word(4); }
  int Height() const { return Word(6); }
  bool HasLocalTable() const { return (descriptor_[8] & 0x80) != 0; }
  bool Interlaced() const { return (descriptor_[8] & 0x40) != 0; }
  int Bits() const { return (descriptor_[8] & 7) + 1; }
  // From the last graphic-control extension.
  int DisposalMethod() const { return disposal_method_; }
  bool TransparencyFlag() const { return transparency_flag_; }

  // An image with at least one pixel (not an extension-only entry).
  bool HasPixels() const { return has_image_ && Width() > 0 && Height() > 0; }
  // The table its pixels index: the local one if it has one, else the owner's global table.
  const TColorTable& ColorTable() const;
  // Delay of the last graphic-control extension, 0 without one.
  int Delay() const;
  // Colour at the transparent index of the first graphic-control extension with its
  // transparency bit set; -1 when there is none.
  std::int32_t TransparentColor() const;

  // Writes the image as an 8-bit bitmap file: 256-entry palette, rows bottom-up.
  void WriteBitmapFile(TStream& stream) const;
  // The image as an 8-bit bitmap, built on the first request; null without pixels.
  TBitmap* Bitmap();

private:
  friend class TGifFile;

  int Word(std::size_t offset) const { return descriptor_[offset] | (descriptor_[offset + 1] << 8); }
  void AttachExtensions(TExtensionList extensions);
  // Reads the descriptor, the local table and the data; decodes. pixel_budget is what is left of
  // the pixels the stream's bytes could possibly produce; an image beyond it is refused.
  void Read(TStream& stream, std::uint64_t& pixel_budget);
  void ReadData(TStream& stream);

  TGifFile& owner_;
  int code_size_;
  TByteBuffer data_;
  std::unique_ptr<TBitmap> bitmap_;
  int disposal_method_ = 0;
  bool transparency_flag_ = false;
  TColor resolved_transparent_ = 0;  // the transparent colour as the work bitmap shows it
  bool transparent_resolved_ = false;
  std::array<std::uint8_t, 9> descriptor_{};
  bool has_image_ = false;
  TExtensionList extensions_;
  TByteArray2D pixels_;
  TColorTable local_table_;
};

class TGifFile {
public:
  // Called after every block of a load with the stream position and size, and with (1, 1) at the end.
  using ProgressHandler = std::function<void(std::int64_t position, std::int64_t size)>;
  static constexpr std::int32_t NoTransparentColor = -1;

  TGifFile();
  ~TGifFile();
  TGifFile(const TGifFile&) = delete;
  TGifFile& operator=(const TGifFile&) = delete;

  // Reads a GIF from the stream's position. Raises EGifException for format errors, EReadError
  // for a header, table or extension cut short, and EOutOfMemory for images larger than the
  // stream's bytes could fill. Image data cut short is no error. The sub-images read before
  // a failure stay.
  void LoadFromStream(TStream& stream);
  void SetProgressHandler(ProgressHandler handler) { progress_ = std::move(handler); }
  std::int64_t ConsumedBytes() const { return consumed_bytes_; }

  const std::array<std::uint8_t, 6>& Header() const { return header_; }
  const std::array<std::uint8_t, 7>& ScreenDescriptor() const { return screen_descriptor_; }
  bool HasGlobalTable() const { return has_global_table_; }
  const TColorTable& GlobalTable() const { return global_table_; }

  int FrameCount() const { return static_cast<int>(frames_.size()); }
  // Frame by 1-based index; an index outside the list gives frame 1, null when there are none.
  TGifSubImage* Frame(int index);
  const TGifSubImage* Frame(int index) const;
  // The largest width and height over all sub-images.
  int ScreenWidth() const;
  int ScreenHeight() const;
  int FrameDelay(int index) const;
  std::int32_t FrameTransparentColor(int index) const;
  TBitmap* FrameBitmap(int index);

  // Composes the next frame into target (made 24 bits per pixel); past the last frame it starts
  // again at frame 1 and sets the wrapped flag.
  void RenderNext(TBitmap& target);
  // Shows frame n in target: the kept composition when n is the next frame to render, else
  // renders on from the next frame (from frame 1 when n lies behind it). Returns true.
  bool Seek(int n, TBitmap& target);
  // The wrapped flag; querying clears it.
  bool Wrapped();

  int NextFrameIndex() const { return next_frame_; }
  void SetNextFrameIndex(int index) { next_frame_ = index; }
  int LastRenderedIndex() const { return last_rendered_; }

private:
  void Clear();
  std::size_t FramePosition(int index) const;  // list position of a 1-based index, 0 outside
  void ReadBlocks(TStream& stream, std::int64_t start);
  void Notify(std::int64_t position, std::int64_t size) const;
  void RenderFirstFrame(TBitmap& target, TGifSubImage& frame, const TBitmap& work);
  void Compose(TBitmap& target, TGifSubImage& frame, TBitmap& work);
  TColor ResolveTransparentColor(TGifSubImage& frame, const TBitmap& work) const;
  void SaveArea(const TBitmap& target, const Rect& rect);

  std::array<std::uint8_t, 6> header_{'G', 'I', 'F', '8', '9', 'a'};
  std::array<std::uint8_t, 7> screen_descriptor_{};
  bool has_global_table_ = true;
  TColorTable global_table_;
  std::vector<std::unique_ptr<TGifSubImage>> frames_;
  ProgressHandler progress_;
  std::int64_t consumed_bytes_ = 0;

  // Animation state.
  int next_frame_ = 0;     // next frame to render, 1-based
  int last_rendered_ = 1;  // frame last rendered
  TBitmap composed_;       // copy of the last composition
  TBitmap saved_;          // what lay under the last frame to be restored to the previous image
  Point saved_position_;
  Rect previous_rect_;
  int previous_disposal_ = 0;
  bool previous_transparent_ = false;
  bool wrapped_ = false;
};

// A bitmap loaded from a GIF file: its first image only.
class TGifBitmap : public TBitmap {
public:
  static constexpr const char* FileExtension = "gif";
  static constexpr const char* Description = "GIF-Format";

  // Loads a TGifFile from the stream and takes frame 1 as an 8-bit bitmap. A GIF without an
  // image raises EGifException.
  void LoadFromStream(TStream& stream);
};

}  // namespace velquora
