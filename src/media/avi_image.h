#pragma once
// AVI clips of sprite frames. TAVIObject opens AVI files through the AVI library and finds
// their video stream; TAVIImage holds one clip that arrived inside the scene file: it
// writes the clip to a temporary file, hands out its pictures one by one, and starts the
// clip's sound track once through a media player when the clip starts.
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/ansi_text.h"
#include "core/exceptions.h"
#include "core/stream.h"
#include "platform/avifile/avi_file.h"
#include "platform/gdi/bitmap.h"

namespace velquora {

class TMediaPlayer;
class TMinGDIBitmap;

// The AVI library is missing, or a clip file cannot be opened.
class EAVIException : public Exception {
public:
  using Exception::Exception;
};

inline constexpr const char* kAviLibraryMissingMessage =
    "The Windows AVI library has not found. Please check the file avifil32.dll.";

// Item of the bitmap collection every AVI object owns and nothing fills.
class TAVIBitmap {};

// Bytes of the header-and-palette buffer: info header, 256 colours, 4 bytes more.
inline constexpr std::size_t kAviFormatBufferSize = 40 + 256 * 4 + 4;

class TAVIObject {
public:
  // Raises EAVIException(kAviLibraryMissingMessage) when the AVI library is missing.
  TAVIObject();
  virtual ~TAVIObject();
  TAVIObject(const TAVIObject&) = delete;
  TAVIObject& operator=(const TAVIObject&) = delete;

  std::vector<TAVIBitmap> Bitmaps;  // stays empty
  std::vector<AnsiString> Strings;
  std::int32_t AudioStreamCount = 0;  // audio streams of the file opened last
  std::int32_t FirstFrame = 0;        // the video stream's start
  std::int32_t FrameCount = 0;        // stream length minus start
  std::int32_t Rate = 0;              // frames per second: round(rate / scale), 20 when scale is 0
  std::array<std::uint8_t, kAviFormatBufferSize> FormatBuffer{};  // header and palette of the last picture

protected:
  // Opens the file and counts its audio streams. Raises EAVIException("Cannot open the
  // file \"NAME\". Probably file is busy.") when the library cannot open it.
  std::unique_ptr<avifile::TAviFile> OpenFile(const std::filesystem::path& name);
  // The first video stream: its start, frame count, rate and a frame reader. False when
  // the file has none the library can read.
  bool FindVideo(avifile::TAviFile& file);
  void CloseStream();

  std::unique_ptr<avifile::TAviFrameReader> frame_reader_;
};

class TAVIImage : public TAVIObject {
public:
  TAVIImage() = default;
  ~TAVIImage() override;

  // Reads the clip's stream form (clip file name, i32 length L, L bytes of an AVI file)
  // and opens the clip from a temporary copy. A clip that cannot be written or opened
  // leaves the object without a clip; the stream ends up just after the L bytes either way.
  void LoadFromStream(TStream& stream);
  // Opens the clip file name (closing the previous clip); never raises: a file that is
  // no readable clip leaves the object without a clip.
  void OpenClip(const std::filesystem::path& name);
  // Closes the clip and deletes the files this object wrote.
  void Close();

  // Puts picture n of the clip into bitmap: past the last picture picture 1 (and the
  // wrapped flag goes on), before the first the first. Asked while the current picture
  // is 1, the clip's clock restarts and the attached player (if any) starts the sound
  // copy once. False without a clip or when the picture cannot be had (the clip then
  // starts again at the next request).
  bool GetFrame(std::int32_t n, TBitmap& bitmap);
  bool GetFrame(std::int32_t n, TMinGDIBitmap& bitmap);
  bool NextFrame(TBitmap& bitmap) { return GetFrame(CurrentFrame + 1, bitmap); }
  bool NextFrame(TMinGDIBitmap& bitmap) { return GetFrame(CurrentFrame + 1, bitmap); }
  // The wrapped flag, which the query clears.
  bool Wrapped() {
    const bool wrapped = wrapped_;
    wrapped_ = false;
    return wrapped;
  }
  void SetWrapped(bool wrapped) { wrapped_ = wrapped; }

  bool HasClip() const { return frame_reader_ != nullptr; }
  const std::filesystem::path& ClipFileName() const { return clip_name_; }
  bool WroteClipFile() const { return wrote_clip_; }

  std::int32_t CurrentFrame = 0;      // 0: not started
  AnsiString SoundFileName;           // the sound copy; empty when the clip has no audio
  std::uint32_t StartTime = 0;        // tick count at which the clip last started
  TMediaPlayer* Player = nullptr;     // plays the sound copy at the next start; not owned

private:
  // Fills bitmap with the packed picture of frame n; the common part of both GetFrame.
  bool DeliverFrame(std::int32_t n, TBitmap& bitmap);
  void StartSound();

  std::filesystem::path clip_name_;
  bool wrote_clip_ = false;
  std::unique_ptr<avifile::TAviFile> file_;
  std::filesystem::path sound_copy_;
  bool wrapped_ = false;
};

// Makes bitmap the picture of a packed device-independent bitmap of 8 or 24 bits
// (info header, colour table, bits). Raises EInvalidGraphic for anything else.
void LoadPackedDib(std::span<const std::uint8_t> dib, TBitmap& bitmap);

}  // namespace velquora
