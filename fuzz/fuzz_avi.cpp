// Arbitrary bytes as an embedded AVI clip: written to its temporary file, opened, every
// picture asked for (in order, past the end, and back to the first), then closed. Every
// picture must fit the bitmap limits, and no temporary file may be left behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "core/memory_stream.h"
#include "fuzz_temp_directory.h"
#include "media/avi_image.h"
#include "platform/system/tick_count.h"

namespace {

// Pictures asked for per input; clips are played to their end only up to this many.
constexpr std::int32_t kMaxRequests = 48;

bool FolderIsEmpty(const std::filesystem::path& folder) {
  return std::filesystem::directory_iterator(folder) == std::filesystem::directory_iterator();
}

void CheckPicture(const velquora::TBitmap& picture) {
  if (picture.Width() > velquora::MaxBitmapDimension || picture.Height() > velquora::MaxBitmapDimension) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  velquora::UseOwnTemporaryDirectory("fuzz_avi");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velquora::ScopedVirtualClock clock;
  velquora::TMemoryStream stream;
  velquora::WriteShortString(stream, "clip.avi");
  velquora::WriteInt32(stream, static_cast<std::int32_t>(size));
  if (size > 0) stream.WriteBuffer(data, size);
  stream.SetPosition(0);
  {
    velquora::TAVIImage avi;
    avi.LoadFromStream(stream);
    // The stream stays aligned whatever the clip held.
    if (stream.Position() != stream.Size()) std::abort();
    velquora::TBitmap picture;
    if (avi.HasClip()) {
      const std::int32_t last = std::min(avi.FrameCount, kMaxRequests);
      for (std::int32_t n = 1; n <= last + 1; ++n) {
        clock.Set(static_cast<std::uint32_t>(n) * 50);
        if (avi.GetFrame(n, picture)) CheckPicture(picture);
      }
      if (avi.GetFrame(1, picture)) CheckPicture(picture);
      if (avi.GetFrame(0, picture)) CheckPicture(picture);
    }
  }
  if (!FolderIsEmpty(velquora::OwnTemporaryDirectory())) std::abort();
  return 0;
}
