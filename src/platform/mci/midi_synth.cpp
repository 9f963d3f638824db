#include "platform/mci/midi_synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <mutex>
#include <system_error>

namespace velquora::mci {

namespace {

constexpr std::uintmax_t kMaxSoundFontBytes = 1ull << 30;
constexpr std::size_t kKeptSynths = 2;

struct SettingsFree {
  void operator()(fluid_settings_t* settings) const { delete_fluid_settings(settings); }
};
struct SynthFree {
  void operator()(fluid_synth_t* synth) const { delete_fluid_synth(synth); }
};
struct PlayerFree {
  void operator()(fluid_player_t* player) const {
    fluid_player_stop(player);
    delete_fluid_player(player);
  }
};

// A synthesiser with the sound font loaded.
struct Synth {
  std::unique_ptr<fluid_settings_t, SettingsFree> Settings;
  std::unique_ptr<fluid_synth_t, SynthFree> Engine;  // declared after Settings: freed first
};

std::unique_ptr<Synth> MakeSynth() {
  static std::once_flag quiet;
  std::call_once(quiet, [] {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) fluid_set_log_function(level, nullptr, nullptr);
  });
  const std::filesystem::path font = FindSoundFont();
  if (font.empty()) throw ESoundFile(MCIERR_CANNOT_LOAD_DRIVER, "no General MIDI sound font installed");
  auto synth = std::make_unique<Synth>();
  synth->Settings.reset(new_fluid_settings());
  if (!synth->Settings) throw ESoundFile(MCIERR_OUT_OF_MEMORY, "out of memory");
  fluid_settings_t* settings = synth->Settings.get();
  fluid_settings_setnum(settings, "synth.sample-rate", kOutputRate);
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  fluid_settings_setint(settings, "synth.lock-memory", 0);
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  synth->Engine.reset(new_fluid_synth(settings));
  if (!synth->Engine) throw ESoundFile(MCIERR_CANNOT_LOAD_DRIVER, "synthesiser cannot be made");
  if (fluid_synth_sfload(synth->Engine.get(), font.c_str(), 1) == FLUID_FAILED) {
    throw ESoundFile(MCIERR_CANNOT_LOAD_DRIVER, "sound font cannot be loaded");
  }
  return synth;
}

class SynthPool {
public:
  std::unique_ptr<Synth> Take() {
    {
      std::lock_guard lock(lock_);
      if (!idle_.empty()) {
        std::unique_ptr<Synth> synth = std::move(idle_.back());
        idle_.pop_back();
        return synth;
      }
    }
    return MakeSynth();
  }

  void Give(std::unique_ptr<Synth> synth) {
    fluid_synth_system_reset(synth->Engine.get());
    std::lock_guard lock(lock_);
    if (idle_.size() < kKeptSynths) idle_.push_back(std::move(synth));
  }

private:
  std::mutex lock_;
  std::vector<std::unique_ptr<Synth>> idle_;
};

std::shared_ptr<SynthPool> Pool() {
  static const std::shared_ptr<SynthPool> pool = std::make_shared<SynthPool>();
  return pool;
}

class MidiSynth : public PcmSource {
public:
  MidiSynth(std::shared_ptr<const std::vector<std::uint8_t>> smf, std::uint32_t length_ms)
      : pool_(Pool()), smf_(std::move(smf)), frames_left_(FramesOf(length_ms)) {
    synth_ = pool_->Take();
    player_.reset(new_fluid_player(synth_->Engine.get()));
    if (!player_) throw ESoundFile(MCIERR_CANNOT_LOAD_DRIVER, "MIDI player cannot be made");
    // A file the player cannot read plays as silence for its length.
    if (!smf_->empty() && fluid_player_add_mem(player_.get(), smf_->data(), smf_->size()) == FLUID_OK) {
      fluid_player_play(player_.get());
    }
  }

  ~MidiSynth() override {
    player_.reset();
    if (synth_) pool_->Give(std::move(synth_));
  }

  std::size_t Read(std::int16_t* samples, std::size_t frames) override {
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(frames, frames_left_));
    std::size_t done = 0;
    while (done < count) {
      const int block = static_cast<int>(std::min<std::size_t>(count - done, 4096));
      std::int16_t* at = samples + done * kOutputChannels;
      if (fluid_synth_write_s16(synth_->Engine.get(), block, at, 0, 2, at, 1, 2) != FLUID_OK) {
        std::fill_n(at, static_cast<std::size_t>(block) * kOutputChannels, std::int16_t{0});
      }
      done += static_cast<std::size_t>(block);
    }
    frames_left_ -= count;
    return count;
  }

private:
  std::shared_ptr<SynthPool> pool_;
  std::shared_ptr<const std::vector<std::uint8_t>> smf_;
  std::uint64_t frames_left_;
  std::unique_ptr<Synth> synth_;
  std::unique_ptr<fluid_player_t, PlayerFree> player_;
};

}  // namespace

std::filesystem::path FindSoundFont() {
  std::filesystem::path best;
  std::uintmax_t best_size = 0;
  for (const char* folder : {"/usr/share/sounds/sf2", "/usr/share/soundfonts", "/usr/local/share/soundfonts"}) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      std::string extension = it->path().extension().string();
      std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (extension != ".sf2") continue;
      std::error_code size_error;
      const std::uintmax_t size = std::filesystem::file_size(it->path(), size_error);
      if (size_error || size > kMaxSoundFontBytes || size <= best_size) continue;
      best = it->path();
      best_size = size;
    }
  }
  return best;
}

std::unique_ptr<PcmSource> OpenMidiSynth(std::shared_ptr<const std::vector<std::uint8_t>> smf, std::uint32_t length_ms) {
  return std::make_unique<MidiSynth>(std::move(smf), length_ms);
}

}  // namespace velquora::mci
