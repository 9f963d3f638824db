// libFuzzer target for the bitmap file loader: any bytes go through TBitmap::LoadFromStream.
// Bad input must end in EInvalidGraphic, never in a crash or undefined behaviour. A picture
// that loads must survive saving and loading again unchanged, and converting to another
// pixel format. Seeds: the BMP files under tests/data/bmp.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/memory_stream.h"
#include "fuzz_determinism.h"
#include "platform/gdi/bitmap.h"

namespace {

// Conversions and round trips only on pictures small enough to keep every run fast.
constexpr std::int64_t kCheckedPixelLimit = 1 << 20;

constexpr velquora::PixelFormat kFormats[] = {velquora::PixelFormat::Bits1,  velquora::PixelFormat::Bits4,
                                              velquora::PixelFormat::Bits8,  velquora::PixelFormat::Bits16,
                                              velquora::PixelFormat::Bits24, velquora::PixelFormat::Bits32};

void CheckRoundTrip(const velquora::TBitmap& bitmap) {
  velquora::TMemoryStream saved;
  bitmap.SaveToStream(saved);
  saved.SetPosition(0);
  velquora::TBitmap again;
  again.LoadFromStream(saved);
  if (!(again == bitmap)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  velquora::TMemoryStream stream(std::span<const std::uint8_t>(data, size));
  velquora::TBitmap bitmap;
  try {
    bitmap.LoadFromStream(stream);
  } catch (const velquora::EInvalidGraphic&) {
    return 0;
  }
  if (bitmap.Empty() || stream.Position() > static_cast<std::int64_t>(size)) std::abort();
  if (std::int64_t{bitmap.Width()} * bitmap.Height() > kCheckedPixelLimit) return 0;
  CheckRoundTrip(bitmap);
  const std::uint32_t before = velquora::PixelsCrc32(bitmap);
  bitmap.SetPixelFormat(kFormats[size % 6]);
  if (bitmap.Format() == velquora::PixelFormat::Bits24 || bitmap.Format() == velquora::PixelFormat::Bits32) {
    // Every colour fits a true-colour format exactly.
    if (velquora::PixelsCrc32(bitmap) != before) std::abort();
  }
  CheckRoundTrip(bitmap);
  return 0;
}
