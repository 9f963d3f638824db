#pragma once
// Encodes pictures and sound into a video file through FFmpeg's libraries. The file's
// extension chooses the container and codecs: .mp4 and .mkv H.264 with AAC, .webm VP9
// with Opus, .gif an animated GIF without sound whose palette is made for the video
// (which takes a first pass over the pictures: see NeedsPalettePass).
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "core/exceptions.h"
#include "platform/gdi/bitmap.h"

namespace velquora {

// An extension or codec that is not there, or a failure of the libraries.
class EVideoEncoderError : public Exception {
public:
  using Exception::Exception;
};

struct VideoEncoderSettings {
  int Width = 640;  // the pictures' size; H.264 and VP9 get it rounded down to even numbers
  int Height = 480;
  int FrameRateNumerator = 20;  // pictures per second as a fraction
  int FrameRateDenominator = 1;
  bool WithSound = true;  // sound as 44100 Hz stereo signed 16-bit (ignored for .gif)
};

inline constexpr int kEncoderSampleRate = 44100;

class VideoEncoder {
public:
  // Opens path for writing. Raises EVideoEncoderError for an unknown extension, a codec
  // that this system's libraries lack, or a file that cannot be created.
  VideoEncoder(const std::filesystem::path& path, const VideoEncoderSettings& settings);
  // Closes the file; a file that was not finished is incomplete (the caller removes it).
  ~VideoEncoder();
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;

  // Whether the pictures must be given once to AddPalettePicture before AddPicture.
  bool NeedsPalettePass() const;
  void AddPalettePicture(const TBitmap& picture);
  // The next picture of the video, of the settings' size (any pixel format).
  void AddPicture(const TBitmap& picture);
  // Whether the file gets a sound track (every format but .gif, when asked for).
  bool HasSound() const;
  // More sound: interleaved left and right samples, 44100 per second.
  void AddSound(std::span<const std::int16_t> samples);
  // Flushes the encoders and writes the file's end.
  void Finish();

private:
  struct State;
  std::unique_ptr<State> state_;
};

// Whether the extension names a format VideoEncoder writes (".mp4", ".mkv", ".webm", ".gif").
bool IsVideoExtension(const std::string& extension);

}  // namespace velquora
