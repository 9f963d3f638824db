#include "media/avi_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>

#include "core/rounding.h"
#include "media/media_player.h"
#include "media/min_gdi_bitmap.h"
#include "platform/system/file_stream.h"
#include "platform/system/temp_files.h"
#include "platform/system/tick_count.h"

namespace velquora {

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// The bare file name of a stored clip name (what follows the last '\\', '/' or ':'), so
// that a temporary name stays inside the temporary directory.
AnsiString BareClipName(const AnsiString& name) {
  const auto separator = name.find_last_of("\\/:");
  AnsiString bare = separator == AnsiString::npos ? name : name.substr(separator + 1);
  if (bare == "." || bare == ".." || bare.find('\0') != AnsiString::npos) bare.clear();
  return bare;
}

// The temporary name for a tick count: the count in decimal, the marker, the suffix.
std::filesystem::path TemporaryName(std::uint32_t ticks, const AnsiString& suffix) {
  return SystemTemporaryDirectory() / (std::to_string(ticks) + TemporaryFileMarker() + AnsiToUtf8(suffix));
}

// Creates a new file named from the tick count, or from the tick count + 1 when that
// name cannot be created. An existing file is never replaced, so that two clips named
// alike in the same millisecond each keep their own copy.
std::optional<std::filesystem::path> CreateTemporaryFile(std::uint32_t ticks, const AnsiString& suffix,
                                                         std::unique_ptr<TFileStream>& file, int tries) {
  for (int i = 0; i < tries; ++i) {
    std::filesystem::path name = TemporaryName(ticks + static_cast<std::uint32_t>(i), suffix);
    try {
      file = std::make_unique<TFileStream>(name, FileMode::CreateNew);
      return name;
    } catch (const EFOpenError&) {
      // taken or not creatable: the next name
    }
  }
  return std::nullopt;
}

// Sound copies are named from the tick count alone (".avi" after the marker), so clips
// loaded in the same millisecond need more than two names.
constexpr int kSoundCopyNames = 100;

}  // namespace

void LoadPackedDib(std::span<const std::uint8_t> dib, TBitmap& bitmap) {
  if (dib.size() < avifile::kInfoHeaderSize) throw EInvalidGraphic("Bad clip picture");
  const std::uint8_t* h = dib.data();
  const auto width = static_cast<std::int32_t>(Le32(h + 4));
  const auto height = static_cast<std::int32_t>(Le32(h + 8));
  const std::uint16_t bits = Le16(h + 14);
  std::uint32_t colours = Le32(h + 32);
  if (Le32(h) != avifile::kInfoHeaderSize || Le32(h + 16) != 0 || width <= 0 || height <= 0 ||
      (bits != 8 && bits != 24))
    throw EInvalidGraphic("Bad clip picture");
  if (bits == 8 && colours == 0) colours = 256;
  if (bits == 24) colours = 0;
  if (colours > 256) throw EInvalidGraphic("Bad clip picture");
  const PixelFormat format = bits == 8 ? PixelFormat::Bits8 : PixelFormat::Bits24;
  const std::int64_t stride = RowStride(width, format);
  const std::size_t offset = avifile::kInfoHeaderSize + 4 * std::size_t{colours};
  if (width > MaxBitmapDimension || height > MaxBitmapDimension ||
      static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height) > dib.size() - std::min(offset, dib.size()) ||
      offset > dib.size())
    throw EInvalidGraphic("Bad clip picture");

  // Pictures of a clip keep their size, so the pixels are usually written in place.
  if (bitmap.Width() != width || bitmap.Height() != height || bitmap.Format() != format) {
    TBitmap fresh(width, height, format);
    fresh.Transparent = bitmap.Transparent;
    fresh.TransparentColor = bitmap.TransparentColor;
    bitmap = std::move(fresh);
  }
  if (bits == 8) {
    std::vector<PaletteEntry> palette(colours);
    for (std::uint32_t i = 0; i < colours; ++i) {
      const std::uint8_t* quad = h + avifile::kInfoHeaderSize + 4 * std::size_t{i};
      palette[i] = PaletteEntry{quad[2], quad[1], quad[0]};
    }
    if (palette != bitmap.Palette()) bitmap.SetPalette(std::move(palette));
  }
  const std::uint8_t* rows = dib.data() + offset;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* source = rows + static_cast<std::size_t>(stride) * static_cast<std::size_t>(height - 1 - y);
    std::memcpy(bitmap.ScanLine(y), source, static_cast<std::size_t>(stride));
  }
}

TAVIObject::TAVIObject() {
  if (!avifile::AviLibraryPresent()) throw EAVIException(kAviLibraryMissingMessage);
}

TAVIObject::~TAVIObject() = default;

std::unique_ptr<avifile::TAviFile> TAVIObject::OpenFile(const std::filesystem::path& name) {
  std::unique_ptr<avifile::TAviFile> file;
  try {
    file = std::make_unique<avifile::TAviFile>(name);
  } catch (const Exception&) {
    throw EAVIException("Cannot open the file \"" + Utf8ToAnsi(name.string()) + "\". Probably file is busy.");
  }
  AudioStreamCount = 0;
  for (int i = 0; i < file->StreamCount(); ++i) {
    if (file->StreamInfo(i).Type == avifile::streamtypeAUDIO) ++AudioStreamCount;
  }
  return file;
}

bool TAVIObject::FindVideo(avifile::TAviFile& file) {
  for (int i = 0; i < file.StreamCount(); ++i) {
    const avifile::TAviStreamInfo info = file.StreamInfo(i);
    if (info.Type != avifile::streamtypeVIDEO) continue;
    FirstFrame = info.Start;
    FrameCount = info.Length - info.Start;
    Rate = info.Scale == 0 ? 20 : static_cast<std::int32_t>(Round(static_cast<Real>(info.Rate) / info.Scale));
    frame_reader_ = file.OpenFrameReader(i);
    return true;
  }
  return false;
}

void TAVIObject::CloseStream() { frame_reader_.reset(); }

TAVIImage::~TAVIImage() { Close(); }

void TAVIImage::LoadFromStream(TStream& stream) {
  const AnsiString name = ReadShortString(stream);
  const std::int32_t length = ReadInt32(stream);
  if (length <= 0) return;
  const std::int64_t begin = stream.Position();
  std::optional<std::filesystem::path> written;
  try {
    if (length > stream.Remaining()) throw EReadError("Stream read error");
    std::unique_ptr<TFileStream> file;
    written = CreateTemporaryFile(TickCount(), BareClipName(name), file, 2);
    if (written) {
      file->CopyFrom(stream, length);
      file.reset();
      OpenClip(*written);
      wrote_clip_ = true;
      if (!HasClip()) Close();  // a clip that does not open is of no use on disk
    }
  } catch (...) {
    // A copy that could not be completed is not left behind.
    if (written && !wrote_clip_) DeleteFileQuietly(*written);
  }
  stream.SetPosition(begin + length);
}

void TAVIImage::OpenClip(const std::filesystem::path& name) {
  Close();
  clip_name_ = name;
  try {
    file_ = OpenFile(name);
    if (!FindVideo(*file_)) return;
    CurrentFrame = 0;
    if (AudioStreamCount > 0) {
      std::unique_ptr<TFileStream> copy;
      if (std::optional<std::filesystem::path> sound = CreateTemporaryFile(TickCount(), ".avi", copy, kSoundCopyNames)) {
        sound_copy_ = *sound;
        TFileStream source(name, FileMode::OpenRead);
        copy->CopyFrom(source, 0);
        SoundFileName = Utf8ToAnsi(sound->string());
      }
    }
  } catch (...) {
    CloseStream();
  }
}

void TAVIImage::Close() {
  CloseStream();
  file_.reset();
  if (wrote_clip_) DeleteFileQuietly(clip_name_);
  wrote_clip_ = false;
  if (!sound_copy_.empty()) DeleteFileQuietly(sound_copy_);
  sound_copy_.clear();
  SoundFileName.clear();
}

void TAVIImage::StartSound() {
  StartTime = TickCount();
  if (Player == nullptr) return;
  TMediaPlayer& player = *Player;
  Player = nullptr;
  // A clip without a sound track leaves the player as it is: opening no file would
  // fail and count as a failure of the playlist's player.
  if (SoundFileName.empty()) return;
  try {
    player.FileName = SoundFileName;
    player.Open();
    player.Play();
  } catch (...) {
    // A sound that cannot start leaves the pictures playing.
  }
}

bool TAVIImage::DeliverFrame(std::int32_t n, TBitmap& bitmap) {
  if (frame_reader_ == nullptr) return false;
  try {
    if (bitmap.Empty()) bitmap.SetSize(2, 2);
    if (CurrentFrame == 1) StartSound();
    if (static_cast<std::int64_t>(n) >= static_cast<std::int64_t>(FirstFrame) + FrameCount) {
      wrapped_ = true;
      n = 1;
    }
    if (n < FirstFrame) n = FirstFrame;
    const std::span<const std::uint8_t> dib = frame_reader_->GetFrame(n);
    FormatBuffer.fill(0);
    std::memcpy(FormatBuffer.data(), dib.data(), std::min(dib.size(), FormatBuffer.size()));
    LoadPackedDib(dib, bitmap);
    CurrentFrame = n;
    return true;
  } catch (...) {
    CurrentFrame = 0;
    return false;
  }
}

bool TAVIImage::GetFrame(std::int32_t n, TBitmap& bitmap) { return DeliverFrame(n, bitmap); }

bool TAVIImage::GetFrame(std::int32_t n, TMinGDIBitmap& bitmap) {
  bitmap.Acquire();
  const bool delivered = DeliverFrame(n, bitmap);
  if (delivered && TMinGDIBitmap::EconomyMode()) bitmap.MarkModified();
  return delivered;
}

}  // namespace velquora
