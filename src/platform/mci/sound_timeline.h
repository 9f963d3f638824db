#pragma once
// The sound of a headless run, for recordings. While a ScopedSoundTimeline lives, every
// play of a silent device is noted (which medium, from which position, from which
// TickCount on and until when), and Mix renders that sound offline, through the same
// decoders and synthesiser as real output, on the same clock as the pictures.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/mci/device.h"

namespace velquora::mci {

class ScopedSoundTimeline {
public:
  ScopedSoundTimeline();
  ~ScopedSoundTimeline();
  ScopedSoundTimeline(const ScopedSoundTimeline&) = delete;
  ScopedSoundTimeline& operator=(const ScopedSoundTimeline&) = delete;

  // Appends the sound from where the last call ended (TickCount 0 at first) up to
  // `until_ms` to `samples`, as interleaved stereo 44100 Hz signed 16-bit frames.
  // Sounds that cannot be decoded stay silent.
  void Mix(std::uint32_t until_ms, std::vector<std::int16_t>& samples);

  // What the silent devices report. `device` only tells one play from another.
  void Started(const void* device, const Medium& medium, std::uint32_t from_ms, std::uint32_t to_ms,
               std::uint32_t at_tick);
  void Ended(const void* device, std::uint32_t at_tick);

private:
  struct Voice;
  std::vector<std::unique_ptr<Voice>> voices_;
  std::uint64_t mixed_frames_ = 0;
  ScopedSoundTimeline* previous_;
};

// The timeline in force, or nullptr.
ScopedSoundTimeline* CurrentSoundTimeline();

}  // namespace velquora::mci
