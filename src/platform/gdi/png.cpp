// PNG output and input through libpng's simplified interface.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/pixel_codec.h"

namespace velquora {

namespace {

// Frees the libpng image state on every path.
struct PngImage {
  png_image Image{};
  PngImage() { Image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&Image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
};

}  // namespace

std::vector<std::uint8_t> EncodePng(const TBitmap& bitmap) {
  if (bitmap.Empty()) throw EInvalidGraphic("Cannot write an empty bitmap as PNG");
  const auto width = static_cast<std::size_t>(bitmap.Width());
  std::vector<std::uint8_t> rgb(width * 3 * static_cast<std::size_t>(bitmap.Height()));
  std::vector<TColor> colours(width);
  for (int y = 0; y < bitmap.Height(); ++y) {
    gdi::DecodeRow(bitmap, y, 0, bitmap.Width(), colours.data());
    std::uint8_t* out = rgb.data() + static_cast<std::size_t>(y) * width * 3;
    for (std::size_t x = 0; x < width; ++x) {
      out[3 * x] = GetRValue(colours[x]);
      out[3 * x + 1] = GetGValue(colours[x]);
      out[3 * x + 2] = GetBValue(colours[x]);
    }
  }
  PngImage png;
  png.Image.width = static_cast<png_uint_32>(bitmap.Width());
  png.Image.height = static_cast<png_uint_32>(bitmap.Height());
  png.Image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png.Image, nullptr, &size, 0, rgb.data(), 0, nullptr))
    throw EInvalidGraphic(std::string("PNG encoding failed: ") + png.Image.message);
  std::vector<std::uint8_t> bytes(size);
  if (!png_image_write_to_memory(&png.Image, bytes.data(), &size, 0, rgb.data(), 0, nullptr))
    throw EInvalidGraphic(std::string("PNG encoding failed: ") + png.Image.message);
  bytes.resize(size);
  return bytes;
}

void SavePng(const TBitmap& bitmap, const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = EncodePng(bitmap);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw EFOpenError("Cannot create file \"" + path.string() + "\"");
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw EWriteError("Cannot write file \"" + path.string() + "\"");
}

namespace {

struct PngSource {
  std::span<const std::uint8_t> Bytes;
  std::size_t Position = 0;
};

void ReadFromSource(png_structp png, png_bytep out, std::size_t count) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (count > source->Bytes.size() - source->Position) png_error(png, "the data ends early");
  std::memcpy(out, source->Bytes.data() + source->Position, count);
  source->Position += count;
}

void KeepErrorMessage(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Reads the picture into bitmap as 8-bit B, G, R, A; returns false with error set when
// libpng fails. Everything that owns memory lives in the caller, so that the jump back
// from an error skips no destructor.
bool ReadPng(png_structp png, png_infop info, TBitmap& bitmap, std::vector<png_bytep>& rows, std::string& error) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (width > MaxBitmapDimension || height > MaxBitmapDimension) {
    error = "the picture is too large";
    return false;
  }
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != std::size_t{width} * 4) {
    error = "unexpected row layout";
    return false;
  }
  try {
    bitmap = TBitmap(static_cast<int>(width), static_cast<int>(height), PixelFormat::Bits32);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = bitmap.ScanLine(static_cast<int>(y));
  } catch (const std::exception& failure) {
    error = failure.what();
    return false;
  }
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

TBitmap DecodePng(std::span<const std::uint8_t> bytes) {
  std::string error;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, KeepErrorMessage, IgnoreWarning);
  if (png == nullptr) throw EInvalidGraphic("Invalid PNG: out of memory");
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    throw EInvalidGraphic("Invalid PNG: out of memory");
  }
  PngSource source{bytes, 0};
  png_set_read_fn(png, &source, ReadFromSource);
  TBitmap bitmap;
  std::vector<png_bytep> rows;
  const bool ok = ReadPng(png, info, bitmap, rows, error);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) throw EInvalidGraphic("Invalid PNG: " + error);
  return bitmap;
}

TBitmap LoadPng(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw EFOpenError("Cannot open file \"" + path.string() + "\"");
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return DecodePng(bytes);
}

}  // namespace velquora
