#pragma once
// The AVI library: opens an AVI file, lists its streams (type, rate, scale, start,
// length) and delivers the pictures of a video stream one by one as packed
// device-independent bitmaps (a 40-byte info header, the colour table, the bits), as
// the clip players of this system expect them. Decoding is FFmpeg's.
//
// Delivered pictures: palettised video (run-length or raw 8-bit and smaller) keeps 8
// bits per pixel and the clip's 256-entry palette; all other video becomes 24 bits
// (B, G, R). Rows are bottom-up (positive height), each padded to 4 bytes. 5- and 6-bit
// channels of 16-bit video widen by the bitmap layer's one rule, round(v * 255 / (2^n - 1)).
//
// Hostile files: the picture size is checked against the bitmap limits before any
// decoder is opened, and one request decodes at most kMaxDecodesPerRequest pictures
// (one key-frame interval of at most that length), so a request never runs away.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "core/exceptions.h"

namespace velquora::avifile {

// A file that is no AVI file, a stream that cannot be decoded, a frame that cannot be had.
class EAviError : public Exception {
public:
  using Exception::Exception;
};

constexpr std::uint32_t FourCC(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(a)) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(b)) << 8 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(c)) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(d)) << 24;
}
inline constexpr std::uint32_t streamtypeVIDEO = FourCC('v', 'i', 'd', 's');
inline constexpr std::uint32_t streamtypeAUDIO = FourCC('a', 'u', 'd', 's');
inline constexpr std::uint32_t streamtypeTEXT = FourCC('t', 'x', 't', 's');

// Streams beyond this index are not listed.
inline constexpr int kMaxStreams = 100;
// Pictures one frame request may decode: the longest key-frame interval served by
// random access. Playing on from the last delivered picture costs one decode.
inline constexpr int kMaxDecodesPerRequest = 300;
// Bytes of the info header that opens every delivered picture.
inline constexpr std::size_t kInfoHeaderSize = 40;

struct TAviStreamInfo {
  std::uint32_t Type = 0;    // streamtypeVIDEO, streamtypeAUDIO, streamtypeTEXT or 0
  std::uint32_t Rate = 0;    // Rate / Scale samples (frames) per second
  std::uint32_t Scale = 0;
  std::int32_t Start = 0;    // first sample (frame) number
  std::int32_t Length = 0;   // samples (frames) in the stream, counted from 0
};

// Whether the library is there: true when this program was built with FFmpeg, unless a
// ScopedAviLibraryAbsent lives.
bool AviLibraryPresent();

// Test seam: while an object of this class lives, AviLibraryPresent() is false.
class ScopedAviLibraryAbsent {
public:
  ScopedAviLibraryAbsent();
  ~ScopedAviLibraryAbsent();
  ScopedAviLibraryAbsent(const ScopedAviLibraryAbsent&) = delete;
  ScopedAviLibraryAbsent& operator=(const ScopedAviLibraryAbsent&) = delete;

private:
  bool previous_;
};

class TAviFrameReader;

class TAviFile {
public:
  // Opens path read-only (others may read and write it meanwhile). Raises EAviError when
  // it is not an AVI file the library can read.
  explicit TAviFile(const std::filesystem::path& path);
  ~TAviFile();
  TAviFile(const TAviFile&) = delete;
  TAviFile& operator=(const TAviFile&) = delete;

  int StreamCount() const;  // at most kMaxStreams
  TAviStreamInfo StreamInfo(int index) const;  // EAviError for an index beyond the count

  // A frame reader on video stream index. Raises EAviError for a stream that is not
  // video, a picture size beyond the bitmap limits, or video no decoder reads.
  std::unique_ptr<TAviFrameReader> OpenFrameReader(int index);

  struct Demuxer;

private:
  std::shared_ptr<Demuxer> demuxer_;
};

class TAviFrameReader {
public:
  ~TAviFrameReader();
  TAviFrameReader(const TAviFrameReader&) = delete;
  TAviFrameReader& operator=(const TAviFrameReader&) = delete;

  // The picture of frame number position (Start .. Start + Length - 1) as a packed
  // device-independent bitmap, valid until the next call. Raises EAviError.
  std::span<const std::uint8_t> GetFrame(std::int32_t position);

  // Pictures decoded by the last GetFrame.
  int LastDecodeCount() const;

  struct Decoder;

private:
  friend class TAviFile;
  explicit TAviFrameReader(std::unique_ptr<Decoder> decoder);
  std::unique_ptr<Decoder> decoder_;
};

}  // namespace velquora::avifile
