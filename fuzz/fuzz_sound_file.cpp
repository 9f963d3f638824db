// Arbitrary bytes as a sound file that a scene embeds. The first byte picks the file's
// extension; the rest is written to a temporary file of that name, which then goes
// through what a device's open does (the MIDI parser, or FFmpeg's probe) and, when that
// succeeds, through the device's decoder or synthesiser to PCM, offline, without an
// output. Opening may only succeed or raise ESoundFile; decoding may only end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "fuzz_temp_directory.h"
#include "platform/mci/device.h"
#include "platform/mci/midi_file.h"
#include "platform/mci/midi_synth.h"
#include "platform/mci/pcm_source.h"
#include "platform/mci/sampled_sound.h"
#include "platform/system/temp_files.h"

namespace {

constexpr const char* kExtensions[] = {".wav", ".mid", ".rmi", ".avi", ".mp3", ".snd"};
// Enough output to run every decoder through several blocks, small enough to stay fast.
constexpr std::size_t kMaxFrames = 16384;
constexpr std::uint32_t kMaxMidiMs = 100;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  velquora::UseOwnTemporaryDirectory("fuzz_sound_file");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velquora::mci;
  if (size == 0) return 0;
  const std::span<const std::uint8_t> bytes(data + 1, size - 1);

  // The parser on its own: any result must be within the bounds it promises.
  try {
    const MidiTiming timing = ParseMidiFile(bytes);
    if (timing.LengthMs > kMaxSoundMilliseconds || timing.Tracks <= 0 || timing.Smf.size() > bytes.size()) std::abort();
  } catch (const EMidiFormat&) {
  }

  const std::string extension = kExtensions[data[0] % std::size(kExtensions)];
  const std::filesystem::path path = velquora::SystemTemporaryDirectory() / ("sound" + extension);
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

  const MediumKind kind = (extension == ".mid" || extension == ".rmi") ? MediumKind::Midi : MediumKind::Sampled;
  try {
    Medium medium = OpenMedium(kind, path);
    std::unique_ptr<PcmSource> source;
    if (kind == MediumKind::Midi) {
      auto smf = std::make_shared<const std::vector<std::uint8_t>>(std::move(medium.Smf));
      source = OpenMidiSynth(smf, std::min(medium.LengthMs, kMaxMidiMs));
    } else {
      source = OpenSampledSound(path);
    }
    std::vector<std::int16_t> samples(4096 * kOutputChannels);
    std::size_t total = 0;
    while (total < kMaxFrames) {
      const std::size_t read = source->Read(samples.data(), 4096);
      if (read > 4096) std::abort();
      if (read == 0) break;
      total += read;
    }
  } catch (const ESoundFile&) {
  }
  std::filesystem::remove(path);
  return 0;
}
