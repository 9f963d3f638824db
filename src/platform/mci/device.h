#pragma once
// One open device of the media control interface: a medium (a sampled sound or a MIDI
// file, with its length) and how it plays. The command function keeps the MCI rules
// (records, flags, ranges); a device only plays, stops, seeks and reports.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace velquora::mci {

enum class MediumKind { Sampled, Midi };

struct Medium {
  MediumKind Kind = MediumKind::Sampled;
  std::filesystem::path Path;
  std::uint32_t LengthMs = 0;
  std::vector<std::uint8_t> Smf;  // MIDI: the standard MIDI file (unwrapped from RIFF)
};

// Reads what an open needs to know about the file: its length, and that it can be
// played. Raises ESoundFile with the MCI error of the failure.
Medium OpenMedium(MediumKind kind, const std::filesystem::path& path);

class Device {
public:
  virtual ~Device() = default;
  virtual std::uint32_t LengthMs() const = 0;
  virtual std::uint32_t PositionMs() = 0;
  // Playing and not yet at the point where the play ends.
  virtual bool IsPlaying() = 0;
  // Plays from `from` (the current position when empty) until `to`, in the background.
  virtual void Play(std::optional<std::uint32_t> from, std::uint32_t to) = 0;
  // Stays where the output has got to.
  virtual void Stop() = 0;
  // Stops and moves to `to`.
  virtual void Seek(std::uint32_t to) = 0;
};

// Keeps modes and positions from TickCount, without output.
std::unique_ptr<Device> MakeSilentDevice(const Medium& medium);
// Plays through the shared sound output; raises ESoundFile (MCIERR_HARDWARE) when the
// machine has no usable output.
std::unique_ptr<Device> MakeRealDevice(Medium medium);

}  // namespace velquora::mci
