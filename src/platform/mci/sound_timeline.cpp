#include "platform/mci/sound_timeline.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <utility>

#include "platform/mci/midi_synth.h"
#include "platform/mci/sampled_sound.h"

namespace velquora::mci {

namespace {
ScopedSoundTimeline*& Current() {
  static ScopedSoundTimeline* timeline = nullptr;
  return timeline;
}

constexpr std::size_t kChunkFrames = 4096;
}  // namespace

// One play of one medium: it sounds from frame `start` of the timeline until `end`,
// beginning `from_ms` into the medium.
struct ScopedSoundTimeline::Voice {
  const void* device = nullptr;
  Medium medium;
  std::uint32_t from_ms = 0;
  std::uint64_t start = 0;  // timeline frames
  std::uint64_t end = 0;
  std::unique_ptr<PcmSource> source;  // opened when first heard
  bool failed = false;

  // Opens the medium and skips to where timeline frame `at` hears it; false when it
  // cannot be decoded.
  bool Open(std::uint64_t at) {
    if (source || failed) return !failed;
    try {
      if (medium.Kind == MediumKind::Midi) {
        source = OpenMidiSynth(std::make_shared<const std::vector<std::uint8_t>>(medium.Smf), medium.LengthMs);
      } else {
        source = OpenSampledSound(medium.Path);
      }
      std::vector<std::int16_t> skipped(kChunkFrames * kOutputChannels);
      for (std::uint64_t left = FramesOf(from_ms) + (at - start); left > 0;) {
        const std::size_t read = source->Read(skipped.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunkFrames)));
        if (read == 0) break;
        left -= read;
      }
    } catch (const std::exception&) {
      failed = true;
      source.reset();
    }
    return !failed;
  }
};

ScopedSoundTimeline::ScopedSoundTimeline() : previous_(std::exchange(Current(), this)) {}

ScopedSoundTimeline::~ScopedSoundTimeline() { Current() = previous_; }

ScopedSoundTimeline* CurrentSoundTimeline() { return Current(); }

void ScopedSoundTimeline::Started(const void* device, const Medium& medium, std::uint32_t from_ms, std::uint32_t to_ms,
                                  std::uint32_t at_tick) {
  Ended(device, at_tick);
  if (to_ms <= from_ms) return;
  auto voice = std::make_unique<Voice>();
  voice->device = device;
  voice->medium = medium;
  voice->from_ms = from_ms;
  voice->start = FramesOf(at_tick);
  voice->end = voice->start + FramesOf(to_ms - from_ms);
  voices_.push_back(std::move(voice));
}

void ScopedSoundTimeline::Ended(const void* device, std::uint32_t at_tick) {
  for (const auto& voice : voices_) {
    if (voice->device == device) voice->end = std::min(voice->end, std::max(voice->start, FramesOf(at_tick)));
  }
}

void ScopedSoundTimeline::Mix(std::uint32_t until_ms, std::vector<std::int16_t>& samples) {
  const std::uint64_t until = FramesOf(until_ms);
  if (until <= mixed_frames_) return;
  const std::uint64_t first = mixed_frames_;
  std::vector<std::int32_t> sum((until - first) * kOutputChannels, 0);
  std::vector<std::int16_t> chunk(kChunkFrames * kOutputChannels);
  for (const auto& voice : voices_) {
    const std::uint64_t begin = std::max(voice->start, first);
    const std::uint64_t end = std::min(voice->end, until);
    if (begin >= end || !voice->Open(begin)) continue;
    for (std::uint64_t frame = begin; frame < end;) {
      const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(end - frame, kChunkFrames));
      const std::size_t read = voice->source->Read(chunk.data(), wanted);
      if (read == 0) break;
      for (std::size_t i = 0; i < read * kOutputChannels; ++i) sum[(frame - first) * kOutputChannels + i] += chunk[i];
      frame += read;
    }
  }
  samples.reserve(samples.size() + sum.size());
  for (const std::int32_t value : sum) {
    samples.push_back(static_cast<std::int16_t>(std::clamp<std::int32_t>(value, std::numeric_limits<std::int16_t>::min(),
                                                                         std::numeric_limits<std::int16_t>::max())));
  }
  mixed_frames_ = until;
  // Voices that are over are no longer needed.
  std::erase_if(voices_, [until](const auto& voice) { return voice->end <= until; });
}

}  // namespace velquora::mci
