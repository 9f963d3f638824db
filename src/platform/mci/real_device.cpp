// A device that plays through the shared sound output. Decoding and synthesis run on a
// thread of the device's own; the caller's thread only starts, stops and asks, and
// never waits for that thread: a thread that is no longer wanted is told to stop and
// left to end on its own, and joined later.
#include <chrono>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

#include "platform/mci/audio_output.h"
#include "platform/mci/device.h"
#include "platform/mci/midi_synth.h"
#include "platform/mci/sampled_sound.h"

namespace velquora::mci {

namespace {

// Half a second ahead; the decoder sleeps until half of it has played, so that it wakes
// a few times a second and a loaded machine has a quarter of a second to run it.
constexpr std::size_t kRingFrames = kOutputRate / 2;
constexpr std::size_t kChunkFrames = 4096;
constexpr auto kRingFullWait = std::chrono::milliseconds(40);

using SourceMaker = std::function<std::unique_ptr<PcmSource>(const std::atomic<bool>* stop)>;

// A decoder thread and the flags it shares with its device.
struct Decoder {
  std::atomic<bool> Stop{false};
  std::atomic<bool> Ended{false};
  std::thread Thread;
};

// Threads that were told to stop; joined once they have ended, the rest at exit.
class Retired {
public:
  ~Retired() {
    for (const std::shared_ptr<Decoder>& decoder : decoders_) decoder->Thread.join();
  }
  void Add(std::shared_ptr<Decoder> decoder) {
    std::lock_guard lock(lock_);
    decoder->Stop.store(true);
    std::erase_if(decoders_, [](const std::shared_ptr<Decoder>& old) {
      if (!old->Ended.load()) return false;
      old->Thread.join();
      return true;
    });
    decoders_.push_back(std::move(decoder));
  }

private:
  std::mutex lock_;
  std::list<std::shared_ptr<Decoder>> decoders_;
};

std::shared_ptr<Retired> RetiredDecoders() {
  static const std::shared_ptr<Retired> retired = std::make_shared<Retired>();
  return retired;
}

void Decode(const SourceMaker& make, std::uint64_t skip, OutputStream& stream, Decoder& decoder) {
  try {
    std::unique_ptr<PcmSource> source = make(&decoder.Stop);
    std::vector<std::int16_t> chunk(kChunkFrames * kOutputChannels);
    while (skip > 0 && !decoder.Stop.load()) {
      const std::size_t read = source->Read(chunk.data(), static_cast<std::size_t>(std::min<std::uint64_t>(skip, kChunkFrames)));
      if (read == 0) break;
      skip -= read;
    }
    bool refilling = true;  // fills the ring up, then waits for half of it to play
    while (!decoder.Stop.load()) {
      const std::size_t space = stream.Ring.FreeFrames();
      if (space < kRingFrames / 2 && !refilling) {
        std::this_thread::sleep_for(kRingFullWait);
        continue;
      }
      refilling = space >= kChunkFrames;
      if (!refilling) continue;
      const std::size_t read = source->Read(chunk.data(), std::min(space, kChunkFrames));
      if (read == 0) break;
      stream.Ring.Write(chunk.data(), read);
    }
  } catch (const std::exception&) {
    // A file that stops decoding ends there; the device reports the end of the medium.
  }
  stream.DecoderDone.store(true);
}

class RealDevice : public Device {
public:
  RealDevice(std::uint32_t length, SourceMaker make, std::shared_ptr<AudioOutput> output)
      : length_(length), end_(length), make_(std::move(make)), output_(std::move(output)), retired_(RetiredDecoders()) {
    Start(0);
  }

  ~RealDevice() override { Retire(); }

  std::uint32_t LengthMs() const override { return length_; }

  std::uint32_t PositionMs() override {
    if (stream_->Finished()) return stream_->Consumed.load() >= stream_->Limit.load() ? end_ : length_;
    const std::uint64_t position = offset_ + MillisecondsOf(stream_->Consumed.load());
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(position, std::max(end_, offset_)));
  }

  bool IsPlaying() override { return stream_->Playing.load() && !stream_->Finished(); }

  void Play(std::optional<std::uint32_t> from, std::uint32_t to) override {
    if (from) Start(*from);
    end_ = to;
    stream_->Limit.store(to > offset_ ? FramesOf(to - offset_) : 0);
    output_->SetPlaying(*stream_, true);
  }

  void Stop() override { output_->SetPlaying(*stream_, false); }

  void Seek(std::uint32_t to) override { Start(to); }

private:
  // A new stream from `from`, stopped; its decoder fills the ring at once so that a play
  // starts without delay.
  void Start(std::uint32_t from) {
    Retire();
    offset_ = from;
    end_ = length_;
    stream_ = std::make_shared<OutputStream>(kRingFrames);
    stream_->Limit.store(from < length_ ? FramesOf(length_ - from) : 0);
    decoder_ = std::make_shared<Decoder>();
    decoder_->Thread = std::thread([make = make_, skip = FramesOf(from), stream = stream_, decoder = decoder_] {
      Decode(make, skip, *stream, *decoder);
      decoder->Ended.store(true);
    });
    output_->Attach(stream_);
  }

  void Retire() {
    if (stream_) output_->Detach(stream_);
    if (decoder_) retired_->Add(std::move(decoder_));
    stream_.reset();
  }

  std::uint32_t length_;
  std::uint32_t offset_ = 0;  // where the current stream starts
  std::uint32_t end_;         // where the current play ends
  SourceMaker make_;
  std::shared_ptr<AudioOutput> output_;
  std::shared_ptr<Retired> retired_;
  std::shared_ptr<OutputStream> stream_;
  std::shared_ptr<Decoder> decoder_;
};

}  // namespace

std::unique_ptr<Device> MakeRealDevice(Medium medium) {
  std::shared_ptr<AudioOutput> output = AudioOutput::Acquire();
  if (!output) throw ESoundFile(MCIERR_HARDWARE, "no usable sound output");
  SourceMaker make;
  if (medium.Kind == MediumKind::Midi) {
    if (FindSoundFont().empty()) throw ESoundFile(MCIERR_CANNOT_LOAD_DRIVER, "no General MIDI sound font installed");
    auto smf = std::make_shared<const std::vector<std::uint8_t>>(std::move(medium.Smf));
    make = [smf, length = medium.LengthMs](const std::atomic<bool>*) { return OpenMidiSynth(smf, length); };
  } else {
    make = [path = medium.Path](const std::atomic<bool>* stop) { return OpenSampledSound(path, stop); };
  }
  return std::make_unique<RealDevice>(medium.LengthMs, std::move(make), std::move(output));
}

}  // namespace velquora::mci
