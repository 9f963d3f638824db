#pragma once
// Standard MIDI files (formats 0 and 1, also wrapped in a RIFF "RMID" file): finds how
// long the music lasts, the time of its last event by the file's tempo map. The synthesiser
// renders exactly this long, and the silent devices count to it.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/exceptions.h"
#include "platform/mci/pcm_source.h"

namespace velquora::mci {

// The data is not a standard MIDI file this system can play.
class EMidiFormat : public EReadError {
public:
  using EReadError::EReadError;
};

// Files larger than this are refused before they are read.
inline constexpr std::size_t kMaxMidiFileBytes = 16u << 20;

// The most channel messages a file may have due within any one of the consecutive
// spans of kBusiestSpanMs milliseconds (a hundred thousand a second, far beyond any
// music). The synthesiser handles all the messages due at a moment in one go, and cannot
// be stopped meanwhile: a file of millions of notes at one instant would hold it for
// tens of seconds.
inline constexpr std::uint32_t kBusiestSpanMs = 100;
inline constexpr std::uint64_t kMaxMessagesPerSpan = 10000;

struct MidiTiming {
  std::span<const std::uint8_t> Smf;  // the standard MIDI file itself (inside the RIFF wrapper)
  int Format = 0;                     // 0 or 1
  int Tracks = 0;                     // track chunks read
  std::uint64_t LastTick = 0;         // tick of the last event of any track
  std::uint32_t LengthMs = 0;         // time of that event, rounded to the nearest millisecond
};

// Raises EMidiFormat for anything that is not a playable file, and for a file with more
// than kMaxMessagesPerSpan channel messages due within one span. A track cut short ends at
// its last complete event.
MidiTiming ParseMidiFile(std::span<const std::uint8_t> bytes);

}  // namespace velquora::mci
