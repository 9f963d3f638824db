#pragma once
// Shared by the JPEG adapter's tests: the reference files, a reader for the fields of a
// bitmap file image, and a reference decoding straight through libjpeg.
#include <csetjmp>
#include <cstdint>
#include <cstdio>  // jpeglib.h uses FILE
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "core/memory_stream.h"
#include "core/stream.h"

namespace velquora::jpeg_test {

inline std::vector<std::uint8_t> ReadJpegTestFile(const std::string& relative) {
  const std::string path = std::string(VELQUORA_TEST_FILES) + "/jpeg/" + relative;
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("missing test file " + path);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The fields of a Windows bitmap file image with a 40-byte info header.
struct BmpFields {
  std::uint32_t FileSize = 0;
  std::uint32_t PixelOffset = 0;
  std::uint32_t InfoSize = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // positive: bottom-up
  std::uint16_t Planes = 0;
  std::uint16_t BitCount = 0;
  std::uint32_t Compression = 0;
  std::uint32_t ColoursUsed = 0;
  std::vector<std::uint8_t> ColourTable;  // 4 bytes an entry: B, G, R, 0
  std::vector<std::uint8_t> Pixels;       // from PixelOffset to the end

  std::size_t RowBytes() const { return (static_cast<std::size_t>(Width) * BitCount / 8 + 3) / 4 * 4; }
  // Row y counted from the top of the picture.
  const std::uint8_t* TopDownRow(int y) const {
    return Pixels.data() + static_cast<std::size_t>(Height - 1 - y) * RowBytes();
  }
};

inline BmpFields ParseBmp(const std::vector<std::uint8_t>& file) {
  TMemoryStream stream(file);
  BmpFields bmp;
  if (ReadByte(stream) != 'B' || ReadByte(stream) != 'M') throw std::runtime_error("not a bitmap file");
  bmp.FileSize = ReadUInt32(stream);
  ReadUInt32(stream);
  bmp.PixelOffset = ReadUInt32(stream);
  bmp.InfoSize = ReadUInt32(stream);
  bmp.Width = ReadInt32(stream);
  bmp.Height = ReadInt32(stream);
  bmp.Planes = ReadUInt16(stream);
  bmp.BitCount = ReadUInt16(stream);
  bmp.Compression = ReadUInt32(stream);
  ReadUInt32(stream);
  ReadUInt32(stream);
  ReadUInt32(stream);
  bmp.ColoursUsed = ReadUInt32(stream);
  ReadUInt32(stream);
  bmp.ColourTable = ReadBytes(stream, static_cast<std::int64_t>(bmp.PixelOffset) - stream.Position());
  bmp.Pixels = ReadBytes(stream, stream.Remaining());
  return bmp;
}

// Parameters the reference decoding sets after reading the header; unset ones keep the
// library's defaults.
struct ReferenceParameters {
  std::optional<int> Colours;  // quantise to this many colours
  std::optional<J_DCT_METHOD> Dct;
  std::optional<J_DITHER_MODE> Dither;
  std::optional<bool> TwoPass;
  std::optional<bool> Fancy;
  bool Grey = false;
};

struct ReferenceImage {
  int Width = 0;
  int Height = 0;
  int Components = 0;                        // samples per pixel delivered
  std::vector<std::vector<std::uint8_t>> Rows;  // top-down
  std::vector<std::uint8_t> ColourMap;       // R, G, B per entry (grey entries repeated)
  long Warnings = 0;
};

namespace detail {
struct ReferenceSession {
  jpeg_decompress_struct Decompressor;
  jpeg_error_mgr Errors;
  std::jmp_buf Jump;
};
[[noreturn]] inline void ReferenceFatal(j_common_ptr common) {
  std::longjmp(static_cast<ReferenceSession*>(common->client_data)->Jump, 1);
}
inline void ReferenceQuiet(j_common_ptr) {}

// Plain data only between setjmp and the library's calls.
inline bool ReferenceRun(ReferenceSession& session, const std::vector<std::uint8_t>& jpeg,
                         const ReferenceParameters& parameters, JSAMPARRAY* rows, int* height) {
  if (setjmp(session.Jump) != 0) return false;
  jpeg_decompress_struct& d = session.Decompressor;
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&d, TRUE);
  if (parameters.Colours) {
    d.quantize_colors = TRUE;
    d.desired_number_of_colors = *parameters.Colours;
  }
  if (parameters.Dct) d.dct_method = *parameters.Dct;
  if (parameters.Dither) d.dither_mode = *parameters.Dither;
  if (parameters.TwoPass) d.two_pass_quantize = *parameters.TwoPass ? TRUE : FALSE;
  if (parameters.Fancy) d.do_fancy_upsampling = *parameters.Fancy ? TRUE : FALSE;
  if (parameters.Grey) d.out_color_space = JCS_GRAYSCALE;
  jpeg_start_decompress(&d);
  *height = static_cast<int>(d.output_height);
  *rows = (*d.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d), JPOOL_IMAGE,
                                 d.output_width * static_cast<JDIMENSION>(d.output_components), d.output_height);
  while (d.output_scanline < d.output_height) jpeg_read_scanlines(&d, *rows + d.output_scanline, 1);
  return true;
}
}  // namespace detail

// Decodes jpeg with the library alone; throws std::runtime_error on a fatal error.
inline ReferenceImage ReferenceDecode(const std::vector<std::uint8_t>& jpeg, const ReferenceParameters& parameters) {
  detail::ReferenceSession session{};
  session.Decompressor.err = jpeg_std_error(&session.Errors);
  session.Errors.error_exit = detail::ReferenceFatal;
  session.Errors.output_message = detail::ReferenceQuiet;
  session.Decompressor.client_data = &session;
  JSAMPARRAY rows = nullptr;
  int height = 0;
  const bool done = detail::ReferenceRun(session, jpeg, parameters, &rows, &height);
  ReferenceImage image;
  jpeg_decompress_struct& d = session.Decompressor;
  if (done) {
    image.Width = static_cast<int>(d.output_width);
    image.Height = height;
    image.Components = d.output_components;
    const std::size_t rowBytes = static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Components);
    for (int y = 0; y < height; ++y) image.Rows.emplace_back(rows[y], rows[y] + rowBytes);
    if (d.colormap != nullptr) {
      for (int i = 0; i < d.actual_number_of_colors; ++i)
        for (int c = 0; c < 3; ++c) image.ColourMap.push_back(d.colormap[d.out_color_components == 3 ? c : 0][i]);
    }
    image.Warnings = session.Errors.num_warnings;
  }
  jpeg_destroy_decompress(&d);
  if (!done) throw std::runtime_error("reference decoding failed");
  return image;
}

// The library's own text for a message code, formatted as its standard error manager does.
inline std::string LibraryMessage(int code, int parameter = 0) {
  jpeg_decompress_struct d{};
  jpeg_error_mgr errors{};
  d.err = jpeg_std_error(&errors);
  errors.msg_code = code;
  errors.msg_parm.i[0] = parameter;
  char text[JMSG_LENGTH_MAX] = {};
  (*errors.format_message)(reinterpret_cast<j_common_ptr>(&d), text);
  return text;
}

}  // namespace velquora::jpeg_test
