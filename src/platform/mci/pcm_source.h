#pragma once
// What the sound devices play: interleaved signed 16-bit stereo at 44100 Hz, the one
// format of the shared output. Sources decode files (sampled_sound.h) or synthesise
// MIDI (midi_synth.h); they run on a decoder thread, never on the caller's.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "core/exceptions.h"
#include "platform/mci/mci.h"

namespace velquora::mci {

inline constexpr int kOutputRate = 44100;
inline constexpr int kOutputChannels = 2;

// No sound of this system lasts longer (12 hours); a file that claims more is damaged.
inline constexpr std::uint64_t kMaxSoundMilliseconds = 12ull * 60 * 60 * 1000;

// Frames of output in a number of milliseconds, and back (rounded down).
constexpr std::uint64_t FramesOf(std::uint64_t milliseconds) { return milliseconds * kOutputRate / 1000; }
constexpr std::uint64_t MillisecondsOf(std::uint64_t frames) { return frames * 1000 / kOutputRate; }

// A sound file that cannot be opened, with the MCI error that its open reports.
class ESoundFile : public EReadError {
public:
  ESoundFile(Result code, const std::string& message) : EReadError(message), code_(code) {}
  Result Code() const { return code_; }

private:
  Result code_;
};

class PcmSource {
public:
  virtual ~PcmSource() = default;
  // Writes up to `frames` frames (2 samples each) and returns how many; 0 at the end.
  virtual std::size_t Read(std::int16_t* samples, std::size_t frames) = 0;
};

// Checks that a file exists, is not larger than `max_bytes` and is readable; raises
// ESoundFile (MCIERR_FILE_NOT_FOUND, MCIERR_INVALID_FILE, MCIERR_FILE_READ) otherwise.
void CheckSoundFile(const std::filesystem::path& path, std::uintmax_t max_bytes);

}  // namespace velquora::mci
