// libFuzzer target for the JPEG adapter: any bytes go through TJPEGImage with one of a
// few option sets (picked by the input's length, so mutations visit them all). Bad input
// must end in EJPEGException, never in a crash, a leak or undefined behaviour.
// Seeds: the JPEG files under tests/data/jpeg.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/memory_stream.h"
#include "fuzz_determinism.h"
#include "media/jpeg_image.h"

namespace {

// Small pictures keep every run fast; the limit itself is part of what is exercised.
constexpr std::int64_t kFuzzPixelLimit = 512 * 512;

velquora::JpegOptions OptionsFor(std::size_t size) {
  velquora::JpegOptions options;
  switch (size % 8) {
    case 1: options.ColorMode = 0; break;
    case 2: options.ColorMode = 1; options.OnePassQuantize = true; options.DitherMode = 2; break;
    case 3: options.GrayOutput = true; break;
    case 4: options.FastDecode = true; options.ColorMode = 1; break;
    case 5: options.DctMethod = 2; options.NoSmoothing = true; break;
    case 6: options.GrayOutput = true; options.ColorMode = 0; options.DitherMode = 0; break;
    default: break;  // the defaults the frame reader uses
  }
  return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  const velquora::JpegOptions options = OptionsFor(size);
  velquora::TJPEGImage image;
  image.SetPixelLimit(kFuzzPixelLimit);
  try {
    image.SetColorMode(options.ColorMode);
    image.SetDctMethod(options.DctMethod);
    image.SetDitherMode(options.DitherMode);
    image.SetFastDecode(options.FastDecode);
    image.SetGrayOutput(options.GrayOutput);
    image.SetNoSmoothing(options.NoSmoothing);
    image.SetOnePassQuantize(options.OnePassQuantize);
    velquora::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    image.LoadFromStream(&stream);
  } catch (const velquora::EJPEGException&) {
    // The adapter's own failure: the expected outcome for most inputs.
  }
  return 0;
}
