#pragma once
// TJPEGImage: keeps the bytes of a JPEG file and the bitmap they decode to. Every change
// of the bytes or of an option decodes again at once, so Bitmap always shows the last
// decoding (empty when there are no bytes or the decoding failed).
#include <cstdint>

#include "core/memory_stream.h"
#include "core/stream.h"
#include "media/jpeg_decoder.h"
#include "platform/gdi/bitmap.h"

namespace velquora {

class TCustomJPEGImage {
public:
  TCustomJPEGImage() = default;
  virtual ~TCustomJPEGImage() = default;
  TCustomJPEGImage(const TCustomJPEGImage&) = delete;
  TCustomJPEGImage& operator=(const TCustomJPEGImage&) = delete;

  // Takes the whole content of the stream, from its beginning whatever its position (no
  // stream: no bytes), then decodes. Raises EJPEGException when the bytes do not decode
  // cleanly, leaving the bytes in Data and Bitmap empty.
  void LoadFromStream(TStream* stream);

  // The decoded picture; callers copy it (Assign) rather than keep the reference.
  const TBitmap& Bitmap() const { return bitmap_; }
  // The compressed bytes.
  const TMemoryStream& Data() const { return data_; }

  // Each setter stores the value, then decodes (and may raise as LoadFromStream does).
  std::uint8_t ColorMode() const { return options_.ColorMode; }
  void SetColorMode(std::uint8_t value);
  std::uint8_t DctMethod() const { return options_.DctMethod; }
  void SetDctMethod(std::uint8_t value);
  std::uint8_t DitherMode() const { return options_.DitherMode; }
  void SetDitherMode(std::uint8_t value);
  bool FastDecode() const { return options_.FastDecode; }
  void SetFastDecode(bool value);
  bool GrayOutput() const { return options_.GrayOutput; }
  void SetGrayOutput(bool value);
  bool NoSmoothing() const { return options_.NoSmoothing; }
  void SetNoSmoothing(bool value);
  bool OnePassQuantize() const { return options_.OnePassQuantize; }
  void SetOnePassQuantize(bool value);
  const JpegOptions& Options() const { return options_; }

  // The largest picture, in pixels, a decoding accepts; changing it does not decode.
  std::int64_t PixelLimit() const { return pixelLimit_; }
  void SetPixelLimit(std::int64_t pixels) { pixelLimit_ = pixels; }

private:
  void Decode();

  TMemoryStream data_;
  JpegOptions options_;
  TBitmap bitmap_;
  std::int64_t pixelLimit_ = kDefaultJpegPixelLimit;
};

// The adapter the program creates.
class TJPEGImage : public TCustomJPEGImage {};

}  // namespace velquora
