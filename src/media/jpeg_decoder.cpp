#include "media/jpeg_decoder.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h uses FILE
#include <cstring>
#include <utility>

#include <jerror.h>
#include <jpeglib.h>

#include "core/memory_stream.h"
#include "platform/gdi/bitmap.h"

// How fatal library errors come back to C++.
//
// libjpeg reports a fatal error by calling the error manager's error_exit, which must not
// return. Throwing a C++ exception from it would unwind through the library's C frames,
// which are not compiled with unwind tables, so that is not sound. Instead error_exit
// formats the message into the session and longjmps back to a setjmp point. longjmp is
// only defined when the frames it skips hold nothing with a destructor, so:
//   - every library call runs inside one of the small "phase" functions below, whose only
//     locals are plain values and which return false after a jump;
//   - the callbacks the library calls (error manager, source, comment handler, progress
//     hook) touch only the plain-data Session and never throw;
//   - everything that owns memory (the bitmap file image, the exception) lives in the C++
//     caller, which sees the phase's result, and a guard there destroys the decompressor
//     on every path, so neither a jump nor an exception can leak it.
// The phases split where C++ has to allocate (the bitmap image, between reading the
// header and decompressing), so no allocation happens while a jump could be pending.

namespace velquora {
namespace {

// Everything one decompression needs, as plain data, reachable from every callback
// through the decompressor's client_data.
struct Session {
  jpeg_decompress_struct Decompressor;
  jpeg_error_mgr Errors;
  jpeg_source_mgr Source;
  jpeg_progress_mgr Progress;
  std::jmp_buf FatalError;
  char Message[JMSG_LENGTH_MAX];  // the text of the fatal error
  const JOCTET* Data;             // the compressed bytes
  std::size_t Size;
  bool DataHandedOver;  // the source has given the library the bytes
};

Session& SessionOf(j_common_ptr common) { return *static_cast<Session*>(common->client_data); }
Session& SessionOf(j_decompress_ptr decompressor) {
  return *static_cast<Session*>(decompressor->client_data);
}

[[noreturn]] void LeaveWith(Session& session, const char* message) {
  std::snprintf(session.Message, sizeof session.Message, "%s", message);
  std::longjmp(session.FatalError, 1);
}

// --- error manager: the library's standard one, with these two handlers replaced ---

[[noreturn]] void OnFatalError(j_common_ptr common) {
  Session& session = SessionOf(common);
  (*common->err->format_message)(common, session.Message);
  std::longjmp(session.FatalError, 1);
}

// Warnings are counted by the standard emit_message; the adapter reports them as a whole,
// so their text goes nowhere.
void DiscardMessage(j_common_ptr) {}

// --- source over the bytes in memory, behaving as the library's standard stream source ---

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr decompressor) {
  static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
  Session& session = SessionOf(decompressor);
  jpeg_source_mgr& source = *decompressor->src;
  if (!session.DataHandedOver) {
    session.DataHandedOver = true;
    if (session.Size == 0) ERREXIT(decompressor, JERR_INPUT_EMPTY);
    source.next_input_byte = session.Data;
    source.bytes_in_buffer = session.Size;
    return TRUE;
  }
  // The data ended early: warn and end the image so that decoding completes.
  WARNMS(decompressor, JWRN_JPEG_EOF);
  source.next_input_byte = kEndOfImage;
  source.bytes_in_buffer = sizeof kEndOfImage;
  return TRUE;
}

void SkipInputData(j_decompress_ptr decompressor, long count) {
  if (count <= 0) return;
  jpeg_source_mgr& source = *decompressor->src;
  while (count > static_cast<long>(source.bytes_in_buffer)) {
    count -= static_cast<long>(source.bytes_in_buffer);
    (*source.fill_input_buffer)(decompressor);  // never suspends
  }
  source.next_input_byte += count;
  source.bytes_in_buffer -= static_cast<std::size_t>(count);
}

int NextByte(j_decompress_ptr decompressor) {
  jpeg_source_mgr& source = *decompressor->src;
  if (source.bytes_in_buffer == 0) (*source.fill_input_buffer)(decompressor);
  --source.bytes_in_buffer;
  return *source.next_input_byte++;
}

// COM segments are skipped: a two-byte big-endian length that counts itself, then text.
boolean SkipComment(j_decompress_ptr decompressor) {
  const int high = NextByte(decompressor);
  const long length = (static_cast<long>(high) << 8) + NextByte(decompressor);
  (*decompressor->src->skip_input_data)(decompressor, length - 2);
  return TRUE;
}

// Stops files that keep adding scans: each scan is another pass over the whole image.
void LimitScans(j_common_ptr common) {
  Session& session = SessionOf(common);
  if (session.Decompressor.input_scan_number > kMaxJpegScans)
    LeaveWith(session, "JPEG file has too many scans");
}

void SetUp(Session& session, std::span<const std::uint8_t> jpeg) {
  session.Decompressor.err = jpeg_std_error(&session.Errors);
  session.Errors.error_exit = OnFatalError;
  session.Errors.output_message = DiscardMessage;
  session.Decompressor.client_data = &session;
  session.Data = jpeg.data();
  session.Size = jpeg.size();
  session.Source.init_source = InitSource;
  session.Source.fill_input_buffer = FillInputBuffer;
  session.Source.skip_input_data = SkipInputData;
  session.Source.resync_to_restart = jpeg_resync_to_restart;
  session.Source.term_source = TermSource;
  session.Progress.progress_monitor = LimitScans;
}

// Destroys the decompressor however the decoding ends (safe before creation too: the
// session starts zeroed).
class DecompressorGuard {
public:
  explicit DecompressorGuard(Session& session) : session_(session) {}
  ~DecompressorGuard() { jpeg_destroy_decompress(&session_.Decompressor); }
  DecompressorGuard(const DecompressorGuard&) = delete;
  DecompressorGuard& operator=(const DecompressorGuard&) = delete;

private:
  Session& session_;
};

// The adapter's options onto the library's parameters, in this order; later rules
// override earlier ones.
void ApplyOptions(jpeg_decompress_struct& decompressor, const JpegOptions& options) {
  decompressor.err->trace_level = 0;
  if (options.ColorMode == 0 || options.ColorMode == 1) {
    decompressor.quantize_colors = TRUE;
    decompressor.desired_number_of_colors = options.ColorMode == 0 ? 16 : 256;
  }
  switch (options.DctMethod) {
    case 0: decompressor.dct_method = JDCT_ISLOW; break;
    case 1: decompressor.dct_method = JDCT_IFAST; break;
    case 2: decompressor.dct_method = JDCT_FLOAT; break;
    default: break;
  }
  switch (options.DitherMode) {
    case 0: decompressor.dither_mode = JDITHER_NONE; break;
    case 1: decompressor.dither_mode = JDITHER_FS; break;
    case 2: decompressor.dither_mode = JDITHER_ORDERED; break;
    default: break;
  }
  if (options.FastDecode) {
    decompressor.two_pass_quantize = FALSE;
    decompressor.dither_mode = JDITHER_ORDERED;
    if (!decompressor.quantize_colors) decompressor.desired_number_of_colors = 216;
    decompressor.dct_method = JDCT_IFAST;
    decompressor.do_fancy_upsampling = FALSE;
  }
  if (options.GrayOutput) decompressor.out_color_space = JCS_GRAYSCALE;
  if (options.NoSmoothing) decompressor.do_fancy_upsampling = FALSE;
  if (options.OnePassQuantize) decompressor.two_pass_quantize = FALSE;
}

// Phase 1: create the decompressor, read the header and settle the output dimensions.
// The header read resets the parameters, so the options are applied on both sides of it.
bool ReadHeader(Session& session, const JpegOptions& options) {
  if (setjmp(session.FatalError) != 0) return false;
  jpeg_decompress_struct& decompressor = session.Decompressor;
  jpeg_create_decompress(&decompressor);
  decompressor.progress = &session.Progress;
  jpeg_set_marker_processor(&decompressor, JPEG_COM, SkipComment);
  ApplyOptions(decompressor, options);
  decompressor.src = &session.Source;
  if (jpeg_read_header(&decompressor, TRUE) != JPEG_HEADER_OK) LeaveWith(session, "JPEG header incomplete");
  ApplyOptions(decompressor, options);
  jpeg_calc_output_dimensions(&decompressor);
  return true;
}

// Where the decoded rows go inside the bitmap file image.
struct BmpLayout {
  JDIMENSION Width;
  JDIMENSION Height;
  int Components;             // samples per pixel the library delivers (1 or 3)
  std::size_t RowBytes;       // a row padded to 4 bytes
  std::uint8_t* Pixels;       // the bottom row first
  std::uint8_t* ColourTable;  // 256 entries B, G, R, 0; null for 24-bit output
};

void SwapRedAndBlue(JSAMPROW row, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
}

// The quantiser's colour map, when there is one, replaces the grey ramp of the table.
bool CopyColourMap(const jpeg_decompress_struct& decompressor, std::uint8_t* table) {
  if (decompressor.colormap == nullptr || table == nullptr) return true;
  const int count = decompressor.actual_number_of_colors;
  if (count < 0 || count > 256) return false;
  const bool rgb = decompressor.out_color_components == 3;
  for (int i = 0; i < count; ++i) {
    std::uint8_t* entry = table + 4 * i;
    entry[0] = decompressor.colormap[rgb ? 2 : 0][i];
    entry[1] = decompressor.colormap[rgb ? 1 : 0][i];
    entry[2] = decompressor.colormap[0][i];
    entry[3] = 0;
  }
  for (int i = count; i < 256; ++i) std::memset(table + 4 * i, 0, 4);
  return true;
}

// Phase 2: decompress every row into its place in the bitmap file image.
bool Decompress(Session& session, const BmpLayout& layout) {
  if (setjmp(session.FatalError) != 0) return false;
  jpeg_decompress_struct& decompressor = session.Decompressor;
  jpeg_start_decompress(&decompressor);
  if (decompressor.output_width != layout.Width || decompressor.output_height != layout.Height ||
      decompressor.output_components != layout.Components)
    LeaveWith(session, "JPEG output does not match its header");
  while (decompressor.output_scanline < decompressor.output_height) {
    JSAMPROW row = layout.Pixels + (layout.Height - 1 - decompressor.output_scanline) * layout.RowBytes;
    if (jpeg_read_scanlines(&decompressor, &row, 1) != 1) LeaveWith(session, "JPEG data suspended");
    if (layout.ColourTable == nullptr) SwapRedAndBlue(row, layout.Width);
  }
  if (!CopyColourMap(decompressor, layout.ColourTable)) LeaveWith(session, "Too many colors in JPEG colour map");
  jpeg_finish_decompress(&decompressor);
  return true;
}

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kColourTableEntries = 256;

struct BmpShape {
  bool TrueColour;  // 24 bits per pixel, no colour table
  std::size_t RowBytes;
  std::size_t HeaderBytes;  // file and info headers and the colour table
  std::size_t FileBytes;
};

// Decides the bitmap's form as the sample BMP writer does, and refuses what the bitmap
// cannot hold before anything is allocated.
BmpShape ShapeFor(const jpeg_decompress_struct& decompressor, std::int64_t pixelLimit) {
  const bool grey = decompressor.out_color_space == JCS_GRAYSCALE;
  if (!grey && decompressor.out_color_space != JCS_RGB)
    throw EJPEGException("BMP output must be grayscale or RGB");
  const std::int64_t width = decompressor.output_width;
  const std::int64_t height = decompressor.output_height;
  BmpShape shape{};
  shape.TrueColour = !grey && !decompressor.quantize_colors;
  shape.RowBytes = static_cast<std::size_t>((width * (shape.TrueColour ? 3 : 1) + 3) / 4 * 4);
  const std::int64_t pixelBytes = static_cast<std::int64_t>(shape.RowBytes) * height;
  if (width > MaxBitmapDimension || height > MaxBitmapDimension || pixelBytes > MaxBitmapBytes ||
      width * height > pixelLimit)
    throw EJPEGException("JPEG image is too large");
  shape.HeaderBytes = kFileHeaderBytes + kInfoHeaderBytes + (shape.TrueColour ? 0 : 4 * kColourTableEntries);
  shape.FileBytes = shape.HeaderBytes + static_cast<std::size_t>(pixelBytes);
  return shape;
}

// The headers as the sample writer fills them; the colour table is a grey ramp until a
// quantiser's map replaces it; the pixels are zero (which is also the rows' padding).
std::vector<std::uint8_t> NewBmpFile(const jpeg_decompress_struct& decompressor, const BmpShape& shape) {
  TMemoryStream stream;
  WriteByte(stream, 'B');
  WriteByte(stream, 'M');
  WriteUInt32(stream, static_cast<std::uint32_t>(shape.FileBytes));
  WriteUInt32(stream, 0);  // reserved
  WriteUInt32(stream, static_cast<std::uint32_t>(shape.HeaderBytes));
  WriteUInt32(stream, kInfoHeaderBytes);
  WriteInt32(stream, static_cast<std::int32_t>(decompressor.output_width));
  WriteInt32(stream, static_cast<std::int32_t>(decompressor.output_height));  // bottom-up
  WriteUInt16(stream, 1);                                                      // planes
  WriteUInt16(stream, shape.TrueColour ? 24 : 8);
  WriteUInt32(stream, 0);  // uncompressed
  WriteUInt32(stream, 0);  // image size, may be 0 when uncompressed
  const bool dotsPerCentimetre = decompressor.density_unit == 2;
  WriteUInt32(stream, dotsPerCentimetre ? decompressor.X_density * 100U : 0U);  // per metre
  WriteUInt32(stream, dotsPerCentimetre ? decompressor.Y_density * 100U : 0U);
  WriteUInt32(stream, shape.TrueColour ? 0 : kColourTableEntries);  // colours used
  WriteUInt32(stream, 0);                                           // important colours
  if (!shape.TrueColour) {
    for (std::uint32_t i = 0; i < kColourTableEntries; ++i) {
      const auto level = static_cast<std::uint8_t>(i);
      const std::uint8_t entry[4] = {level, level, level, 0};
      stream.WriteBuffer(entry, sizeof entry);
    }
  }
  std::vector<std::uint8_t> file = stream.TakeBytes();
  file.resize(shape.FileBytes);
  return file;
}

}  // namespace

JpegBmpImage DecodeJpegToBmp(std::span<const std::uint8_t> jpeg, const JpegOptions& options,
                             std::int64_t pixelLimit) {
  Session session{};
  SetUp(session, jpeg);
  DecompressorGuard guard(session);
  if (!ReadHeader(session, options)) throw EJPEGException(session.Message);

  const jpeg_decompress_struct& decompressor = session.Decompressor;
  const BmpShape shape = ShapeFor(decompressor, pixelLimit);
  JpegBmpImage image;
  image.File = NewBmpFile(decompressor, shape);
  const BmpLayout layout{decompressor.output_width,
                         decompressor.output_height,
                         decompressor.output_components,
                         shape.RowBytes,
                         image.File.data() + shape.HeaderBytes,
                         shape.TrueColour ? nullptr : image.File.data() + kFileHeaderBytes + kInfoHeaderBytes};
  if (!Decompress(session, layout)) throw EJPEGException(session.Message);
  image.Warnings = session.Errors.num_warnings;
  return image;
}

}  // namespace velquora
