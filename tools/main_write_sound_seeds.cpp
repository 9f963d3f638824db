// Writes seed inputs for the sound file fuzz target into a directory: short PCM wave
// files and MIDI files (formats 0 and 1, running status, tempo changes, system
// exclusive, RIFF-wrapped), each prefixed with the target's extension selector byte
// (0 ".wav", 1 ".mid", 2 ".rmi").
//   write_sound_seeds DIRECTORY
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "midi_writer.h"
#include "wav_writer.h"

namespace {

using namespace velquora;
using Bytes = std::vector<std::uint8_t>;

void WriteSeed(const std::filesystem::path& directory, const std::string& name, std::uint8_t selector, const Bytes& bytes) {
  std::ofstream out(directory / name, std::ios::binary);
  out.put(static_cast<char>(selector));
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Song(int format, bool running_status) {
  const std::uint8_t sysex[] = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
  MidiTrackWriter tempo;
  tempo.Tempo(0, 400000).Text(0, "seed").Tempo(48, 600000).EndOfTrack(96);
  MidiTrackWriter notes(running_status);
  notes.SysEx(0, sysex).ProgramChange(0, 0, 5);
  for (int i = 0; i < 4; ++i) notes.NoteOn(0, 0, 60 + i, 100).NoteOn(24, 0, 60 + i, 0);
  notes.EndOfTrack();
  if (format == 0) {
    MidiTrackWriter single(running_status);
    single.Tempo(0, 400000).ProgramChange(0, 0, 5);
    for (int i = 0; i < 4; ++i) single.NoteOn(0, 0, 60 + i, 100).NoteOn(24, 0, 60 + i, 0);
    single.EndOfTrack();
    const std::vector<MidiTrackWriter> tracks = {single};
    return WriteMidiFile(0, 96, tracks);
  }
  const std::vector<MidiTrackWriter> tracks = {tempo, notes};
  return WriteMidiFile(1, 96, tracks);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: write_sound_seeds DIRECTORY\n";
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  std::filesystem::create_directories(directory);
  WriteSeed(directory, "mono_8k.wav", 0, WritePcmWave(8000, 1, SineSamples(8000, 1, 440, 400)));
  WriteSeed(directory, "stereo_44k.wav", 0, WritePcmWave(44100, 2, SineSamples(44100, 2, 660, 300)));
  WriteSeed(directory, "format0.mid", 1, Song(0, false));
  WriteSeed(directory, "format0_running.mid", 1, Song(0, true));
  WriteSeed(directory, "format1.mid", 1, Song(1, true));
  WriteSeed(directory, "wrapped.rmi", 2, WrapMidiInRiff(Song(1, false)));
  return 0;
}
