// Sound output costs: the share of one core that the process spends while a device
// plays (decoder or synthesiser thread, output callback and the caller's polling every
// 50 ms, as the scene's timer does), and the time from an open to the first frames the
// output takes. The output is SDL's disk driver writing to /dev/null at real-time pace.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

#include <filesystem>
#include <fstream>
#include <vector>

#include "midi_writer.h"
#include "platform/mci/mci.h"
#include "wav_writer.h"

namespace {

using namespace velquora::mci;
using Clock = std::chrono::steady_clock;

const bool kDiskOutput = [] {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  return true;
}();

std::string AudioFile(const char* name) { return std::string(VELQUORA_SOURCE_DIR) + "/tests/data/audio/" + name; }

// Five seconds of each kind, long enough that starting a device is a small part of the play.
std::string WriteBenchFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}
const std::string kLongWave = WriteBenchFile("bench_audio_5s.wav", velquora::WritePcmWave(44100, 2, velquora::SineSamples(44100, 2, 440, 5 * 44100)));
const std::string kLongMidi = [] {
  // Chords of three notes, a quarter note each (96 ticks a quarter at 120 bpm), ten of them.
  velquora::MidiTrackWriter track;
  track.ProgramChange(0, 0, 0).ProgramChange(0, 1, 48);
  for (int i = 0; i < 10; ++i) {
    const int root = 48 + (i * 5) % 12;
    track.NoteOn(0, 0, root, 90).NoteOn(0, 0, root + 4, 90).NoteOn(0, 1, root + 7, 80);
    track.NoteOff(96, 0, root).NoteOff(0, 0, root + 4).NoteOff(0, 1, root + 7);
  }
  track.EndOfTrack();
  const std::vector<velquora::MidiTrackWriter> tracks = {track};
  return WriteBenchFile("bench_audio_5s.mid", velquora::WriteMidiFile(0, 96, tracks));
}();

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

DeviceId OpenOrSkip(benchmark::State& state, const std::string& path) {
  OpenParms open;
  open.ElementName = path;
  if (SendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, &open) != 0) state.SkipWithError("open failed");
  return open.DeviceID;
}

std::uint32_t Status(DeviceId id, std::uint32_t item) {
  StatusParms status;
  status.Item = item;
  SendCommand(id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, &status);
  return status.Return;
}

void Close(DeviceId id) {
  GenericParms close;
  SendCommand(id, MCI_CLOSE, MCI_WAIT, &close);
}

// Plays the file to its end, polling every 50 ms; reports CPU time over wall time.
void PlayToEnd(benchmark::State& state, const std::string& name) {
  if (!kDiskOutput) return;
  // Warm up: the first open starts the output (and for MIDI loads the sound font).
  Close(OpenOrSkip(state, name));
  double cpu = 0;
  double wall = 0;
  for (auto _ : state) {
    const DeviceId id = OpenOrSkip(state, name);
    if (id == 0) break;
    const double cpu_start = ProcessCpuSeconds();
    const Clock::time_point wall_start = Clock::now();
    PlayParms play;
    SendCommand(id, MCI_PLAY, MCI_NOTIFY, &play);
    while (Status(id, MCI_STATUS_MODE) == MCI_MODE_PLAY) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double seconds = std::chrono::duration<double>(Clock::now() - wall_start).count();
    cpu += ProcessCpuSeconds() - cpu_start;
    wall += seconds;
    state.SetIterationTime(seconds);
    Close(id);
  }
  state.counters["core_share_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
}

void BM_PlayWave44kStereo5s(benchmark::State& state) { PlayToEnd(state, kLongWave); }
BENCHMARK(BM_PlayWave44kStereo5s)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PlayMidi5s(benchmark::State& state) { PlayToEnd(state, kLongMidi); }
BENCHMARK(BM_PlayMidi5s)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// From the open to the output taking the first frames of the play.
void OpenToFirstFrames(benchmark::State& state, const std::string& name) {
  Close(OpenOrSkip(state, name));
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const DeviceId id = OpenOrSkip(state, name);
    if (id == 0) break;
    PlayParms play;
    SendCommand(id, MCI_PLAY, MCI_NOTIFY, &play);
    while (Status(id, MCI_STATUS_POSITION) == 0 && Status(id, MCI_STATUS_MODE) == MCI_MODE_PLAY) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    Close(id);
  }
}

void BM_OpenToFirstFramesWave(benchmark::State& state) { OpenToFirstFrames(state, AudioFile("tone440_660_stereo_44k1_s16.wav")); }
BENCHMARK(BM_OpenToFirstFramesWave)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_OpenToFirstFramesMidi(benchmark::State& state) { OpenToFirstFrames(state, AudioFile("notes_format0.mid")); }
BENCHMARK(BM_OpenToFirstFramesMidi)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {
// The open alone: what the caller's thread spends probing the file.
void BM_OpenAndCloseWave(benchmark::State& state) {
  Close(OpenOrSkip(state, AudioFile("tone440_660_stereo_44k1_s16.wav")));
  for (auto _ : state) Close(OpenOrSkip(state, AudioFile("tone440_660_stereo_44k1_s16.wav")));
}
BENCHMARK(BM_OpenAndCloseWave)->Iterations(20)->Unit(benchmark::kMillisecond);
}  // namespace
