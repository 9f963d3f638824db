#pragma once
// Sampled sound (WAV of every codec FFmpeg knows, MP3, the sound track of a video file)
// through FFmpeg's libraries, converted to the output format.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/mci/pcm_source.h"

namespace velquora::mci {

// Larger files are refused before they are opened.
inline constexpr std::uintmax_t kMaxSampledFileBytes = 256u << 20;

struct SampledSoundInfo {
  std::uint32_t LengthMs = 0;  // samples / rate of the sound track, rounded to the nearest millisecond
  int SampleRate = 0;          // of the file
  int Channels = 0;            // of the file
};

// Opens the file, finds its sound track, opens its decoder and decodes the first block:
// what an open of a device does on the caller's thread, bounded in bytes read and in
// time (`budget`). Raises ESoundFile when any of it fails.
SampledSoundInfo ProbeSampledSound(const std::filesystem::path& path,
                                   std::chrono::milliseconds budget = std::chrono::milliseconds(3000));

// A decoder of the whole file. `stop`, when given, interrupts reading once it is set.
// Raises ESoundFile when the file cannot be opened.
std::unique_ptr<PcmSource> OpenSampledSound(const std::filesystem::path& path,
                                            const std::atomic<bool>* stop = nullptr);

}  // namespace velquora::mci
