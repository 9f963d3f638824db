#pragma once
// Test support: decodes GIF bytes with giflib, the reference the GIF decoder is compared against.
#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace velquora::test {

struct ReferenceImage {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Indices;  // display row order
};

struct ReferenceGif {
  bool Ok = false;  // giflib read the whole file
  std::vector<ReferenceImage> Images;
};

inline ReferenceGif DecodeWithGiflib(std::span<const std::uint8_t> bytes) {
  struct Source {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
  } source{bytes};
  auto read = [](GifFileType* gif, GifByteType* buffer, int count) -> int {
    auto* from = static_cast<Source*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), from->bytes.size() - from->position);
    std::memcpy(buffer, from->bytes.data() + from->position, n);
    from->position += n;
    return static_cast<int>(n);
  };
  ReferenceGif result;
  int error = 0;
  GifFileType* gif = DGifOpen(&source, read, &error);
  if (gif == nullptr) return result;
  result.Ok = DGifSlurp(gif) == GIF_OK;
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& saved = gif->SavedImages[i];
    ReferenceImage image{saved.ImageDesc.Left, saved.ImageDesc.Top, saved.ImageDesc.Width, saved.ImageDesc.Height, {}};
    if (saved.RasterBits != nullptr)
      image.Indices.assign(saved.RasterBits, saved.RasterBits + std::size_t(image.Width) * image.Height);
    result.Images.push_back(std::move(image));
  }
  DGifCloseFile(gif, &error);
  return result;
}

}  // namespace velquora::test
