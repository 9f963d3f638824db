#pragma once
// A picture in the dumps: {Width, Height, BitsPerPixel, PixelsCrc32}, where the CRC-32
// covers the rows top to bottom as R, G, B bytes; an empty bitmap gives 0, 0, 0, 0.
#include "core/json_writer.h"
#include "platform/gdi/bitmap.h"

namespace velquora {

void WritePictureJson(JsonWriter& json, const TBitmap& picture);

}  // namespace velquora
