#include "jpeg_writer.h"

#include <cmath>
#include <csetjmp>
#include <cstdio>  // jpeglib.h uses FILE
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <jpeglib.h>

namespace velquora {
namespace {

// Plain data only: a fatal library error longjmps back into Compress (see the adapter's
// decoder for why a C++ exception must not cross the library's frames).
struct Encoder {
  jpeg_compress_struct Compressor;
  jpeg_error_mgr Errors;
  std::jmp_buf FatalError;
  char Message[JMSG_LENGTH_MAX];
  unsigned char* Output;  // allocated by the library's memory destination
  unsigned long OutputSize;
};

[[noreturn]] void OnFatalError(j_common_ptr common) {
  auto& encoder = *static_cast<Encoder*>(common->client_data);
  (*common->err->format_message)(common, encoder.Message);
  std::longjmp(encoder.FatalError, 1);
}

struct Job {
  int Width;
  int Height;
  int Components;
  J_COLOR_SPACE Space;
  const JpegWriterSettings* Settings;
  JSAMPARRAY Rows;
  jpeg_scan_info* Scans;
  int ScanCount;
};

bool Compress(Encoder& encoder, const Job& job) {
  if (setjmp(encoder.FatalError) != 0) return false;
  jpeg_compress_struct& compressor = encoder.Compressor;
  jpeg_create_compress(&compressor);
  jpeg_mem_dest(&compressor, &encoder.Output, &encoder.OutputSize);
  compressor.image_width = static_cast<JDIMENSION>(job.Width);
  compressor.image_height = static_cast<JDIMENSION>(job.Height);
  compressor.input_components = job.Components;
  compressor.in_color_space = job.Space;
  jpeg_set_defaults(&compressor);
  jpeg_set_quality(&compressor, job.Settings->Quality, TRUE);
  if (job.Settings->Progressive) jpeg_simple_progression(&compressor);
  if (job.ScanCount > 0) {
    compressor.scan_info = job.Scans;
    compressor.num_scans = job.ScanCount;
  }
  jpeg_start_compress(&compressor, TRUE);
  while (compressor.next_scanline < compressor.image_height)
    jpeg_write_scanlines(&compressor, job.Rows + compressor.next_scanline,
                         compressor.image_height - compressor.next_scanline);
  jpeg_finish_compress(&compressor);
  return true;
}

int ComponentsOf(JpegSampleSpace space) {
  switch (space) {
    case JpegSampleSpace::Grey: return 1;
    case JpegSampleSpace::Rgb: return 3;
    case JpegSampleSpace::Cmyk: return 4;
  }
  return 3;
}

J_COLOR_SPACE LibrarySpaceOf(JpegSampleSpace space) {
  switch (space) {
    case JpegSampleSpace::Grey: return JCS_GRAYSCALE;
    case JpegSampleSpace::Rgb: return JCS_RGB;
    case JpegSampleSpace::Cmyk: return JCS_CMYK;
  }
  return JCS_RGB;
}

std::vector<jpeg_scan_info> LibraryScansOf(const std::vector<JpegScan>& scans) {
  std::vector<jpeg_scan_info> result;
  for (const JpegScan& scan : scans) {
    if (scan.Components.empty() || scan.Components.size() > MAX_COMPS_IN_SCAN)
      throw std::runtime_error("a scan covers 1 to 4 components");
    jpeg_scan_info info{};
    info.comps_in_scan = static_cast<int>(scan.Components.size());
    for (std::size_t i = 0; i < scan.Components.size(); ++i) info.component_index[i] = scan.Components[i];
    info.Ss = scan.Ss;
    info.Se = scan.Se;
    info.Ah = scan.Ah;
    info.Al = scan.Al;
    result.push_back(info);
  }
  return result;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(std::span<const std::uint8_t> samples, int width, int height,
                                     JpegSampleSpace space, const JpegWriterSettings& settings) {
  const int components = ComponentsOf(space);
  if (width <= 0 || height <= 0 ||
      samples.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * components)
    throw std::runtime_error("sample count does not match the picture size");
  std::vector<JSAMPROW> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    rows[static_cast<std::size_t>(y)] =
        const_cast<JSAMPLE*>(samples.data()) + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * components;
  std::vector<jpeg_scan_info> scans = LibraryScansOf(settings.Scans);

  Encoder encoder{};
  encoder.Compressor.err = jpeg_std_error(&encoder.Errors);
  encoder.Errors.error_exit = OnFatalError;
  encoder.Compressor.client_data = &encoder;
  const Job job{width, height, components, LibrarySpaceOf(space), &settings, rows.data(), scans.data(),
                static_cast<int>(scans.size())};
  const bool done = Compress(encoder, job);
  jpeg_destroy_compress(&encoder.Compressor);
  std::vector<std::uint8_t> file;
  if (done) file.assign(encoder.Output, encoder.Output + encoder.OutputSize);
  std::free(encoder.Output);
  if (!done) throw std::runtime_error(std::string("JPEG encoder: ") + encoder.Message);
  return file;
}

std::vector<std::uint8_t> PhotoLikeRgb(int width, int height) {
  std::vector<std::uint8_t> samples(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  std::uint32_t grain = 12345;
  std::size_t i = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / width;
      const double v = static_cast<double>(y) / height;
      const double ring = std::sin(18.0 * std::hypot(u - 0.6, v - 0.4));
      const double channels[3] = {200.0 * u + 40.0 * ring, 90.0 + 110.0 * v - 30.0 * ring,
                                  160.0 - 100.0 * u * v + 50.0 * std::cos(7.0 * u + 3.0 * v)};
      for (double value : channels) {
        grain = grain * 1103515245U + 12345U;
        value += static_cast<double>((grain >> 16) % 9) - 4.0;
        samples[i++] = static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, value))));
      }
    }
  }
  return samples;
}

}  // namespace velquora
