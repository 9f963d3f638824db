// The real devices, heard through SDL's disk output: the test process writes what the
// output plays to a file of its own, and the tests read the sound back from it. They
// wait for real playback, so they poll with generous timeouts and assert no timings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "mci_test_support.h"

namespace velquora::mci_test {
namespace {

constexpr std::size_t kFrameBytes = 4;  // 16-bit stereo
constexpr int kRate = 44100;

// SDL reads its audio driver from the environment when audio starts: set it before any test.
const fs::path& DiskOutput() {
  static const fs::path path = [] {
    fs::path file = fs::temp_directory_path() / ("mci_real_test_" + std::to_string(::getpid()) + ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    std::atexit([] {
      std::error_code ignored;
      fs::remove(DiskOutput(), ignored);
    });
    return file;
  }();
  return path;
}
const bool kDiskOutputSet = !DiskOutput().empty();

std::uintmax_t OutputBytes() {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(DiskOutput(), error);
  return error ? 0 : size;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds timeout = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// The samples (left, right) the output wrote from byte `from` on.
std::vector<std::int16_t> OutputSamples(std::uintmax_t from) {
  std::ifstream in(DiskOutput(), std::ios::binary);
  in.seekg(static_cast<std::streamoff>(from - from % kFrameBytes));
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

// Zero crossings of one channel over `frames` frames from frame `start`, as a frequency.
double Frequency(const std::vector<std::int16_t>& samples, std::size_t start, std::size_t frames, int channel) {
  int crossings = 0;
  for (std::size_t i = start + 1; i < start + frames; ++i) {
    if ((samples[(i - 1) * 2 + channel] < 0) != (samples[i * 2 + channel] < 0)) ++crossings;
  }
  return crossings / 2.0 * kRate / static_cast<double>(frames);
}

std::size_t FirstSound(const std::vector<std::int16_t>& samples) {
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(samples[i]) > 200) return i / 2;
  }
  return samples.size() / 2;
}

class RealDevices : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(kDiskOutputSet); }
};

TEST_F(RealDevices, AStereoToneComesOutAtItsFrequencies) {
  DeviceId id = 0;
  ASSERT_EQ(Open(AudioFile("tone440_660_stereo_44k1_s16.wav"), id), 0u);
  const std::uintmax_t before = OutputBytes();
  ASSERT_EQ(Play(id), 0u);
  EXPECT_TRUE(WaitFor([&] { return Mode(id) == MCI_MODE_STOP; })) << "the play does not end";
  EXPECT_EQ(Position(id), 1000u);
  // Let the output write on past the tone, so that all of it is in the file.
  EXPECT_TRUE(WaitFor([&] { return OutputBytes() >= before + (kRate + kRate / 2) * kFrameBytes; }));
  Close(id);

  const std::vector<std::int16_t> samples = OutputSamples(before);
  const std::size_t start = FirstSound(samples);
  ASSERT_LT(start + kRate / 2, samples.size() / 2) << "no tone in the output";
  EXPECT_NEAR(Frequency(samples, start + 1000, kRate / 2, 0), 440.0, 4.0);
  EXPECT_NEAR(Frequency(samples, start + 1000, kRate / 2, 1), 660.0, 4.0);
}

TEST_F(RealDevices, EveryWaveFileReportsItsRecordedLength) {
  std::ifstream facts_file(AudioFile("FACTS.json"));
  const nlohmann::json facts = nlohmann::json::parse(facts_file);
  int files = 0;
  for (const auto& [name, fact] : facts.items()) {
    if (fs::path(name).extension() != ".wav") continue;
    ++files;
    DeviceId id = 0;
    ASSERT_EQ(Open(AudioFile(name), id), 0u) << name;
    const double milliseconds = fact["duration_s_sox"].get<double>() * 1000;
    EXPECT_NEAR(Length(id), milliseconds, 0.5) << name;
    Close(id);
  }
  EXPECT_EQ(files, 4);
}

TEST_F(RealDevices, TheMidiFileSoundsAndLastsTwoAndAHalfSeconds) {
  DeviceId id = 0;
  ASSERT_EQ(Open(AudioFile("notes_format0.mid"), id), 0u);
  EXPECT_EQ(Length(id), 2500u);
  const std::uintmax_t before = OutputBytes();
  ASSERT_EQ(Play(id), 0u);
  EXPECT_TRUE(WaitFor([&] { return Position(id) >= 800; }));
  EXPECT_EQ(Stop(id), 0u);
  EXPECT_EQ(Mode(id), MCI_MODE_STOP);
  EXPECT_TRUE(WaitFor([&] { return OutputBytes() >= before + kRate * kFrameBytes; }));
  Close(id);

  const std::vector<std::int16_t> samples = OutputSamples(before);
  double energy = 0;
  for (const std::int16_t sample : samples) energy += static_cast<double>(sample) * sample;
  const double rms = std::sqrt(energy / std::max<std::size_t>(samples.size(), 1));
  EXPECT_GT(rms, 100.0) << "the synthesiser played silence";
}

TEST_F(RealDevices, StopHoldsThePlayedPositionAndSeekToStartGoesBack) {
  DeviceId id = 0;
  ASSERT_EQ(Open(AudioFile("tone440_660_stereo_44k1_s16.wav"), id), 0u);
  ASSERT_EQ(Play(id), 0u);
  EXPECT_TRUE(WaitFor([&] { return Position(id) >= 100; }));
  ASSERT_EQ(Stop(id), 0u);
  const std::uint32_t stopped = Position(id);
  EXPECT_GE(stopped, 100u);
  EXPECT_LT(stopped, 1000u);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(Position(id), stopped);
  EXPECT_EQ(Mode(id), MCI_MODE_STOP);
  // Play resumes from there.
  ASSERT_EQ(Play(id), 0u);
  EXPECT_TRUE(WaitFor([&] { return Position(id) > stopped || Mode(id) == MCI_MODE_STOP; }));
  ASSERT_EQ(Rewind(id), 0u);
  EXPECT_EQ(Position(id), 0u);
  EXPECT_EQ(Mode(id), MCI_MODE_STOP);
  EXPECT_EQ(Close(id), 0u);
  EXPECT_EQ(Mode(id), 0xFFFFFFFFu);
}

TEST_F(RealDevices, ADamagedFileFailsToOpen) {
  ScopedTempDir folder;
  std::ifstream in(AudioFile("tone440_mono_8k_s16.wav"), std::ios::binary);
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  bytes.resize(30);  // the header cut inside its format chunk
  DeviceId id = 0;
  EXPECT_EQ(Open(folder.Write("cut.wav", bytes), id), MCIERR_INVALID_FILE);
  EXPECT_EQ(id, 0);
}

// Threads of this process that are running now.
std::size_t RunningThreads() {
  std::size_t count = 0;
  for ([[maybe_unused]] const fs::directory_entry& task : fs::directory_iterator("/proc/self/task")) ++count;
  return count;
}

// A MIDI file of one note held for an hour (96 ticks a beat at 120 beats a minute).
std::vector<std::uint8_t> HourLongMidi() {
  constexpr std::uint32_t kTicks = 96 * 2 * 3600;
  return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 13,
          0, 0x90, 0x3C, 0x64,
          static_cast<std::uint8_t>(0x80 | (kTicks >> 14)), static_cast<std::uint8_t>(0x80 | ((kTicks >> 7) & 0x7F)),
          static_cast<std::uint8_t>(kTicks & 0x7F), 0x80, 0x3C, 0x40,
          0, 0xFF, 0x2F, 0};
}

// A device closed in the middle of its song, or while it is still rendering its way to a
// far seek position, ends its decoder thread promptly instead of at the song's end.
TEST_F(RealDevices, ClosingAMidiDeviceMidSongEndsItsDecoder) {
  ScopedTempDir folder;
  const fs::path song = folder.Write("hour.mid", HourLongMidi());
  for (const bool seek_far : {false, true}) {
    SCOPED_TRACE(seek_far ? "closed during a far seek" : "closed while playing");
    DeviceId id = 0;
    ASSERT_EQ(Open(song, id), 0u);
    ASSERT_EQ(Length(id), 3600000u);
    ASSERT_EQ(Play(id), 0u);
    ASSERT_TRUE(WaitFor([&] { return Position(id) >= 100; }));
    if (seek_far) {
      SeekParms parms;
      parms.To = 3590000;
      ASSERT_EQ(SendCommand(id, MCI_SEEK, MCI_WAIT | MCI_TO, &parms), 0u);
    }
    const std::size_t with_decoder = RunningThreads();
    EXPECT_EQ(Close(id), 0u);
    EXPECT_TRUE(WaitFor([&] { return RunningThreads() < with_decoder; })) << "the decoder thread goes on";
  }
}

// Runs in a fresh process (the output of this one may be open already) whose SDL finds
// no audio driver: the open fails, so the playlist goes silent.
TEST(RealDevicesWithoutOutput, OpenFailsWithAHardwareError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        DeviceId id = 0;
        const Result result = Open(AudioFile("tone440_mono_8k_s16.wav"), id);
        std::exit(result == MCIERR_HARDWARE && id == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace velquora::mci_test
