#include "midi_writer.h"

namespace velquora {

namespace {
void AppendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}
void AppendLittleEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}
}  // namespace

void AppendMidiQuantity(std::vector<std::uint8_t>& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = value & 0x7F;
    value >>= 7;
  } while (value != 0 && count < 5);
  while (count > 0) {
    --count;
    out.push_back(static_cast<std::uint8_t>(groups[count] | (count > 0 ? 0x80 : 0)));
  }
}

MidiTrackWriter& MidiTrackWriter::Channel(std::uint32_t delta, std::uint8_t status, std::span<const std::uint8_t> data) {
  AppendMidiQuantity(bytes_, delta);
  if (!running_status_ || status != last_status_) bytes_.push_back(status);
  last_status_ = status;
  bytes_.insert(bytes_.end(), data.begin(), data.end());
  return *this;
}

MidiTrackWriter& MidiTrackWriter::NoteOn(std::uint32_t delta, int channel, int note, int velocity) {
  const std::uint8_t data[] = {static_cast<std::uint8_t>(note & 0x7F), static_cast<std::uint8_t>(velocity & 0x7F)};
  return Channel(delta, static_cast<std::uint8_t>(0x90 | (channel & 15)), data);
}

MidiTrackWriter& MidiTrackWriter::NoteOff(std::uint32_t delta, int channel, int note, int velocity) {
  const std::uint8_t data[] = {static_cast<std::uint8_t>(note & 0x7F), static_cast<std::uint8_t>(velocity & 0x7F)};
  return Channel(delta, static_cast<std::uint8_t>(0x80 | (channel & 15)), data);
}

MidiTrackWriter& MidiTrackWriter::ProgramChange(std::uint32_t delta, int channel, int program) {
  const std::uint8_t data[] = {static_cast<std::uint8_t>(program & 0x7F)};
  return Channel(delta, static_cast<std::uint8_t>(0xC0 | (channel & 15)), data);
}

MidiTrackWriter& MidiTrackWriter::Meta(std::uint32_t delta, int type, std::span<const std::uint8_t> data) {
  AppendMidiQuantity(bytes_, delta);
  bytes_.push_back(0xFF);
  bytes_.push_back(static_cast<std::uint8_t>(type));
  AppendMidiQuantity(bytes_, static_cast<std::uint32_t>(data.size()));
  bytes_.insert(bytes_.end(), data.begin(), data.end());
  last_status_ = 0;  // meta events end running status
  return *this;
}

MidiTrackWriter& MidiTrackWriter::Tempo(std::uint32_t delta, std::uint32_t microseconds_per_quarter) {
  std::vector<std::uint8_t> data;
  AppendBigEndian(data, microseconds_per_quarter, 3);
  return Meta(delta, 0x51, data);
}

MidiTrackWriter& MidiTrackWriter::Text(std::uint32_t delta, std::string_view text) {
  const std::vector<std::uint8_t> data(text.begin(), text.end());
  return Meta(delta, 0x01, data);
}

MidiTrackWriter& MidiTrackWriter::SysEx(std::uint32_t delta, std::span<const std::uint8_t> data) {
  AppendMidiQuantity(bytes_, delta);
  bytes_.push_back(0xF0);
  AppendMidiQuantity(bytes_, static_cast<std::uint32_t>(data.size()));
  bytes_.insert(bytes_.end(), data.begin(), data.end());
  last_status_ = 0;
  return *this;
}

MidiTrackWriter& MidiTrackWriter::EndOfTrack(std::uint32_t delta) { return Meta(delta, 0x2F, {}); }

MidiTrackWriter& MidiTrackWriter::Raw(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

std::vector<std::uint8_t> WriteMidiFile(int format, std::uint16_t division, std::span<const MidiTrackWriter> tracks) {
  std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd'};
  AppendBigEndian(out, 6, 4);
  AppendBigEndian(out, static_cast<std::uint32_t>(format), 2);
  AppendBigEndian(out, static_cast<std::uint32_t>(tracks.size()), 2);
  AppendBigEndian(out, division, 2);
  for (const MidiTrackWriter& track : tracks) {
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    AppendBigEndian(out, static_cast<std::uint32_t>(track.Bytes().size()), 4);
    out.insert(out.end(), track.Bytes().begin(), track.Bytes().end());
  }
  return out;
}

std::vector<std::uint8_t> WrapMidiInRiff(std::span<const std::uint8_t> smf) {
  const std::uint32_t data_size = static_cast<std::uint32_t>(smf.size());
  std::vector<std::uint8_t> out = {'R', 'I', 'F', 'F'};
  AppendLittleEndian32(out, 4 + 8 + data_size + (data_size & 1));
  out.insert(out.end(), {'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'});
  AppendLittleEndian32(out, data_size);
  out.insert(out.end(), smf.begin(), smf.end());
  if (data_size & 1) out.push_back(0);
  return out;
}

}  // namespace velquora
