#include "platform/mci/sampled_sound.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace velquora::mci {

void CheckSoundFile(const std::filesystem::path& path, std::uintmax_t max_bytes) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) throw ESoundFile(MCIERR_FILE_NOT_FOUND, "no such file");
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) throw ESoundFile(MCIERR_FILE_READ, "file size unknown");
  if (size > max_bytes) throw ESoundFile(MCIERR_INVALID_FILE, "file too large");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw ESoundFile(MCIERR_FILE_READ, "file cannot be read");
  std::fclose(file);
}

namespace {

// Only containers that carry sound; playlists, concatenation and image sequences, which
// would read other files than the one named, are not among them.
constexpr const char* kContainers =
    "wav,w64,mp3,avi,ogg,flac,aiff,au,voc,caf,mov,mp4,m4a,matroska,webm,asf,aac,ac3,eac3,"
    "flv,mpeg,mpegts,wv,ape,amr,gsm,mpc,mpc8,tta,dts,rm,xwma,smjpeg";

constexpr int kMaxChannels = 32;
constexpr int kMaxSampleRate = 768000;
// A block of decoded sound larger than this (in frames) is damage, not sound.
constexpr int kMaxBlockFrames = 1 << 20;
// Undecodable packets in a row after which a file counts as ended.
constexpr int kMaxBadPackets = 200;

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecCloser {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct ResamplerFree {
  void operator()(SwrContext* context) const { swr_free(&context); }
};

class FfmpegSound : public PcmSource {
public:
  // Opens the container and the decoder of its best sound track. Reading stops once
  // `stop` is set or `deadline` (when not zero) has passed.
  FfmpegSound(const std::filesystem::path& path, const std::atomic<bool>* stop,
              std::chrono::steady_clock::time_point deadline)
      : stop_(stop), deadline_(deadline) {
    CheckSoundFile(path, kMaxSampledFileBytes);
    AVFormatContext* format = avformat_alloc_context();
    if (format == nullptr) throw ESoundFile(MCIERR_OUT_OF_MEMORY, "out of memory");
    format->interrupt_callback.callback = &FfmpegSound::Interrupted;
    format->interrupt_callback.opaque = this;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "format_whitelist", kContainers, 0);
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "probesize", "262144", 0);
    av_dict_set(&options, "analyzeduration", "500000", 0);
    const int opened = avformat_open_input(&format, path.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) throw ESoundFile(MCIERR_INVALID_FILE, "not a sound file");
    format_.reset(format);
    if (avformat_find_stream_info(format, nullptr) < 0) throw ESoundFile(MCIERR_INVALID_FILE, "no stream information");
    stream_ = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (stream_ < 0) throw ESoundFile(MCIERR_INVALID_FILE, "no sound track");
    for (unsigned i = 0; i < format->nb_streams; ++i) {
      if (static_cast<int>(i) != stream_) format->streams[i]->discard = AVDISCARD_ALL;
    }
    const AVCodecParameters* parameters = format->streams[stream_]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (codec == nullptr) throw ESoundFile(MCIERR_INVALID_FILE, "no decoder for the sound track");
    codec_.reset(avcodec_alloc_context3(codec));
    if (!codec_) throw ESoundFile(MCIERR_OUT_OF_MEMORY, "out of memory");
    if (avcodec_parameters_to_context(codec_.get(), parameters) < 0) throw ESoundFile(MCIERR_INVALID_FILE, "bad codec parameters");
    codec_->thread_count = 1;
    if (avcodec_open2(codec_.get(), codec, nullptr) < 0) throw ESoundFile(MCIERR_INVALID_FILE, "decoder refuses the sound track");
    packet_.reset(av_packet_alloc());
    frame_.reset(av_frame_alloc());
    if (!packet_ || !frame_) throw ESoundFile(MCIERR_OUT_OF_MEMORY, "out of memory");
  }

  // The sound track's length from the container, when it states one.
  std::optional<std::uint32_t> StatedLengthMs() const {
    const AVStream* stream = format_->streams[stream_];
    std::int64_t milliseconds = -1;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0 && stream->time_base.num > 0 &&
        stream->time_base.den > 0) {
      milliseconds = av_rescale_q_rnd(stream->duration, stream->time_base, AVRational{1, 1000},
                                      static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    } else if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0) {
      milliseconds = av_rescale_rnd(format_->duration, 1000, AV_TIME_BASE, AV_ROUND_NEAR_INF);
    }
    if (milliseconds < 0) return std::nullopt;
    if (static_cast<std::uint64_t>(milliseconds) > kMaxSoundMilliseconds) throw ESoundFile(MCIERR_INVALID_FILE, "sound lasts too long");
    return static_cast<std::uint32_t>(milliseconds);
  }

  int SampleRate() const { return codec_->sample_rate; }
  int Channels() const { return codec_->ch_layout.nb_channels; }

  // Decodes until a block of sound is pending; false at the end of the file.
  bool DecodeBlock() {
    while (!Interrupted(this)) {
      const int received = avcodec_receive_frame(codec_.get(), frame_.get());
      if (received == 0) {
        Convert();
        av_frame_unref(frame_.get());
        if (!pending_.empty()) return true;
        continue;
      }
      if (received == AVERROR_EOF) return FlushResampler();
      if (received != AVERROR(EAGAIN)) {
        if (++bad_packets_ > kMaxBadPackets) return false;
      }
      if (draining_) return FlushResampler();
      const int read = av_read_frame(format_.get(), packet_.get());
      if (read < 0) {
        draining_ = true;
        avcodec_send_packet(codec_.get(), nullptr);
        continue;
      }
      if (packet_->stream_index == stream_) {
        const int sent = avcodec_send_packet(codec_.get(), packet_.get());
        if (sent < 0 && sent != AVERROR(EAGAIN)) {
          if (++bad_packets_ > kMaxBadPackets) {
            av_packet_unref(packet_.get());
            return false;
          }
        } else {
          bad_packets_ = 0;
        }
      }
      av_packet_unref(packet_.get());
    }
    return false;
  }

  std::size_t Read(std::int16_t* samples, std::size_t frames) override {
    std::size_t written = 0;
    while (written < frames) {
      if (taken_ == pending_.size() / kOutputChannels) {
        pending_.clear();
        taken_ = 0;
        if (ended_ || !DecodeBlock()) {
          ended_ = true;
          break;
        }
      }
      const std::size_t available = pending_.size() / kOutputChannels - taken_;
      const std::size_t count = std::min(available, frames - written);
      std::copy_n(pending_.data() + taken_ * kOutputChannels, count * kOutputChannels, samples + written * kOutputChannels);
      taken_ += count;
      written += count;
    }
    return written;
  }

  // Frames of output in the whole file, by decoding it (bounded by time and length).
  std::uint64_t CountFrames() {
    std::uint64_t frames = 0;
    while (DecodeBlock()) {
      frames += pending_.size() / kOutputChannels;
      pending_.clear();
      if (frames > FramesOf(kMaxSoundMilliseconds)) throw ESoundFile(MCIERR_INVALID_FILE, "sound lasts too long");
    }
    if (Interrupted(this)) throw ESoundFile(MCIERR_FILE_READ, "file takes too long to read");
    return frames;
  }

private:
  static int Interrupted(void* opaque) {
    const auto* self = static_cast<const FfmpegSound*>(opaque);
    if (self->stop_ != nullptr && self->stop_->load(std::memory_order_relaxed)) return 1;
    return self->deadline_ != std::chrono::steady_clock::time_point{} && std::chrono::steady_clock::now() > self->deadline_;
  }

  // Converts the decoded frame into pending output; a frame of another shape than the
  // previous one sets the resampler up anew.
  void Convert() {
    const AVFrame& frame = *frame_;
    if (frame.nb_samples <= 0 || frame.nb_samples > kMaxBlockFrames) return;
    if (frame.sample_rate <= 0 || frame.sample_rate > kMaxSampleRate) return;
    if (frame.ch_layout.nb_channels <= 0 || frame.ch_layout.nb_channels > kMaxChannels) return;
    if (!resampler_ || frame.sample_rate != in_rate_ || frame.format != in_format_ ||
        av_channel_layout_compare(&frame.ch_layout, &in_layout_) != 0) {
      if (resampler_) FlushResampler();
      if (!SetUpResampler(frame)) return;
    }
    const int capacity = swr_get_out_samples(resampler_.get(), frame.nb_samples);
    if (capacity <= 0 || capacity > 4 * kMaxBlockFrames) return;
    const std::size_t before = pending_.size();
    pending_.resize(before + static_cast<std::size_t>(capacity) * kOutputChannels);
    auto* out = reinterpret_cast<std::uint8_t*>(pending_.data() + before);
    const int converted = swr_convert(resampler_.get(), &out, capacity,
                                      const_cast<const std::uint8_t**>(frame.extended_data), frame.nb_samples);
    pending_.resize(before + static_cast<std::size_t>(std::max(converted, 0)) * kOutputChannels);
  }

  bool SetUpResampler(const AVFrame& frame) {
    resampler_.reset();
    av_channel_layout_uninit(&in_layout_);
    AVChannelLayout input{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
      av_channel_layout_default(&input, frame.ch_layout.nb_channels);
    } else if (av_channel_layout_copy(&input, &frame.ch_layout) < 0) {
      return false;
    }
    AVChannelLayout output = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* context = nullptr;
    const int made = swr_alloc_set_opts2(&context, &output, AV_SAMPLE_FMT_S16, kOutputRate, &input,
                                         static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&input);
    if (made < 0 || context == nullptr) return false;
    resampler_.reset(context);
    if (swr_init(context) < 0) {
      resampler_.reset();
      return false;
    }
    in_rate_ = frame.sample_rate;
    in_format_ = frame.format;
    av_channel_layout_copy(&in_layout_, &frame.ch_layout);
    return true;
  }

  // Takes what the resampler still holds; true when that left sound pending.
  bool FlushResampler() {
    if (!resampler_) return !pending_.empty();
    const int capacity = swr_get_out_samples(resampler_.get(), 0);
    if (capacity > 0 && capacity <= 4 * kMaxBlockFrames) {
      const std::size_t before = pending_.size();
      pending_.resize(before + static_cast<std::size_t>(capacity) * kOutputChannels);
      auto* out = reinterpret_cast<std::uint8_t*>(pending_.data() + before);
      const int converted = swr_convert(resampler_.get(), &out, capacity, nullptr, 0);
      pending_.resize(before + static_cast<std::size_t>(std::max(converted, 0)) * kOutputChannels);
    }
    resampler_.reset();
    return !pending_.empty();
  }

  const std::atomic<bool>* stop_;
  std::chrono::steady_clock::time_point deadline_;
  std::unique_ptr<AVFormatContext, FormatCloser> format_;
  std::unique_ptr<AVCodecContext, CodecCloser> codec_;
  std::unique_ptr<AVPacket, PacketFree> packet_;
  std::unique_ptr<AVFrame, FrameFree> frame_;
  std::unique_ptr<SwrContext, ResamplerFree> resampler_;
  AVChannelLayout in_layout_{};
  int in_rate_ = 0;
  int in_format_ = -1;
  int stream_ = -1;
  int bad_packets_ = 0;
  bool draining_ = false;
  bool ended_ = false;
  std::vector<std::int16_t> pending_;
  std::size_t taken_ = 0;

public:
  ~FfmpegSound() override { av_channel_layout_uninit(&in_layout_); }
};

void QuietFfmpeg() {
  static const bool quiet = [] {
    av_log_set_level(AV_LOG_QUIET);
    return true;
  }();
  (void)quiet;
}

}  // namespace

SampledSoundInfo ProbeSampledSound(const std::filesystem::path& path, std::chrono::milliseconds budget) {
  QuietFfmpeg();
  FfmpegSound sound(path, nullptr, std::chrono::steady_clock::now() + budget);
  SampledSoundInfo info;
  const std::optional<std::uint32_t> stated = sound.StatedLengthMs();
  if (!sound.DecodeBlock()) throw ESoundFile(MCIERR_INVALID_FILE, "the sound track does not decode");
  info.SampleRate = sound.SampleRate();
  info.Channels = sound.Channels();
  if (stated) {
    info.LengthMs = *stated;
  } else {
    info.LengthMs = static_cast<std::uint32_t>((sound.CountFrames() * 1000 + kOutputRate / 2) / kOutputRate);
  }
  return info;
}

std::unique_ptr<PcmSource> OpenSampledSound(const std::filesystem::path& path, const std::atomic<bool>* stop) {
  QuietFfmpeg();
  return std::make_unique<FfmpegSound>(path, stop, std::chrono::steady_clock::time_point{});
}

}  // namespace velquora::mci
