// The decoders and the ring behind the real devices, offline: no output involved.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "mci_test_support.h"
#include "platform/mci/audio_output.h"
#include "platform/mci/midi_file.h"
#include "platform/mci/midi_synth.h"
#include "platform/mci/sampled_sound.h"

namespace velquora::mci_test {
namespace {

std::vector<std::int16_t> DecodeAll(PcmSource& source) {
  std::vector<std::int16_t> samples;
  std::vector<std::int16_t> block(1000 * kOutputChannels);
  while (const std::size_t read = source.Read(block.data(), 1000)) {
    samples.insert(samples.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(read * kOutputChannels));
  }
  return samples;
}

double ZeroCrossingHertz(const std::vector<std::int16_t>& samples, int channel) {
  const std::size_t frames = samples.size() / 2;
  int crossings = 0;
  for (std::size_t i = 1; i < frames; ++i) {
    if ((samples[(i - 1) * 2 + channel] < 0) != (samples[i * 2 + channel] < 0)) ++crossings;
  }
  return crossings / 2.0 * kOutputRate / static_cast<double>(frames);
}

struct DecodeCase {
  const char* file;
  std::size_t frames;  // at 44100 Hz
  double hertz;
};

TEST(SampledSound, EveryTestWaveDecodesToItsLengthAndToneAt44100Hz) {
  const std::vector<DecodeCase> cases = {
      {"tone440_mono_8k_s16.wav", 22050, 440},
      {"tone440_mono_8k_mulaw.wav", 22050, 440},
      {"tone880_mono_11k_u8.wav", 22048, 880},
      {"tone440_660_stereo_44k1_s16.wav", 44100, 440},
      {"rawvideo_bgr24_pcm_s16le.avi", 52920, 0},
  };
  for (const DecodeCase& c : cases) {
    std::unique_ptr<PcmSource> source = OpenSampledSound(AudioFile(c.file));
    const std::vector<std::int16_t> samples = DecodeAll(*source);
    EXPECT_NEAR(static_cast<double>(samples.size() / 2), static_cast<double>(c.frames), 64) << c.file;
    if (c.hertz > 0) {
      EXPECT_NEAR(ZeroCrossingHertz(samples, 0), c.hertz, 5) << c.file;
      EXPECT_NEAR(ZeroCrossingHertz(samples, 1), c.hertz * (std::string(c.file).find("660") != std::string::npos ? 1.5 : 1), 5) << c.file;
    }
  }
}

TEST(SampledSound, AFileThatIsNoSoundFailsWithTheOpenError) {
  ScopedTempDir folder;
  const std::vector<std::uint8_t> text(500, 'x');
  try {
    OpenSampledSound(folder.Write("text.wav", text));
    ADD_FAILURE() << "opened";
  } catch (const ESoundFile& error) {
    EXPECT_EQ(error.Code(), MCIERR_INVALID_FILE);
  }
  EXPECT_THROW(ProbeSampledSound(folder.Path() / "absent.wav"), ESoundFile);
}

TEST(MidiSynth, RendersExactlyTheFileLengthAndNotSilence) {
  if (FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  std::ifstream in(AudioFile("notes_format0.mid"), std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const MidiTiming timing = ParseMidiFile(bytes);
  auto smf = std::make_shared<const std::vector<std::uint8_t>>(timing.Smf.begin(), timing.Smf.end());
  std::unique_ptr<PcmSource> source = OpenMidiSynth(smf, timing.LengthMs);
  const std::vector<std::int16_t> samples = DecodeAll(*source);
  EXPECT_EQ(samples.size() / 2, FramesOf(2500));
  double energy = 0;
  for (const std::int16_t sample : samples) energy += static_cast<double>(sample) * sample;
  EXPECT_GT(std::sqrt(energy / static_cast<double>(samples.size())), 100.0);
}

TEST(PcmRing, KeepsFramesInOrderAcrossTheWrapAndNeverOverfills) {
  PcmRing ring(5);
  std::vector<std::int16_t> in;
  for (int i = 0; i < 40; ++i) in.push_back(static_cast<std::int16_t>(i));
  EXPECT_EQ(ring.Write(in.data(), 3), 3u);
  std::vector<std::int32_t> mix(20, 0);
  EXPECT_EQ(ring.ReadAdding(mix.data(), 2), 2u);
  EXPECT_EQ(ring.FreeFrames(), 4u);
  EXPECT_EQ(ring.Write(in.data() + 6, 10), 4u);  // frames 3..6 fit, no more
  EXPECT_EQ(ring.FreeFrames(), 0u);
  std::fill(mix.begin(), mix.end(), 100);
  EXPECT_EQ(ring.ReadAdding(mix.data(), 9), 5u);  // frame 2 and frames 3..6, wrapped
  const std::vector<std::int32_t> expected = {104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 100, 100};
  EXPECT_EQ(std::vector<std::int32_t>(mix.begin(), mix.begin() + 12), expected);
  EXPECT_EQ(ring.ReadAdding(mix.data(), 1), 0u);
}

}  // namespace
}  // namespace velquora::mci_test
