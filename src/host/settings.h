#pragma once
// The saver's stored settings: string values under the current user's key of this
// saver, named after the saver file, so that savers made from the same program under
// different names keep separate settings.
//   "Timer Interval"  the frame period in milliseconds
//   "Play Sound"      0: sound off; n > 0: sound on, n more full-screen runs whose audio
//                     fails are tolerated before sound is switched off
//   "CRC Checked"     "1" once a preview or full-screen run has completed: the integrity
//                     check of the saver file is skipped from then on
// Integers are stored as decimal text and booleans as "0" or "1"; text that is not a
// decimal integer reads as the caller's default.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/host_settings.h"
#include "host/host_state.h"
#include "platform/registry/registry.h"

namespace velquora {

inline constexpr std::string_view kSaverKeysPath = "SOFTWARE\\Dorvex\\Screen Savers\\";
inline constexpr std::size_t kMaxSettingsKeyPath = 255;  // bytes of the subkey path
inline constexpr std::int32_t kSoundRunsWhenOn = 10;

inline constexpr std::string_view kTimerIntervalValue = "Timer Interval";
inline constexpr std::string_view kPlaySoundValue = "Play Sound";
inline constexpr std::string_view kCrcCheckedValue = "CRC Checked";

// The file name of the path without directory ('/' or '\') and without its extension
// (from the last dot on); case unchanged.
std::string SaverBaseName(std::string_view program_path);

// kSaverKeysPath followed by the base name, cut to kMaxSettingsKeyPath bytes (never in
// the middle of a UTF-8 character).
std::string SettingsKeyPath(std::string_view program_path);

// A signed decimal integer: an optional '+' or '-' and one or more digits, nothing else
// (no blanks, no hex), within the signed 32-bit range. nullopt for any other text.
std::optional<std::int32_t> ParseDecimalInteger(std::string_view text);

// Integer and boolean reads of the open key. A missing value or a text that does not
// parse gives the default; a value of a non-string type raises ERegistryError.
std::int32_t ReadIntegerSetting(const TRegistry& key, std::string_view name, std::int32_t default_value);
bool ReadBoolSetting(const TRegistry& key, std::string_view name, bool default_value);

// Whether the host's scene has a player whose sticky failure flag is set: the audio of
// this run failed.
bool ScenePlayerFailed(const HostState& host);

// The settings of the saver host.ProgramPath in a registry store.
class TSaverSettings : public HostSettings {
public:
  // Whether the scene's audio player failed during this run (its sticky failure flag).
  using AudioFailedQuery = std::function<bool(const HostState&)>;

  // Without a query no run counts as one whose audio failed.
  explicit TSaverSettings(TRegistryStore& store, AudioFailedQuery audio_failed = {});

  // "CRC Checked" reads as true. A key that does not open, or a value that cannot be
  // read, gives false: the integrity check then runs.
  bool CrcChecked(const HostState& host) override;
  // "Timer Interval" into the scene's TimerInterval (its own value as default), "Play
  // Sound" into SoundRunsLeft (default 10) and the scene's SoundEnabled (low 8 bits not
  // zero). A missing key changes nothing. Raises ERegistryError for a value of a
  // non-string type.
  void Read(HostState& host) override;
  // Nothing in Program, Show, SettingsNoSave and ChangePassword modes. Run and Preview:
  // "CRC Checked" = "1", and in Run mode after a run whose audio failed, "Play Sound" =
  // SoundRunsLeft - 1 (not below 0). Settings: "Timer Interval" and "Play Sound" (10 when
  // the scene's sound is on, else 0). A store that cannot be written stores nothing
  // (the store reports it on stderr) and LastSaveStored() turns false.
  void Save(HostState& host) override;

  bool LastSaveStored() const { return last_save_stored_; }

  std::int32_t SoundRunsLeft = kSoundRunsWhenOn;  // last value read from or written to "Play Sound"

private:
  void Store(HostState& host, TRegistry& key);

  TRegistryStore& store_;
  AudioFailedQuery audio_failed_;
  bool last_save_stored_ = true;
};

}  // namespace velquora
