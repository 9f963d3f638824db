#pragma once
// The one sound output of the process (SDL, 44100 Hz, stereo, signed 16-bit), opened on
// the first real open and shared by every device. Each device feeds a stream: a decoder
// thread fills the stream's ring of frames, and the output's callback only copies from
// the rings of the playing streams and counts what it took, which is how far the
// device has really played.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace velquora::mci {

// Frames from one writer thread to one reader thread, without locks.
class PcmRing {
public:
  explicit PcmRing(std::size_t capacity_frames);
  std::size_t FreeFrames() const;
  // Copies up to `frames` frames in; returns how many fitted.
  std::size_t Write(const std::int16_t* samples, std::size_t frames);
  // Adds up to `frames` frames to `mix` (two values a frame); returns how many it took.
  std::size_t ReadAdding(std::int32_t* mix, std::size_t frames);

private:
  std::vector<std::int16_t> samples_;
  std::size_t capacity_;
  std::atomic<std::uint64_t> written_{0};
  std::atomic<std::uint64_t> read_{0};
};

struct OutputStream {
  explicit OutputStream(std::size_t ring_frames) : Ring(ring_frames) {}
  PcmRing Ring;
  std::atomic<bool> Playing{false};
  std::atomic<bool> DecoderDone{false};        // the decoder has written its last frame
  std::atomic<bool> Drained{false};            // ... and the output has played it
  std::atomic<std::uint64_t> Consumed{0};      // frames the output has played
  std::atomic<std::uint64_t> Limit{~0ull};     // frames after which the play ends
  // The play has come to its end: the limit is reached or nothing more will come.
  bool Finished() const { return Drained.load() || Consumed.load() >= Limit.load(); }
};

class AudioOutput {
  struct Key {
    explicit Key() = default;
  };

public:
  explicit AudioOutput(Key) {}
  // The shared output, opened on first use; empty when the machine has no usable one
  // (each call tries again).
  static std::shared_ptr<AudioOutput> Acquire();
  ~AudioOutput();
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  void Attach(std::shared_ptr<OutputStream> stream);
  void Detach(const std::shared_ptr<OutputStream>& stream);
  // Starts or stops a stream between two callbacks, so that a stop holds exactly the
  // position that the caller reads next.
  void SetPlaying(OutputStream& stream, bool playing);

  // Frames the callback has asked for since the output opened (for measurements).
  std::uint64_t FramesOut() const { return frames_out_.load(); }

private:
  static void Callback(void* self, std::uint8_t* bytes, int length);
  void Fill(std::int16_t* out, std::size_t frames);

  std::uint32_t device_ = 0;
  std::vector<std::shared_ptr<OutputStream>> streams_;  // changed only under the SDL device lock
  std::vector<std::int32_t> mix_;
  std::atomic<std::uint64_t> frames_out_{0};
};

}  // namespace velquora::mci
