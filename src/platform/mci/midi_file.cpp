#include "platform/mci/midi_file.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

namespace velquora::mci {

namespace {

constexpr std::uint32_t kDefaultTempo = 500000;  // microseconds per quarter note (120 bpm)

bool HasTag(std::span<const std::uint8_t> bytes, std::size_t at, std::string_view tag) {
  if (at > bytes.size() || bytes.size() - at < tag.size()) return false;
  return std::equal(tag.begin(), tag.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

std::uint32_t BigEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
         (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}
std::uint16_t BigEndian16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}
std::uint32_t LittleEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return (std::uint32_t{bytes[at + 3]} << 24) | (std::uint32_t{bytes[at + 2]} << 16) |
         (std::uint32_t{bytes[at + 1]} << 8) | bytes[at];
}

// The "data" chunk of a RIFF "RMID" file.
std::span<const std::uint8_t> UnwrapRiff(std::span<const std::uint8_t> bytes) {
  if (!HasTag(bytes, 8, "RMID")) throw EMidiFormat("RIFF file without RMID form");
  const std::size_t riff_end = std::min<std::size_t>(bytes.size(), std::size_t{LittleEndian32(bytes, 4)} + 8);
  std::size_t at = 12;
  while (at + 8 <= riff_end) {
    const std::size_t size = LittleEndian32(bytes, at + 4);
    const std::size_t start = at + 8;
    const std::size_t available = riff_end - start;
    if (HasTag(bytes, at, "data")) return bytes.subspan(start, std::min(size, available));
    if (size > available) break;
    at = start + size + (size & 1);
  }
  throw EMidiFormat("RMID file without data chunk");
}

// Reads the events of one track chunk. Times are in ticks; tempo changes are collected
// for the whole file because in format 1 they may stand in any track.
class TrackReader {
public:
  explicit TrackReader(std::span<const std::uint8_t> track) : track_(track) {}

  // Returns the tick of the track's last complete event (0 for an empty track) and
  // calls on_message(tick) for each channel message.
  template <typename OnMessage>
  std::uint64_t Read(std::vector<std::pair<std::uint64_t, std::uint32_t>>& tempos, OnMessage&& on_message) {
    std::uint64_t tick = 0;
    std::uint64_t last = 0;
    std::uint8_t running = 0;
    while (at_ < track_.size()) {
      const std::optional<std::uint32_t> delta = Quantity();
      if (!delta) break;
      if (at_ >= track_.size()) break;
      const std::uint64_t event_tick = tick + *delta;
      std::uint8_t status = track_[at_];
      if (status & 0x80) {
        ++at_;
      } else {
        if (running == 0) throw EMidiFormat("data byte without a status");
        status = running;
      }
      if (status < 0xF0) {
        running = status;
        const std::size_t data_bytes = (status & 0xE0) == 0xC0 ? 1 : 2;
        if (track_.size() - at_ < data_bytes) break;
        for (std::size_t i = 0; i < data_bytes; ++i) {
          if (track_[at_ + i] & 0x80) throw EMidiFormat("status byte inside a channel message");
        }
        at_ += data_bytes;
        on_message(event_tick);
      } else if (status == 0xFF) {
        running = 0;
        if (at_ >= track_.size()) break;
        const std::uint8_t type = track_[at_++];
        const std::optional<std::uint32_t> length = Quantity();
        if (!length || track_.size() - at_ < *length) break;
        if (type == 0x51 && *length == 3) {
          const std::uint32_t tempo = (std::uint32_t{track_[at_]} << 16) | (std::uint32_t{track_[at_ + 1]} << 8) |
                                      track_[at_ + 2];
          if (tempo != 0) tempos.emplace_back(event_tick, tempo);
        }
        at_ += *length;
        if (type == 0x2F) {  // end of track
          last = event_tick;
          break;
        }
      } else if (status == 0xF0 || status == 0xF7) {
        running = 0;
        const std::optional<std::uint32_t> length = Quantity();
        if (!length || track_.size() - at_ < *length) break;
        at_ += *length;
      } else {
        throw EMidiFormat("system message in a track");
      }
      tick = event_tick;
      last = event_tick;
    }
    return last;
  }

private:
  // A variable-length quantity of at most four bytes; empty when the track ends inside it.
  std::optional<std::uint32_t> Quantity() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      if (at_ >= track_.size()) return std::nullopt;
      const std::uint8_t byte = track_[at_++];
      value = (value << 7) | (byte & 0x7F);
      if ((byte & 0x80) == 0) return value;
    }
    throw EMidiFormat("variable-length quantity longer than four bytes");
  }

  std::span<const std::uint8_t> track_;
  std::size_t at_ = 0;
};

// Microseconds from the start to a tick, by the file's division and tempo changes.
class TempoMap {
public:
  TempoMap(std::uint16_t division, std::vector<std::pair<std::uint64_t, std::uint32_t>> tempos)
      : division_(division) {
    if (division & 0x8000) {
      // SMPTE time: frames per second (29 stands for 29.97) times ticks per frame.
      const int frames = -static_cast<std::int8_t>(division >> 8);
      const int ticks_per_frame = division & 0xFF;
      if (frames <= 0 || ticks_per_frame == 0) throw EMidiFormat("bad SMPTE division");
      smpte_rate_ = (frames == 29 ? 29.97L : frames) * ticks_per_frame;
      return;
    }
    std::stable_sort(tempos.begin(), tempos.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    segments_.push_back(Segment{0, 0, kDefaultTempo});
    for (const auto& [tick, tempo] : tempos) {
      const Segment& last = segments_.back();
      segments_.push_back(Segment{tick, At(last, tick), tempo});
    }
  }

  // Ticks below 2^60 (each track has fewer events than bytes, each delta below 2^28)
  // stay exact enough in long double.
  long double Microseconds(std::uint64_t tick) const {
    if (smpte_rate_ > 0) return static_cast<long double>(tick) * 1e6L / smpte_rate_;
    const auto after = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                        [](std::uint64_t t, const Segment& s) { return t < s.Tick; });
    return At(*std::prev(after), tick);
  }

private:
  struct Segment {
    std::uint64_t Tick;
    long double Start;  // microseconds at Tick
    std::uint32_t Tempo;
  };
  long double At(const Segment& segment, std::uint64_t tick) const {
    return segment.Start + static_cast<long double>(tick - segment.Tick) * segment.Tempo / division_;
  }

  std::uint16_t division_;
  long double smpte_rate_ = 0;
  std::vector<Segment> segments_;
};

}  // namespace

MidiTiming ParseMidiFile(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kMaxMidiFileBytes) throw EMidiFormat("MIDI file too large");
  if (HasTag(bytes, 0, "RIFF")) bytes = UnwrapRiff(bytes);
  if (!HasTag(bytes, 0, "MThd") || bytes.size() < 14) throw EMidiFormat("no MIDI header");
  const std::uint32_t header_length = BigEndian32(bytes, 4);
  if (header_length < 6 || header_length > bytes.size() - 8) throw EMidiFormat("bad MIDI header length");

  MidiTiming timing;
  timing.Smf = bytes;
  timing.Format = BigEndian16(bytes, 8);
  const std::uint16_t declared_tracks = BigEndian16(bytes, 10);
  const std::uint16_t division = BigEndian16(bytes, 12);
  if (timing.Format > 1) throw EMidiFormat("unsupported MIDI file format");
  if (declared_tracks == 0) throw EMidiFormat("MIDI file without tracks");
  if (division == 0) throw EMidiFormat("zero ticks per quarter note");

  std::vector<std::pair<std::uint64_t, std::uint32_t>> tempos;
  std::vector<std::span<const std::uint8_t>> tracks;
  std::uint64_t messages = 0;
  std::size_t at = 8 + std::size_t{header_length};
  while (at + 8 <= bytes.size() && timing.Tracks < declared_tracks) {
    const std::size_t length = std::min<std::size_t>(BigEndian32(bytes, at + 4), bytes.size() - at - 8);
    if (HasTag(bytes, at, "MTrk")) {
      tracks.push_back(bytes.subspan(at + 8, length));
      timing.LastTick = std::max(timing.LastTick, TrackReader(tracks.back()).Read(tempos, [&](std::uint64_t) { ++messages; }));
      ++timing.Tracks;
    }
    at += 8 + length;
  }
  if (timing.Tracks == 0) throw EMidiFormat("MIDI file without track chunks");

  const TempoMap tempo_map(division, std::move(tempos));
  const long double milliseconds = std::round(tempo_map.Microseconds(timing.LastTick) / 1000);
  if (milliseconds > static_cast<long double>(kMaxSoundMilliseconds)) throw EMidiFormat("MIDI file lasts too long");
  timing.LengthMs = static_cast<std::uint32_t>(milliseconds);

  // Only a file with more messages than a span may hold can crowd one.
  if (messages > kMaxMessagesPerSpan) {
    std::vector<std::uint32_t> per_span(timing.LengthMs / kBusiestSpanMs + 1, 0);
    std::vector<std::pair<std::uint64_t, std::uint32_t>> ignored;
    for (const std::span<const std::uint8_t> track : tracks) {
      TrackReader(track).Read(ignored, [&](std::uint64_t tick) {
        const auto span = static_cast<std::size_t>(tempo_map.Microseconds(tick) / 1000 / kBusiestSpanMs);
        if (++per_span[std::min(span, per_span.size() - 1)] > kMaxMessagesPerSpan) {
          throw EMidiFormat("MIDI file with more notes at once than can be played");
        }
      });
    }
  }
  return timing;
}

}  // namespace velquora::mci
