#pragma once
// Writes standard MIDI files for tests, fuzz seeds and the demo scene: tracks of channel
// messages, tempo and other meta events and system-exclusive messages, with or without
// running status, in formats 0 and 1, optionally wrapped in a RIFF "RMID" file.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace velquora {

class MidiTrackWriter {
public:
  // With `running_status`, a channel message with the status of the one before it is
  // written without its status byte.
  explicit MidiTrackWriter(bool running_status = false) : running_status_(running_status) {}

  MidiTrackWriter& NoteOn(std::uint32_t delta, int channel, int note, int velocity);
  MidiTrackWriter& NoteOff(std::uint32_t delta, int channel, int note, int velocity = 64);
  MidiTrackWriter& ProgramChange(std::uint32_t delta, int channel, int program);
  // Microseconds per quarter note.
  MidiTrackWriter& Tempo(std::uint32_t delta, std::uint32_t microseconds_per_quarter);
  MidiTrackWriter& Meta(std::uint32_t delta, int type, std::span<const std::uint8_t> data);
  MidiTrackWriter& Text(std::uint32_t delta, std::string_view text);
  // An F0 message: `data` follows the length and should end with F7.
  MidiTrackWriter& SysEx(std::uint32_t delta, std::span<const std::uint8_t> data);
  MidiTrackWriter& EndOfTrack(std::uint32_t delta = 0);
  // Bytes as they are, for damaged tracks.
  MidiTrackWriter& Raw(std::span<const std::uint8_t> bytes);

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
  MidiTrackWriter& Channel(std::uint32_t delta, std::uint8_t status, std::span<const std::uint8_t> data);

  bool running_status_;
  std::uint8_t last_status_ = 0;
  std::vector<std::uint8_t> bytes_;
};

// A variable-length quantity as MIDI files store it.
void AppendMidiQuantity(std::vector<std::uint8_t>& out, std::uint32_t value);

// "MThd" with the format, the track count and the division (ticks per quarter note, or
// an SMPTE division with the top bit set), then one "MTrk" chunk per track.
std::vector<std::uint8_t> WriteMidiFile(int format, std::uint16_t division, std::span<const MidiTrackWriter> tracks);

// The file inside a RIFF "RMID" form's "data" chunk.
std::vector<std::uint8_t> WrapMidiInRiff(std::span<const std::uint8_t> smf);

}  // namespace velquora
