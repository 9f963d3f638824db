#include "platform/mci/audio_output.h"

#include <SDL.h>

#include <algorithm>

#include "platform/mci/pcm_source.h"

namespace velquora::mci {

PcmRing::PcmRing(std::size_t capacity_frames)
    : samples_(capacity_frames * kOutputChannels), capacity_(capacity_frames) {}

std::size_t PcmRing::FreeFrames() const {
  return capacity_ - static_cast<std::size_t>(written_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire));
}

std::size_t PcmRing::Write(const std::int16_t* samples, std::size_t frames) {
  const std::uint64_t written = written_.load(std::memory_order_relaxed);
  const std::size_t count = std::min(frames, FreeFrames());
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = static_cast<std::size_t>((written + i) % capacity_) * kOutputChannels;
    samples_[at] = samples[i * kOutputChannels];
    samples_[at + 1] = samples[i * kOutputChannels + 1];
  }
  written_.store(written + count, std::memory_order_release);
  return count;
}

std::size_t PcmRing::ReadAdding(std::int32_t* mix, std::size_t frames) {
  const std::uint64_t read = read_.load(std::memory_order_relaxed);
  const std::size_t available = static_cast<std::size_t>(written_.load(std::memory_order_acquire) - read);
  const std::size_t count = std::min(frames, available);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = static_cast<std::size_t>((read + i) % capacity_) * kOutputChannels;
    mix[i * kOutputChannels] += samples_[at];
    mix[i * kOutputChannels + 1] += samples_[at + 1];
  }
  read_.store(read + count, std::memory_order_release);
  return count;
}

namespace {
std::mutex& OutputLock() {
  static std::mutex lock;
  return lock;
}
std::weak_ptr<AudioOutput>& SharedOutput() {
  static std::weak_ptr<AudioOutput> output;
  return output;
}
// Keeps the output open once it has been opened, so that one sound after another does
// not open the device anew each time.
std::shared_ptr<AudioOutput>& KeptOutput() {
  static std::shared_ptr<AudioOutput> output;
  return output;
}
}  // namespace

std::shared_ptr<AudioOutput> AudioOutput::Acquire() {
  std::lock_guard lock(OutputLock());
  if (std::shared_ptr<AudioOutput> output = SharedOutput().lock()) return output;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  std::shared_ptr<AudioOutput> output = std::make_shared<AudioOutput>(Key{});
  SDL_AudioSpec wanted{};
  wanted.freq = kOutputRate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = kOutputChannels;
  wanted.samples = 1024;
  wanted.callback = &AudioOutput::Callback;
  wanted.userdata = output.get();
  SDL_AudioSpec obtained{};
  output->device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (output->device_ == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  output->mix_.resize(static_cast<std::size_t>(std::max<int>(obtained.samples, 1024)) * kOutputChannels * 4);
  SDL_PauseAudioDevice(output->device_, 0);
  SharedOutput() = output;
  KeptOutput() = output;
  return output;
}

AudioOutput::~AudioOutput() {
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
}

void AudioOutput::Attach(std::shared_ptr<OutputStream> stream) {
  SDL_LockAudioDevice(device_);
  streams_.push_back(std::move(stream));
  SDL_UnlockAudioDevice(device_);
}

void AudioOutput::Detach(const std::shared_ptr<OutputStream>& stream) {
  SDL_LockAudioDevice(device_);
  std::erase(streams_, stream);
  SDL_UnlockAudioDevice(device_);
}

void AudioOutput::SetPlaying(OutputStream& stream, bool playing) {
  SDL_LockAudioDevice(device_);
  stream.Playing.store(playing);
  SDL_UnlockAudioDevice(device_);
}

void AudioOutput::Callback(void* self, std::uint8_t* bytes, int length) {
  static_cast<AudioOutput*>(self)->Fill(reinterpret_cast<std::int16_t*>(bytes),
                                        static_cast<std::size_t>(length) / (sizeof(std::int16_t) * kOutputChannels));
}

void AudioOutput::Fill(std::int16_t* out, std::size_t frames) {
  frames_out_.fetch_add(frames, std::memory_order_relaxed);
  std::size_t done = 0;
  while (done < frames) {
    const std::size_t block = std::min(frames - done, mix_.size() / kOutputChannels);
    std::fill_n(mix_.begin(), block * kOutputChannels, 0);
    for (const std::shared_ptr<OutputStream>& stream : streams_) {
      if (!stream->Playing.load() || stream->Finished()) continue;
      const std::uint64_t consumed = stream->Consumed.load();
      const std::uint64_t limit = stream->Limit.load();
      const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(block, limit - consumed));
      // Read the decoder's state before the ring: once it is done, a short read is the end.
      const bool decoder_done = stream->DecoderDone.load();
      const std::size_t got = stream->Ring.ReadAdding(mix_.data(), wanted);
      stream->Consumed.store(consumed + got);
      if (got < wanted && decoder_done) stream->Drained.store(true);
    }
    for (std::size_t i = 0; i < block * kOutputChannels; ++i) {
      out[(done * kOutputChannels) + i] = static_cast<std::int16_t>(std::clamp(mix_[i], -32768, 32767));
    }
    done += block;
  }
}

}  // namespace velquora::mci
