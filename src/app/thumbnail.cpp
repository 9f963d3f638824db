#include "app/thumbnail.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "app/trace_render.h"
#include "core/memory_stream.h"
#include "host/scene_load.h"
#include "media/jpeg_image.h"
#include "platform/gdi/canvas.h"
#include "platform/win/message_box.h"

namespace velquora {

namespace {

// Answers every box with its default button and shows nothing.
class SilentMessageBoxes : public MessageBoxes {
public:
  MessageBoxResult Show(const MessageBoxRequest& request) override { return request.default_button; }
};

// The picture scaled down to fit within the size, keeping its proportions.
TBitmap FittedWithin(const TBitmap& picture, ScreenSize size) {
  const double scale = std::min({1.0, static_cast<double>(size.Width) / picture.Width(),
                                 static_cast<double>(size.Height) / picture.Height()});
  if (scale >= 1.0) return picture;
  const int width = std::max(1, static_cast<int>(picture.Width() * scale));
  const int height = std::max(1, static_cast<int>(picture.Height() * scale));
  TBitmap fitted(width, height);
  TCanvas(fitted).StretchDraw(Rect{0, 0, width, height}, picture);
  return fitted;
}

// Writes the container's preview picture; false when there is none or it does not decode.
bool WritePreviewPicture(const std::string& saver_path, const std::filesystem::path& output, ScreenSize size) {
  const std::optional<std::vector<std::uint8_t>> bytes = ReadSaverPreviewPicture(saver_path);
  if (!bytes || bytes->empty()) return false;
  TMemoryStream stream;
  stream.WriteBuffer(bytes->data(), bytes->size());
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromStream(&stream);
  } catch (const std::exception&) {
    return false;  // a damaged preview: the scene itself can still be shown
  }
  if (jpeg.Bitmap().Width() <= 0 || jpeg.Bitmap().Height() <= 0) return false;
  SavePng(FittedWithin(jpeg.Bitmap(), size), output);
  return true;
}

}  // namespace

int RunThumbnail(const std::string& saver_path, const std::filesystem::path& output, ScreenSize size) {
  ScopedMessageBoxes quiet(std::make_shared<SilentMessageBoxes>());
  try {
    if (WritePreviewPicture(saver_path, output, size)) return 0;
  } catch (const std::exception&) {
    return 1;  // no container where the file says: not a saver file
  }
  PlaybackRunOptions run;
  run.Screen = size;
  run.Steps = kThumbnailSteps;
  run.FinalPicture = output;
  std::ostringstream unused;
  return RunPlayback(saver_path, run, unused, unused);
}

}  // namespace velquora
