#include "platform/video/video_encoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "platform/gdi/canvas.h"

namespace velquora {

namespace {

struct FormatChoice {
  const char* Extension;
  const char* Muxer;
  const char* VideoCodec;
  const char* AudioCodec;  // nullptr: no sound
};

constexpr FormatChoice kFormats[] = {
    {".mp4", "mp4", "libx264", "aac"},
    {".mkv", "matroska", "libx264", "aac"},
    {".webm", "webm", "libvpx-vp9", "libopus"},
    {".gif", "gif", "gif", nullptr},
};

const FormatChoice* FindFormat(std::string extension) {
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const FormatChoice& format : kFormats) {
    if (extension == format.Extension) return &format;
  }
  return nullptr;
}

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

void Check(int code, const std::string& what) {
  if (code < 0) throw EVideoEncoderError(what + ": " + ErrorText(code));
}

struct CodecContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleFree {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct ResampleFree {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
struct FifoFree {
  void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};
struct GraphFree {
  void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};

using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFree>;
using Frame = std::unique_ptr<AVFrame, FrameFree>;

Frame NewFrame() {
  Frame frame(av_frame_alloc());
  if (!frame) throw EVideoEncoderError("out of memory");
  return frame;
}

// A 32-bit copy of the picture, so that every conversion starts from B, G, R, X bytes.
const TBitmap& As32Bit(const TBitmap& picture, TBitmap& scratch) {
  if (picture.Format() == PixelFormat::Bits32) return picture;
  scratch = TBitmap(picture.Width(), picture.Height(), PixelFormat::Bits32);
  TCanvas(scratch).Draw(0, 0, picture);
  return scratch;
}

// A filter graph with buffer sources named in0, in1, ... feeding `description`, whose
// output goes to one buffer sink.
class FilterGraph {
public:
  FilterGraph(const std::string& description, int sources, int width, int height) : graph_(avfilter_graph_alloc()) {
    if (!graph_) throw EVideoEncoderError("out of memory");
    AVFilterInOut* outputs = nullptr;
    for (int i = sources - 1; i >= 0; --i) {
      const std::string name = "in" + std::to_string(i);
      const int w = i == 0 ? width : 16;
      const int h = i == 0 ? height : 16;
      const std::string arguments = "video_size=" + std::to_string(w) + "x" + std::to_string(h) +
                                    ":pix_fmt=" + std::to_string(AV_PIX_FMT_BGRA) + ":time_base=1/25:pixel_aspect=1/1";
      AVFilterContext* source = nullptr;
      Check(avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), name.c_str(), arguments.c_str(),
                                         nullptr, graph_.get()),
            "cannot make the filter input");
      sources_.insert(sources_.begin(), source);
      AVFilterInOut* output = avfilter_inout_alloc();
      output->name = av_strdup(name.c_str());
      output->filter_ctx = source;
      output->pad_idx = 0;
      output->next = outputs;
      outputs = output;
    }
    Check(avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                       graph_.get()),
          "cannot make the filter output");
    AVFilterInOut* inputs = avfilter_inout_alloc();
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink_;
    inputs->pad_idx = 0;
    inputs->next = nullptr;
    const int parsed = avfilter_graph_parse_ptr(graph_.get(), description.c_str(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    Check(parsed, "cannot build the filter graph");
    Check(avfilter_graph_config(graph_.get(), nullptr), "cannot configure the filter graph");
  }

  void Push(int source, AVFrame* frame) {
    Check(av_buffersrc_add_frame_flags(sources_[static_cast<std::size_t>(source)], frame, AV_BUFFERSRC_FLAG_KEEP_REF),
          "cannot filter a picture");
  }
  void End(int source) { Check(av_buffersrc_add_frame(sources_[static_cast<std::size_t>(source)], nullptr), "filter"); }
  // The next filtered frame, or nothing when none is ready (or the graph is done).
  Frame Pull() {
    Frame frame = NewFrame();
    const int result = av_buffersink_get_frame(sink_, frame.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return nullptr;
    Check(result, "cannot filter a picture");
    return frame;
  }

private:
  std::unique_ptr<AVFilterGraph, GraphFree> graph_;
  std::vector<AVFilterContext*> sources_;
  AVFilterContext* sink_ = nullptr;
};

}  // namespace

struct VideoEncoder::State {
  const FormatChoice* format = nullptr;
  VideoEncoderSettings settings;
  AVFormatContext* output = nullptr;
  bool header_written = false;
  bool finished = false;
  AVStream* video_stream = nullptr;
  CodecContext video;
  AVStream* audio_stream = nullptr;
  CodecContext audio;
  std::unique_ptr<SwsContext, ScaleFree> scale;
  std::unique_ptr<SwrContext, ResampleFree> resample;
  std::unique_ptr<AVAudioFifo, FifoFree> fifo;
  std::unique_ptr<AVPacket, PacketFree> packet{av_packet_alloc()};
  std::int64_t next_picture = 0;
  std::int64_t next_sample = 0;
  // GIF: palettegen's result, then the graph that maps pictures onto it.
  std::unique_ptr<FilterGraph> palette_pass;
  Frame palette;
  std::unique_ptr<FilterGraph> palette_use;
  TBitmap scratch;

  ~State() {
    if (output) {
      if (output->pb) avio_closep(&output->pb);
      avformat_free_context(output);
    }
  }

  bool IsGif() const { return format->AudioCodec == nullptr && std::strcmp(format->VideoCodec, "gif") == 0; }

  const AVCodec* FindEncoder(const char* name) const {
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec) {
      throw EVideoEncoderError(std::string("the encoder ") + name + " for " + format->Extension +
                               " files is not in this system's FFmpeg libraries");
    }
    return codec;
  }

  AVStream* NewStream(const CodecContext& context, const AVCodec* codec, AVDictionary** options) {
    if (output->oformat->flags & AVFMT_GLOBALHEADER) context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(context.get(), codec, options), std::string("cannot open the encoder ") + codec->name);
    AVStream* stream = avformat_new_stream(output, nullptr);
    if (!stream) throw EVideoEncoderError("out of memory");
    Check(avcodec_parameters_from_context(stream->codecpar, context.get()), "cannot describe a stream");
    stream->time_base = context->time_base;
    return stream;
  }

  void OpenVideo() {
    const AVCodec* codec = FindEncoder(format->VideoCodec);
    video.reset(avcodec_alloc_context3(codec));
    const bool even = !IsGif();
    video->width = even ? settings.Width & ~1 : settings.Width;
    video->height = even ? settings.Height & ~1 : settings.Height;
    if (video->width <= 0 || video->height <= 0) throw EVideoEncoderError("the picture is too small to encode");
    AVRational rate{};
    av_reduce(&rate.num, &rate.den, settings.FrameRateNumerator, settings.FrameRateDenominator, 1 << 30);
    video->framerate = rate;
    video->time_base = av_inv_q(rate);
    video->pix_fmt = IsGif() ? AV_PIX_FMT_PAL8 : AV_PIX_FMT_YUV420P;
    video->gop_size = 250;
    AVDictionary* options = nullptr;
    if (std::strcmp(format->VideoCodec, "libx264") == 0) {
      av_dict_set(&options, "preset", "veryfast", 0);
      av_dict_set(&options, "crf", "18", 0);
    } else if (std::strcmp(format->VideoCodec, "libvpx-vp9") == 0) {
      av_dict_set(&options, "crf", "24", 0);
      av_dict_set(&options, "b", "0", 0);
      av_dict_set(&options, "deadline", "realtime", 0);
      av_dict_set(&options, "cpu-used", "8", 0);
      av_dict_set(&options, "row-mt", "1", 0);
    }
    video_stream = NewStream(video, codec, &options);
    av_dict_free(&options);
    if (!IsGif()) {
      scale.reset(sws_getContext(settings.Width, settings.Height, AV_PIX_FMT_BGRA, video->width, video->height,
                                 AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
      if (!scale) throw EVideoEncoderError("cannot convert the pictures");
    } else {
      palette_pass = std::make_unique<FilterGraph>("[in0]palettegen=stats_mode=full", 1, settings.Width,
                                                   settings.Height);
    }
  }

  void OpenAudio() {
    const AVCodec* codec = FindEncoder(format->AudioCodec);
    audio.reset(avcodec_alloc_context3(codec));
    const bool opus = std::strcmp(format->AudioCodec, "libopus") == 0;
    audio->sample_rate = opus ? 48000 : kEncoderSampleRate;
    audio->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    av_channel_layout_default(&audio->ch_layout, 2);
    audio->bit_rate = opus ? 128000 : 192000;
    audio->time_base = AVRational{1, audio->sample_rate};
    audio_stream = NewStream(audio, codec, nullptr);
    SwrContext* resampler = nullptr;
    AVChannelLayout stereo{};
    av_channel_layout_default(&stereo, 2);
    Check(swr_alloc_set_opts2(&resampler, &audio->ch_layout, audio->sample_fmt, audio->sample_rate, &stereo,
                              AV_SAMPLE_FMT_S16, kEncoderSampleRate, 0, nullptr),
          "cannot convert the sound");
    resample.reset(resampler);
    Check(swr_init(resampler), "cannot convert the sound");
    fifo.reset(av_audio_fifo_alloc(audio->sample_fmt, 2, std::max(audio->frame_size, 1024)));
    if (!fifo) throw EVideoEncoderError("out of memory");
  }

  void WriteHeaderOnce() {
    if (header_written) return;
    Check(avformat_write_header(output, nullptr), "cannot write the file's header");
    header_written = true;
  }

  // Sends a frame (nullptr: the end) and writes every packet the encoder gives back.
  void Encode(AVCodecContext* context, AVStream* stream, AVFrame* frame) {
    WriteHeaderOnce();
    Check(avcodec_send_frame(context, frame), "cannot encode");
    for (;;) {
      const int result = avcodec_receive_packet(context, packet.get());
      if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
      Check(result, "cannot encode");
      // Each picture lasts one tick of the time base; without it the container would
      // cut the last picture short.
      if (context == video.get() && packet->duration == 0) packet->duration = 1;
      av_packet_rescale_ts(packet.get(), context->time_base, stream->time_base);
      packet->stream_index = stream->index;
      Check(av_interleaved_write_frame(output, packet.get()), "cannot write the file");
    }
  }

  Frame BgraFrame(const TBitmap& picture) {
    if (picture.Width() != settings.Width || picture.Height() != settings.Height) {
      throw EVideoEncoderError("a picture of another size than the video's");
    }
    const TBitmap& source = As32Bit(picture, scratch);
    Frame frame = NewFrame();
    frame->format = AV_PIX_FMT_BGRA;
    frame->width = settings.Width;
    frame->height = settings.Height;
    Check(av_frame_get_buffer(frame.get(), 0), "out of memory");
    for (int y = 0; y < settings.Height; ++y) {
      std::memcpy(frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0], source.ScanLine(y),
                  static_cast<std::size_t>(settings.Width) * 4);
      // The fourth byte is never shown: make it opaque for the palette filters.
      std::uint8_t* row = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
      for (int x = 0; x < settings.Width; ++x) row[x * 4 + 3] = 0xFF;
    }
    return frame;
  }

  void EncodePicture(AVFrame* frame) {
    frame->pts = next_picture++;
    Encode(video.get(), video_stream, frame);
  }

  void EncodeSoundFrames(bool flush) {
    const int frame_size = audio->frame_size > 0 ? audio->frame_size : 1024;
    while (av_audio_fifo_size(fifo.get()) >= frame_size || (flush && av_audio_fifo_size(fifo.get()) > 0)) {
      const int count = std::min(frame_size, av_audio_fifo_size(fifo.get()));
      Frame frame = NewFrame();
      frame->format = audio->sample_fmt;
      frame->nb_samples = frame_size;
      frame->sample_rate = audio->sample_rate;
      Check(av_channel_layout_copy(&frame->ch_layout, &audio->ch_layout), "out of memory");
      Check(av_frame_get_buffer(frame.get(), 0), "out of memory");
      av_samples_set_silence(frame->data, 0, frame_size, 2, audio->sample_fmt);
      av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(frame->data), count);
      frame->pts = next_sample;
      next_sample += frame_size;
      Encode(audio.get(), audio_stream, frame.get());
    }
  }
};

VideoEncoder::VideoEncoder(const std::filesystem::path& path, const VideoEncoderSettings& settings)
    : state_(std::make_unique<State>()) {
  av_log_set_level(AV_LOG_ERROR);  // the libraries' own chatter is not for the user
  state_->format = FindFormat(path.extension().string());
  if (!state_->format) {
    throw EVideoEncoderError("cannot record into \"" + path.extension().string() +
                             "\" files: the file name must end in .mp4, .mkv, .webm or .gif");
  }
  if (settings.FrameRateNumerator <= 0 || settings.FrameRateDenominator <= 0) {
    throw EVideoEncoderError("the frame rate must be positive");
  }
  state_->settings = settings;
  Check(avformat_alloc_output_context2(&state_->output, nullptr, state_->format->Muxer, path.c_str()),
        "cannot write " + std::string(state_->format->Extension) + " files");
  state_->OpenVideo();
  if (settings.WithSound && state_->format->AudioCodec) state_->OpenAudio();
  Check(avio_open(&state_->output->pb, path.c_str(), AVIO_FLAG_WRITE), "cannot create " + path.string());
}

VideoEncoder::~VideoEncoder() = default;

bool VideoEncoder::NeedsPalettePass() const { return state_->IsGif(); }

bool VideoEncoder::HasSound() const { return state_->audio != nullptr; }

void VideoEncoder::AddPalettePicture(const TBitmap& picture) {
  if (!state_->palette_pass) throw EVideoEncoderError("no palette pass for this format");
  Frame frame = state_->BgraFrame(picture);
  state_->palette_pass->Push(0, frame.get());
}

void VideoEncoder::AddPicture(const TBitmap& picture) {
  State& state = *state_;
  if (state.finished) throw EVideoEncoderError("the video is finished");
  Frame frame = state.BgraFrame(picture);
  if (!state.IsGif()) {
    Frame converted = NewFrame();
    converted->format = AV_PIX_FMT_YUV420P;
    converted->width = state.video->width;
    converted->height = state.video->height;
    Check(av_frame_get_buffer(converted.get(), 0), "out of memory");
    sws_scale(state.scale.get(), frame->data, frame->linesize, 0, state.settings.Height, converted->data,
              converted->linesize);
    state.EncodePicture(converted.get());
    return;
  }
  if (!state.palette_use) {
    // The palette pass is over: its one frame is the palette every picture maps onto.
    if (!state.palette_pass) throw EVideoEncoderError("the palette pass is missing");
    state.palette_pass->End(0);
    state.palette = state.palette_pass->Pull();
    if (!state.palette) throw EVideoEncoderError("no palette came out of the palette pass");
    state.palette_pass.reset();
    state.palette_use = std::make_unique<FilterGraph>("[in0][in1]paletteuse=dither=sierra2_4a", 2,
                                                      state.settings.Width, state.settings.Height);
    state.palette->pts = 0;
    state.palette_use->Push(1, state.palette.get());
    state.palette_use->End(1);
  }
  frame->pts = state.next_picture;
  state.palette_use->Push(0, frame.get());
  while (Frame mapped = state.palette_use->Pull()) state.EncodePicture(mapped.get());
}

void VideoEncoder::AddSound(std::span<const std::int16_t> samples) {
  State& state = *state_;
  if (!state.audio || samples.empty()) return;
  const int count = static_cast<int>(samples.size() / 2);
  const int capacity = swr_get_out_samples(state.resample.get(), count);
  std::vector<std::uint8_t*> planes(2, nullptr);
  int line = 0;
  Check(av_samples_alloc(planes.data(), &line, 2, std::max(capacity, 1), state.audio->sample_fmt, 0), "out of memory");
  const std::uint8_t* input = reinterpret_cast<const std::uint8_t*>(samples.data());
  const int converted = swr_convert(state.resample.get(), planes.data(), capacity, &input, count);
  if (converted > 0) av_audio_fifo_write(state.fifo.get(), reinterpret_cast<void**>(planes.data()), converted);
  av_freep(&planes[0]);
  Check(converted, "cannot convert the sound");
  state.EncodeSoundFrames(false);
}

void VideoEncoder::Finish() {
  State& state = *state_;
  if (state.finished) return;
  if (state.palette_use) {
    state.palette_use->End(0);
    while (Frame mapped = state.palette_use->Pull()) state.EncodePicture(mapped.get());
  }
  state.Encode(state.video.get(), state.video_stream, nullptr);
  if (state.audio) {
    state.EncodeSoundFrames(true);
    state.Encode(state.audio.get(), state.audio_stream, nullptr);
  }
  Check(av_write_trailer(state.output), "cannot finish the file");
  Check(avio_closep(&state.output->pb), "cannot finish the file");
  state.finished = true;
}

bool IsVideoExtension(const std::string& extension) { return FindFormat(extension) != nullptr; }

}  // namespace velquora
