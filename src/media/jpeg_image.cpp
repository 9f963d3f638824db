#include "media/jpeg_image.h"

#include <utility>

namespace velquora {

void TCustomJPEGImage::LoadFromStream(TStream* stream) {
  data_.Clear();
  if (stream != nullptr) data_.CopyFrom(*stream, 0);
  Decode();
}

void TCustomJPEGImage::SetColorMode(std::uint8_t value) {
  options_.ColorMode = value;
  Decode();
}

void TCustomJPEGImage::SetDctMethod(std::uint8_t value) {
  options_.DctMethod = value;
  Decode();
}

void TCustomJPEGImage::SetDitherMode(std::uint8_t value) {
  options_.DitherMode = value;
  Decode();
}

void TCustomJPEGImage::SetFastDecode(bool value) {
  options_.FastDecode = value;
  Decode();
}

void TCustomJPEGImage::SetGrayOutput(bool value) {
  options_.GrayOutput = value;
  Decode();
}

void TCustomJPEGImage::SetNoSmoothing(bool value) {
  options_.NoSmoothing = value;
  Decode();
}

void TCustomJPEGImage::SetOnePassQuantize(bool value) {
  options_.OnePassQuantize = value;
  Decode();
}

// The bitmap is emptied first, so a failed decoding never leaves the picture of earlier
// bytes or options behind. The bitmap file image lives only while the bitmap loads.
void TCustomJPEGImage::Decode() {
  bitmap_ = TBitmap();
  data_.SetPosition(0);
  if (data_.Bytes().empty()) return;
  JpegBmpImage image = DecodeJpegToBmp(data_.Bytes(), options_, pixelLimit_);
  if (image.Warnings > 0) throw EJPEGException(kJpegWarningsMessage);
  TMemoryStream file(std::move(image.File));
  TBitmap decoded;
  decoded.LoadFromStream(file);
  bitmap_ = std::move(decoded);
}

}  // namespace velquora
