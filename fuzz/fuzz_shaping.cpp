// libFuzzer target for background painting: the frame style's numbers come from a scene
// file, so any margin, border width, corner diameter, angle or mode must paint without a
// crash or undefined behaviour. Input: a width and height byte (each 1 .. 64), then the
// style's eleven 32-bit values (missing bytes read as 0). Checks: the bitmap keeps its
// size, and stripes at any angle with no region cover every pixel.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_determinism.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/canvas.h"
#include "playback/shaping.h"

namespace {

class Input {
public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
  std::int32_t Int32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{Byte()} << (8 * i);
    std::int32_t result;
    std::memcpy(&result, &value, sizeof result);
    return result;
  }

private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

constexpr velquora::TColor kBefore = velquora::RGB(1, 2, 3);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  using namespace velquora;
  Input input(data, size);
  const int width = 1 + input.Byte() % 64;
  const int height = 1 + input.Byte() % 64;
  TShapeStyle style;
  style.FillMode = input.Int32();
  style.GradientFrom = static_cast<TColor>(input.Int32());
  style.GradientTo = static_cast<TColor>(input.Int32());
  style.GradientAngle = input.Int32();
  style.BorderStyle = input.Int32();
  style.BorderWidth = input.Int32();
  style.BorderLightColor = static_cast<TColor>(input.Int32());
  style.BorderDarkColor = static_cast<TColor>(input.Int32());
  style.BorderMargin = input.Int32();
  style.FrameFillColor = static_cast<TColor>(input.Int32());
  style.CornerDiameter = input.Int32();

  TBitmap bitmap(width, height, PixelFormat::Bits24);
  TCanvas canvas(bitmap);
  ShapeBitmap(kRectangularFrameShape, canvas, style);
  if (bitmap.Width() != width || bitmap.Height() != height) std::abort();

  TBitmap striped(width, height, PixelFormat::Bits24);
  TCanvas stripes(striped);
  stripes.Brush.Color = kBefore;
  stripes.FillRect(striped.BoundsRect());
  FillAngled(stripes, kFillStripes, style.GradientAngle, RGB(255, 0, 0), RGB(0, 0, 255), nullptr);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (striped.GetPixel(x, y) == kBefore) std::abort();
  return 0;
}
