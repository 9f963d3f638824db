#include "app/picture_json.h"

namespace velquora {

void WritePictureJson(JsonWriter& json, const TBitmap& picture) {
  json.BeginObject();
  json.Field("Width", picture.Width());
  json.Field("Height", picture.Height());
  json.Field("BitsPerPixel", picture.Empty() ? 0 : BitsPerPixel(picture.Format()));
  json.Field("PixelsCrc32", PixelsCrc32(picture));
  json.EndObject();
}

}  // namespace velquora
