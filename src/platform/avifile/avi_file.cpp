#include "platform/avifile/avi_file.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include "platform/gdi/bitmap.h"
#include "platform/gdi/pixel_codec.h"

namespace velquora::avifile {

namespace {

bool& LibraryFlag() {
  static bool present = true;
  return present;
}

// FFmpeg's own messages would go to stderr; this system reports through its own paths.
void QuietLibrary() {
  static const bool quiet = [] {
    av_log_set_level(AV_LOG_QUIET);
    return true;
  }();
  (void)quiet;
}

// Packets one request may read, counting those of other streams and empty ones.
constexpr int kMaxPacketsPerRequest = 8 * kMaxDecodesPerRequest;

std::int32_t Clamp32(std::int64_t value) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

// A picture of width x height at 24 bits must fit the bitmap limits.
bool SizeAllowed(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0 || width > MaxBitmapDimension || height > MaxBitmapDimension) return false;
  return RowStride(static_cast<int>(width), PixelFormat::Bits24) * height <= MaxBitmapBytes;
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
void PutLe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

enum class PixelKind { Indexed, Bgr24, Rgb555, Rgb565, Other };

PixelKind KindOf(int format) {
  switch (format) {
    case AV_PIX_FMT_PAL8: return PixelKind::Indexed;
    case AV_PIX_FMT_BGR24: return PixelKind::Bgr24;
    case AV_PIX_FMT_RGB555LE: return PixelKind::Rgb555;
    case AV_PIX_FMT_RGB565LE: return PixelKind::Rgb565;
    default: return PixelKind::Other;
  }
}

}  // namespace

bool AviLibraryPresent() { return LibraryFlag(); }

ScopedAviLibraryAbsent::ScopedAviLibraryAbsent() : previous_(LibraryFlag()) { LibraryFlag() = false; }
ScopedAviLibraryAbsent::~ScopedAviLibraryAbsent() { LibraryFlag() = previous_; }

// The opened file: the demuxer, shared by the file and its frame readers.
struct TAviFile::Demuxer {
  AVFormatContext* Format = nullptr;
  ~Demuxer() { avformat_close_input(&Format); }
};

// A decoder of one video stream with the last picture it delivered.
struct TAviFrameReader::Decoder {
  std::shared_ptr<TAviFile::Demuxer> Demux;
  int StreamIndex = -1;
  AVCodecContext* Codec = nullptr;
  AVPacket* Packet = nullptr;
  AVFrame* Frame = nullptr;      // the picture decoded last
  SwsContext* Scaler = nullptr;
  std::int64_t DecodedPosition = -1;  // frame number of Frame; -1: none (after a seek)
  bool HavePicture = false;
  std::int64_t DibPosition = -1;      // frame number the packed picture holds
  std::vector<std::uint8_t> Dib;
  int DecodeCount = 0;
  std::int64_t StreamStart = 0;

  ~Decoder() {
    sws_freeContext(Scaler);
    av_frame_free(&Frame);
    av_packet_free(&Packet);
    avcodec_free_context(&Codec);
  }

  AVStream* Stream() const { return Demux->Format->streams[StreamIndex]; }

  // The key frame at or before position, from the file's index; the stream's start when
  // the index knows none.
  std::int64_t KeyFrameBefore(std::int64_t position) const {
    AVStream* stream = Stream();
    const int entry = av_index_search_timestamp(stream, position, AVSEEK_FLAG_BACKWARD);
    if (entry < 0) return StreamStart;
    const AVIndexEntry* found = avformat_index_get_entry(stream, entry);
    return found != nullptr ? found->timestamp : StreamStart;
  }

  void SeekTo(std::int64_t key) {
    if (av_seek_frame(Demux->Format, StreamIndex, key, AVSEEK_FLAG_BACKWARD) < 0)
      throw EAviError("Cannot seek in the clip");
    avcodec_flush_buffers(Codec);
    DecodedPosition = -1;
    HavePicture = false;
  }

  // Takes the decoder's next picture, when it has one; its position is its time stamp,
  // or the one after the last picture's.
  bool Receive() {
    const int result = avcodec_receive_frame(Codec, Frame);
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return false;
    if (result < 0) throw EAviError("Cannot decode the clip");
    const std::int64_t stamp = Frame->best_effort_timestamp;
    DecodedPosition = stamp != AV_NOPTS_VALUE ? stamp : DecodedPosition + 1;
    HavePicture = true;
    if (!SizeAllowed(Frame->width, Frame->height)) throw EAviError("Clip picture too large");
    return true;
  }

  // Decodes forward until the picture at position (or the last one before a gap past it).
  void DecodeUpTo(std::int64_t position) {
    int packets = 0;
    bool draining = false;
    while (!HavePicture || DecodedPosition < position) {
      if (draining) {
        if (!Receive()) throw EAviError("Frame beyond the end of the clip");
        continue;
      }
      if (++packets > kMaxPacketsPerRequest) throw EAviError("Clip frame out of reach");
      const int read = av_read_frame(Demux->Format, Packet);
      if (read < 0) {
        avcodec_send_packet(Codec, nullptr);
        draining = true;
        continue;
      }
      if (Packet->stream_index != StreamIndex) {
        av_packet_unref(Packet);
        continue;
      }
      if (Packet->size == 0) {
        // An empty chunk repeats the picture before it.
        if (HavePicture && Packet->dts != AV_NOPTS_VALUE) DecodedPosition = Packet->dts;
        av_packet_unref(Packet);
        continue;
      }
      if (++DecodeCount > kMaxDecodesPerRequest) {
        av_packet_unref(Packet);
        throw EAviError("Clip frame out of reach");
      }
      const int sent = avcodec_send_packet(Codec, Packet);
      av_packet_unref(Packet);
      if (sent < 0 && sent != AVERROR(EAGAIN)) {
        // A damaged packet: its picture is lost, the next one may decode.
        continue;
      }
      while (Receive()) {
        if (DecodedPosition >= position) break;
      }
    }
  }

  void PackIndexed(int width, int height) {
    const std::size_t stride = static_cast<std::size_t>(RowStride(width, PixelFormat::Bits8));
    const std::size_t header = kInfoHeaderSize + 256 * 4;
    Dib.assign(header + stride * static_cast<std::size_t>(height), 0);
    WriteHeader(width, height, 8, 256, stride * static_cast<std::size_t>(height));
    const auto* palette = reinterpret_cast<const std::uint32_t*>(Frame->data[1]);
    for (int i = 0; i < 256; ++i) {
      const std::uint32_t argb = palette[i];
      std::uint8_t* quad = Dib.data() + kInfoHeaderSize + 4 * static_cast<std::size_t>(i);
      quad[0] = static_cast<std::uint8_t>(argb);
      quad[1] = static_cast<std::uint8_t>(argb >> 8);
      quad[2] = static_cast<std::uint8_t>(argb >> 16);
    }
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* source = Frame->data[0] + static_cast<std::ptrdiff_t>(y) * Frame->linesize[0];
      std::memcpy(Dib.data() + header + stride * static_cast<std::size_t>(height - 1 - y), source,
                  static_cast<std::size_t>(width));
    }
  }

  void PackTrueColour(int width, int height, PixelKind kind) {
    const std::size_t stride = static_cast<std::size_t>(RowStride(width, PixelFormat::Bits24));
    Dib.assign(kInfoHeaderSize + stride * static_cast<std::size_t>(height), 0);
    WriteHeader(width, height, 24, 0, stride * static_cast<std::size_t>(height));
    std::uint8_t* bits = Dib.data() + kInfoHeaderSize;
    auto target_row = [&](int y) { return bits + stride * static_cast<std::size_t>(height - 1 - y); };
    if (kind == PixelKind::Other) {
      Scaler = sws_getCachedContext(Scaler, width, height, static_cast<AVPixelFormat>(Frame->format), width,
                                    height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
      if (Scaler == nullptr) throw EAviError("Unsupported clip pixel format");
      // Written bottom-up: the target starts at the last row and steps backwards.
      std::uint8_t* planes[4] = {target_row(0), nullptr, nullptr, nullptr};
      int strides[4] = {-static_cast<int>(stride), 0, 0, 0};
      sws_scale(Scaler, Frame->data, Frame->linesize, 0, height, planes, strides);
      return;
    }
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* source = Frame->data[0] + static_cast<std::ptrdiff_t>(y) * Frame->linesize[0];
      std::uint8_t* target = target_row(y);
      if (kind == PixelKind::Bgr24) {
        std::memcpy(target, source, static_cast<std::size_t>(width) * 3);
        continue;
      }
      for (int x = 0; x < width; ++x) {
        const auto value = static_cast<std::uint16_t>(source[2 * x] | (source[2 * x + 1] << 8));
        TColor colour = 0;
        if (kind == PixelKind::Rgb565) {
          colour = gdi::Decode565(value);
        } else {
          colour = RGB(gdi::ExpandChannel((value >> 10) & 0x1F, 5), gdi::ExpandChannel((value >> 5) & 0x1F, 5),
                       gdi::ExpandChannel(value & 0x1F, 5));
        }
        target[3 * x] = GetBValue(colour);
        target[3 * x + 1] = GetGValue(colour);
        target[3 * x + 2] = GetRValue(colour);
      }
    }
  }

  void WriteHeader(int width, int height, int bits, std::uint32_t colours, std::size_t image_size) {
    std::uint8_t* h = Dib.data();
    PutLe32(h, static_cast<std::uint32_t>(kInfoHeaderSize));
    PutLe32(h + 4, static_cast<std::uint32_t>(width));
    PutLe32(h + 8, static_cast<std::uint32_t>(height));
    PutLe16(h + 12, 1);
    PutLe16(h + 14, static_cast<std::uint16_t>(bits));
    PutLe32(h + 16, 0);  // BI_RGB
    PutLe32(h + 20, static_cast<std::uint32_t>(image_size));
    PutLe32(h + 32, colours);
  }

  void Pack() {
    const int width = Frame->width;
    const int height = Frame->height;
    const PixelKind kind = KindOf(Frame->format);
    if (kind == PixelKind::Indexed) {
      PackIndexed(width, height);
    } else {
      PackTrueColour(width, height, kind);
    }
  }
};

TAviFile::TAviFile(const std::filesystem::path& path) : demuxer_(std::make_shared<Demuxer>()) {
  QuietLibrary();
  if (!AviLibraryPresent()) throw EAviError("The AVI library is not available");
  // Only the AVI demuxer reads the file: no probing of other formats.
  const AVInputFormat* avi = av_find_input_format("avi");
  if (avi == nullptr) throw EAviError("The AVI library is not available");
  AVFormatContext* format = avformat_alloc_context();
  if (format == nullptr) throw EAviError("Out of memory");
  format->max_streams = kMaxStreams;
  if (avformat_open_input(&format, path.c_str(), avi, nullptr) < 0) throw EAviError("Not an AVI file");
  demuxer_->Format = format;
}

TAviFile::~TAviFile() = default;

int TAviFile::StreamCount() const {
  return static_cast<int>(std::min<unsigned>(demuxer_->Format->nb_streams, kMaxStreams));
}

TAviStreamInfo TAviFile::StreamInfo(int index) const {
  if (index < 0 || index >= StreamCount()) throw EAviError("No such stream");
  const AVStream* stream = demuxer_->Format->streams[index];
  TAviStreamInfo info;
  switch (stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO: info.Type = streamtypeVIDEO; break;
    case AVMEDIA_TYPE_AUDIO: info.Type = streamtypeAUDIO; break;
    case AVMEDIA_TYPE_SUBTITLE: info.Type = streamtypeTEXT; break;
    default: break;
  }
  // The demuxer keeps the header's scale / rate as the stream's time base.
  info.Rate = static_cast<std::uint32_t>(std::max(stream->time_base.den, 0));
  info.Scale = static_cast<std::uint32_t>(std::max(stream->time_base.num, 0));
  const std::int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
  info.Start = Clamp32(start);
  const std::int64_t length = stream->duration != AV_NOPTS_VALUE ? stream->duration : stream->nb_frames;
  info.Length = Clamp32(length + start);
  return info;
}

std::unique_ptr<TAviFrameReader> TAviFile::OpenFrameReader(int index) {
  if (index < 0 || index >= StreamCount()) throw EAviError("No such stream");
  AVStream* stream = demuxer_->Format->streams[index];
  const AVCodecParameters* parameters = stream->codecpar;
  if (parameters->codec_type != AVMEDIA_TYPE_VIDEO) throw EAviError("Not a video stream");
  // Refused before any decoder allocates a picture.
  if (!SizeAllowed(parameters->width, parameters->height)) throw EAviError("Clip picture too large");
  const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
  if (codec == nullptr) throw EAviError("No decoder for the clip's video");

  auto decoder = std::make_unique<TAviFrameReader::Decoder>();
  decoder->Demux = demuxer_;
  decoder->StreamIndex = index;
  decoder->StreamStart = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
  decoder->Codec = avcodec_alloc_context3(codec);
  decoder->Packet = av_packet_alloc();
  decoder->Frame = av_frame_alloc();
  if (decoder->Codec == nullptr || decoder->Packet == nullptr || decoder->Frame == nullptr)
    throw EAviError("Out of memory");
  if (avcodec_parameters_to_context(decoder->Codec, parameters) < 0) throw EAviError("Bad video parameters");
  decoder->Codec->thread_count = 1;  // one thread: the same pictures on every run
  decoder->Codec->max_pixels = static_cast<std::int64_t>(MaxBitmapBytes / 3);
  decoder->Codec->pkt_timebase = stream->time_base;
  if (avcodec_open2(decoder->Codec, codec, nullptr) < 0) throw EAviError("Cannot open the clip's decoder");
  for (unsigned i = 0; i < demuxer_->Format->nb_streams; ++i)
    demuxer_->Format->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  return std::unique_ptr<TAviFrameReader>(new TAviFrameReader(std::move(decoder)));
}

TAviFrameReader::TAviFrameReader(std::unique_ptr<Decoder> decoder) : decoder_(std::move(decoder)) {}
TAviFrameReader::~TAviFrameReader() = default;

std::span<const std::uint8_t> TAviFrameReader::GetFrame(std::int32_t position) {
  Decoder& d = *decoder_;
  d.DecodeCount = 0;
  if (d.DibPosition == position && !d.Dib.empty()) return d.Dib;
  d.DibPosition = -1;
  const std::int64_t key = d.KeyFrameBefore(position);
  // Playing on from the picture decoded last when it lies between the key frame and the
  // target; otherwise from the key frame.
  const bool on_from_last = d.HavePicture && d.DecodedPosition >= key && d.DecodedPosition <= position;
  try {
    if (!on_from_last) d.SeekTo(key);
    d.DecodeUpTo(position);
    d.Pack();
  } catch (...) {
    // The next request starts again from a key frame.
    d.HavePicture = false;
    throw;
  }
  d.DibPosition = position;
  return d.Dib;
}

int TAviFrameReader::LastDecodeCount() const { return decoder_->DecodeCount; }

}  // namespace velquora::avifile
