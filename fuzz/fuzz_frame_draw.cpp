// libFuzzer target for drawing a sprite frame: the picture and every number that places
// it come from a scene file. Input: a 16-byte header (position, scales, sample pixel,
// flags, area) followed by a bitmap file for the frame's picture. The picture goes
// through a minimal bitmap in economy mode with low resources, so every draw also runs
// the drop-and-rebuild cycle. Checks: Draw never raises, the target keeps its size and
// format, and a frame that misses the area leaves the target untouched. Bytes that are no
// bitmap file become the pixels of a small picture instead, so the target needs no seeds;
// the BMP files under tests/data/bmp behind any 16 bytes make good ones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "core/memory_stream.h"
#include "core/rounding.h"
#include "fuzz_determinism.h"
#include "platform/system/process_list_flag.h"
#include "platform/system/resource_probe.h"
#include "media/min_gdi_bitmap.h"
#include "platform/gdi/bitmap.h"
#include "playback/frame.h"

namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr std::int64_t kPictureLimit = 256 * 256;

constexpr velquora::PixelFormat kFormats[] = {velquora::PixelFormat::Bits1,  velquora::PixelFormat::Bits4,
                                              velquora::PixelFormat::Bits8,  velquora::PixelFormat::Bits16,
                                              velquora::PixelFormat::Bits24, velquora::PixelFormat::Bits32};

// A picture of up to 16 x 12 pixels coloured by the bytes, three to a pixel.
velquora::TBitmap RawPicture(std::span<const std::uint8_t> bytes) {
  const int width = 1 + static_cast<int>(bytes.size() % 16);
  const int height = 1 + static_cast<int>(bytes.size() / 16 % 12);
  velquora::TBitmap bitmap(width, height, velquora::PixelFormat::Bits24);
  std::size_t next = 0;
  auto take = [&] { return bytes.empty() ? std::uint8_t{0} : bytes[next++ % bytes.size()]; };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint8_t red = take();
      const std::uint8_t green = take();
      bitmap.SetPixel(x, y, velquora::RGB(red, green, take()));
    }
  return bitmap;
}

// Whether a bitmap file declares more pixels than kPictureLimit; the loader would build
// such a picture in full, and the time belongs to the loader's own target.
bool DeclaresLargePicture(std::span<const std::uint8_t> file) {
  if (file.size() < 26) return false;
  auto le = [&](std::size_t at, int bytes) {
    std::int64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | file[at + static_cast<std::size_t>(i)];
    return value;
  };
  const bool core = le(14, 4) == 12;
  std::int64_t width = core ? le(18, 2) : static_cast<std::int32_t>(le(18, 4));
  std::int64_t height = core ? le(20, 2) : static_cast<std::int32_t>(le(22, 4));
  if (width < 0) width = -width;
  if (height < 0) height = -height;
  return width * height > kPictureLimit;
}

std::int16_t Int16(const std::uint8_t* p) { return static_cast<std::int16_t>(p[0] | (p[1] << 8)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  using namespace velquora;
  if (size < kHeaderSize) return 0;
  const ScopedProcessListFlag economy(true);
  const ScopedResourceFigure low(data[15] % 40);

  const std::span<const std::uint8_t> rest(data + kHeaderSize, size - kHeaderSize);
  if (DeclaresLargePicture(rest)) return 0;
  TMinGDIBitmap picture;
  try {
    TMemoryStream stream(rest);
    picture.LoadFromStream(stream);
  } catch (const EInvalidGraphic&) {
    picture.Assign(RawPicture(rest));
  }
  if (std::int64_t{picture.Width()} * picture.Height() > kPictureLimit) return 0;

  TFrame frame;
  picture.Acquire();
  frame.PendingPicture = std::make_unique<TBitmap>(picture);
  frame.Width = picture.Width() + static_cast<std::int8_t>(data[12]) % 4;
  frame.Height = picture.Height();
  frame.TransparentX = static_cast<std::int8_t>(data[8]);
  frame.TransparentY = static_cast<std::int8_t>(data[9]);
  frame.Transparent = (data[10] & 1) != 0;

  const int x = Int16(data) % 200;
  const int y = Int16(data + 2) % 200;
  const Real scaleX = Int16(data + 4) / Real{256};
  const Real scaleY = Int16(data + 6) / Real{256};
  const int areaWidth = 1 + data[13] % 96;
  const int areaHeight = 1 + data[14] % 96;
  const PixelFormat format = kFormats[(data[10] >> 1) % 6];

  TBitmap target(64, 48, format);
  const TBitmap before = target;
  for (int pass = 0; pass < 2; ++pass) frame.Draw(target, x, scaleX, scaleY, y, areaWidth, areaHeight, data[11]);
  if (target.Width() != 64 || target.Height() != 48 || target.Format() != format) std::abort();

  const std::int64_t w = Round(scaleX * frame.Width);
  const std::int64_t h = Round(scaleY * frame.Height);
  const bool misses = w <= 0 || h <= 0 || x >= areaWidth || y >= areaHeight || x + w <= 0 || y + h <= 0;
  if (misses && !(target == before)) std::abort();
  return 0;
}
