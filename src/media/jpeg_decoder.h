#pragma once
// One complete JPEG decompression through libjpeg, producing a Windows bitmap file image
// in memory: bottom-up, 24 bits per pixel for true-colour output, or 8 bits per pixel
// with a 256-entry colour table for quantised or greyscale output (the colour map of the
// quantiser, or a linear grey ramp, padded with black).
#include <cstdint>
#include <span>
#include <vector>

#include "core/exceptions.h"

namespace velquora {

// A JPEG the library refuses (with the library's own message), one it decoded only with
// warnings ("There are warnings"), or one too large to hold as a bitmap.
class EJPEGException : public Exception {
public:
  using Exception::Exception;
};

// The decompression choices of the JPEG adapter. Values outside the listed ranges leave
// the library's default for that parameter.
struct JpegOptions {
  std::uint8_t ColorMode = 2;    // 0: quantise to 16 colours; 1: to 256 colours; 2: true colour
  std::uint8_t DctMethod = 0;    // 0: accurate integer; 1: fast integer; 2: floating point
  std::uint8_t DitherMode = 1;   // 0: none; 1: Floyd-Steinberg; 2: ordered
  bool FastDecode = false;       // speed over quality: ordered dither, fast DCT, no smoothing
  bool GrayOutput = false;       // decode to greyscale
  bool NoSmoothing = false;      // no smooth (fancy) upsampling of chroma
  bool OnePassQuantize = false;  // one-pass colour quantisation
  friend bool operator==(const JpegOptions&, const JpegOptions&) = default;
};

// Largest decoded picture, in pixels, that a decoding accepts unless told otherwise
// (8192 x 8192). Pictures beyond the bitmap limits are refused whatever the limit.
inline constexpr std::int64_t kDefaultJpegPixelLimit = 64LL * 1024 * 1024;

// A progressive file never needs more scans than this to reach full precision: three
// components, 64 coefficients, 14 bit positions each. More scans only repeat passes.
inline constexpr int kMaxJpegScans = 3 * 64 * 14;

// The text of the exception raised when the library reported warnings.
inline constexpr const char* kJpegWarningsMessage = "There are warnings";

struct JpegBmpImage {
  std::vector<std::uint8_t> File;  // the bitmap file image
  long Warnings = 0;               // warnings the library reported while decoding
};

// Decodes jpeg at full size with the given options. Raises EJPEGException on a fatal
// library error (with its message), on an output colour space other than greyscale or
// RGB, and on a picture larger than pixelLimit or the bitmap limits; warnings do not
// raise here but are counted in the result. An empty input is a fatal library error.
JpegBmpImage DecodeJpegToBmp(std::span<const std::uint8_t> jpeg, const JpegOptions& options,
                             std::int64_t pixelLimit = kDefaultJpegPixelLimit);

}  // namespace velquora
