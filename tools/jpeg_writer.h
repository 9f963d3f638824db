#pragma once
// Test support: JPEG files made with libjpeg's compressor, for the JPEG adapter's tests,
// benchmark and fuzz seeds. Never linked into the program.
#include <cstdint>
#include <span>
#include <vector>

namespace velquora {

enum class JpegSampleSpace { Grey, Rgb, Cmyk };  // 1, 3 or 4 samples per pixel

// One scan of a custom progression: the components it covers (indices into the frame),
// the coefficient band Ss..Se, and the successive-approximation bits Ah, Al.
struct JpegScan {
  std::vector<int> Components;
  int Ss = 0;
  int Se = 0;
  int Ah = 0;
  int Al = 0;
};

struct JpegWriterSettings {
  int Quality = 90;
  bool Progressive = false;    // the library's standard progression
  std::vector<JpegScan> Scans;  // a custom progression instead, when not empty
};

// Compresses an image of width x height pixels, rows top-down, samples interleaved.
// Raises std::runtime_error when the library refuses the settings.
std::vector<std::uint8_t> EncodeJpeg(std::span<const std::uint8_t> samples, int width, int height,
                                     JpegSampleSpace space, const JpegWriterSettings& settings = {});

// A smooth, photo-like RGB test picture: gradients and soft rings with a little
// deterministic grain, so that it compresses like a photograph.
std::vector<std::uint8_t> PhotoLikeRgb(int width, int height);

}  // namespace velquora
