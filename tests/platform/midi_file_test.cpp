#include "platform/mci/midi_file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <string>
#include <iterator>
#include <vector>

#include "midi_writer.h"

namespace velquora::mci {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes File(int format, std::uint16_t division, std::vector<MidiTrackWriter> tracks) {
  return WriteMidiFile(format, division, tracks);
}

// A quarter note of middle C every `ticks`, `count` times.
MidiTrackWriter Notes(int count, std::uint32_t ticks, bool running_status = false) {
  MidiTrackWriter track(running_status);
  track.ProgramChange(0, 0, 1);
  for (int i = 0; i < count; ++i) track.NoteOn(0, 0, 60, 100).NoteOn(ticks, 0, 60, 0);
  return track;
}

// `count` note-ons `delta` ticks apart, after a tempo of `tempo` microseconds a quarter.
MidiTrackWriter Crowd(int count, std::uint32_t delta = 0, std::uint32_t tempo = 500000) {
  MidiTrackWriter track;
  track.Tempo(0, tempo);
  for (int i = 0; i < count; ++i) track.NoteOn(delta, 0, 60 + i % 12, 100);
  return track;
}

// A case's description as a test name.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  std::string name;
  for (const char* c = info.param.name; *c != '\0'; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  return name;
}

struct LengthCase {
  const char* name;
  Bytes file;
  std::uint32_t length_ms;
};

class MidiLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(MidiLength, IsTheTimeOfTheLastEventByTheTempoMap) {
  const LengthCase& c = GetParam();
  EXPECT_EQ(ParseMidiFile(c.file).LengthMs, c.length_ms) << c.name;
}

std::vector<LengthCase> LengthCases() {
  const std::uint8_t sysex[] = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
  std::vector<LengthCase> cases;
  cases.push_back({"two quarters at the default 120 bpm", File(0, 96, {Notes(2, 96).EndOfTrack()}), 1000});
  cases.push_back({"the end-of-track delta counts", File(0, 96, {Notes(2, 96).EndOfTrack(48)}), 1250});
  cases.push_back({"a track without end-of-track ends at its last event", File(0, 96, {Notes(3, 96)}), 1500});
  cases.push_back({"tempo at tick 0", File(0, 96, {MidiTrackWriter().Tempo(0, 250000).NoteOn(0, 0, 60, 100).NoteOff(384, 0, 60).EndOfTrack()}), 1000});
  cases.push_back({"tempo change in the middle",
                   File(0, 96, {MidiTrackWriter().NoteOn(0, 0, 60, 100).Tempo(96, 1000000).NoteOff(96, 0, 60).EndOfTrack()}), 1500});
  cases.push_back({"format 1: the tempo track rules the note track",
                   File(1, 480, {MidiTrackWriter().Tempo(0, 1000000).Tempo(480, 250000).EndOfTrack(), Notes(4, 480).EndOfTrack()}),
                   1000 + 3 * 250});
  cases.push_back({"format 1: a tempo change in another track applies to all",
                   File(1, 96, {MidiTrackWriter().EndOfTrack(), MidiTrackWriter().Tempo(96, 1000000).EndOfTrack(),
                                Notes(2, 96).EndOfTrack()}),
                   500 + 1000});
  cases.push_back({"the longest track decides", File(1, 96, {Notes(1, 96).EndOfTrack(), Notes(5, 96).EndOfTrack()}), 2500});
  cases.push_back({"running status", File(0, 96, {Notes(4, 96, true).EndOfTrack()}), 2000});
  cases.push_back({"system exclusive and text events between notes",
                   File(0, 96, {MidiTrackWriter().SysEx(0, sysex).Text(96, "verse").NoteOn(0, 0, 60, 90).SysEx(96, sysex).EndOfTrack()}),
                   1000});
  cases.push_back({"SMPTE division: 25 frames of 40 ticks a second",
                   File(0, static_cast<std::uint16_t>(0xE728), {MidiTrackWriter().NoteOn(0, 0, 60, 90).NoteOff(2500, 0, 60).EndOfTrack()}), 2500});
  cases.push_back({"RIFF-wrapped", WrapMidiInRiff(File(0, 96, {Notes(2, 96).EndOfTrack()})), 1000});
  cases.push_back({"a track cut inside an event ends at the event before",
                   [] {
                     Bytes file = File(0, 96, {Notes(2, 96).EndOfTrack()});
                     file.resize(file.size() - 5);  // end-of-track and the last note-off's data byte
                     return file;
                   }(),
                   500});
  cases.push_back({"an empty track lasts 0 ms", File(0, 96, {MidiTrackWriter().EndOfTrack()}), 0});
  const int most = static_cast<int>(kMaxMessagesPerSpan);
  cases.push_back({"as many notes at one instant as can be played", File(0, 96, {Crowd(most).EndOfTrack(96)}), 500});
  cases.push_back({"twice as many notes spread over time", File(0, 96, {Notes(most, 96).EndOfTrack()}), 500u * most});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, MidiLength, ::testing::ValuesIn(LengthCases()), CaseName<LengthCase>);

TEST(MidiLength, OfTheRecordedTestFileIsTwoAndAHalfSeconds) {
  std::ifstream in(std::string(VELQUORA_TEST_FILES) + "/audio/notes_format0.mid", std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const MidiTiming timing = ParseMidiFile(bytes);
  EXPECT_EQ(timing.Format, 0);
  EXPECT_EQ(timing.Tracks, 1);
  EXPECT_EQ(timing.LengthMs, 2500u);
}

TEST(MidiLength, OfARiffFileLeavesTheWrapperOut) {
  const Bytes smf = File(0, 96, {Notes(2, 96).EndOfTrack()});
  const Bytes riff = WrapMidiInRiff(smf);
  const MidiTiming timing = ParseMidiFile(riff);
  EXPECT_EQ(Bytes(timing.Smf.begin(), timing.Smf.end()), smf);
}

struct RefusalCase {
  const char* name;
  Bytes file;
};

class MidiRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(MidiRefusal, RaisesTheFormatError) {
  EXPECT_THROW(ParseMidiFile(GetParam().file), EMidiFormat) << GetParam().name;
}

std::vector<RefusalCase> RefusalCases() {
  const std::uint8_t data_first[] = {0x00, 0x3C, 0x40};
  const std::uint8_t long_quantity[] = {0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x40};
  const std::uint8_t system_message[] = {0x00, 0xF2, 0x00, 0x00};
  const std::uint8_t status_in_data[] = {0x00, 0x90, 0x3C, 0x80};
  std::vector<RefusalCase> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"not a MIDI file", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}});
  cases.push_back({"RIFF RMID without data chunk", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'R', 'M', 'I', 'D'}});
  cases.push_back({"header only", [] { Bytes f = File(0, 96, {}); return f; }()});
  cases.push_back({"format 2", File(2, 96, {Notes(1, 96).EndOfTrack()})});
  cases.push_back({"zero division", File(0, 0, {Notes(1, 96).EndOfTrack()})});
  cases.push_back({"a data byte without status", File(0, 96, {MidiTrackWriter().Raw(data_first)})});
  cases.push_back({"a quantity of five bytes", File(0, 96, {MidiTrackWriter().Raw(long_quantity)})});
  cases.push_back({"a system common message in a track", File(0, 96, {MidiTrackWriter().Raw(system_message)})});
  cases.push_back({"a status byte inside a channel message", File(0, 96, {MidiTrackWriter().Raw(status_in_data)})});
  cases.push_back({"longer than twelve hours",
                   [] {
                     MidiTrackWriter track;
                     track.Tempo(0, 0xFFFFFF);
                     for (int i = 0; i < 8; ++i) track.Text(0x0FFFFFFF, "x");
                     return File(0, 1, {track});
                   }()});
  const int most = static_cast<int>(kMaxMessagesPerSpan);
  cases.push_back({"more notes at one instant than can be played", File(0, 96, {Crowd(most + 1).EndOfTrack(96)})});
  cases.push_back({"the crowd split over two tracks",
                   File(1, 96, {Crowd(most / 2).EndOfTrack(96), Crowd(most / 2 + 1).EndOfTrack(96)})});
  cases.push_back({"the crowd a tick apart at the fastest tempo", File(0, 96, {Crowd(most + 1, 1, 1).EndOfTrack(96)})});
  cases.push_back({"header length past the end", [] {
                     Bytes f = File(0, 96, {Notes(1, 96)});
                     f[7] = 0xFF;
                     return f;
                   }()});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, MidiRefusal, ::testing::ValuesIn(RefusalCases()), CaseName<RefusalCase>);

}  // namespace
}  // namespace velquora::mci
