#include "host/settings.h"

#include <algorithm>
#include <charconv>

#include "host/mode_choice.h"

namespace velquora {

namespace {

bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

bool StoresNothing(HostMode mode) {
  return mode == HostMode::Program || mode == HostMode::Show || mode == HostMode::SettingsNoSave ||
         mode == HostMode::ChangePassword;
}

}  // namespace

std::string SaverBaseName(std::string_view program_path) {
  const std::size_t separator = program_path.find_last_of("/\\");
  std::string_view name = separator == std::string_view::npos ? program_path : program_path.substr(separator + 1);
  name.remove_suffix(FileExtension(name).size());
  return std::string(name);
}

std::string SettingsKeyPath(std::string_view program_path) {
  std::string path = std::string(kSaverKeysPath) + SaverBaseName(program_path);
  if (path.size() > kMaxSettingsKeyPath) {
    std::size_t cut = kMaxSettingsKeyPath;
    while (cut > 0 && IsUtf8Continuation(path[cut])) --cut;
    path.resize(cut);
  }
  return path;
}

std::optional<std::int32_t> ParseDecimalInteger(std::string_view text) {
  const bool has_sign = !text.empty() && (text.front() == '+' || text.front() == '-');
  const std::string_view digits = text.substr(has_sign ? 1 : 0);
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  if (text.front() == '+') text.remove_prefix(1);  // from_chars takes only '-'
  std::int32_t number = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), number, 10);
  if (error != std::errc()) return std::nullopt;  // out of range
  return number;
}

std::int32_t ReadIntegerSetting(const TRegistry& key, std::string_view name, std::int32_t default_value) {
  const std::optional<std::string> text = key.ReadString(name);
  if (!text) return default_value;
  return ParseDecimalInteger(*text).value_or(default_value);
}

bool ReadBoolSetting(const TRegistry& key, std::string_view name, bool default_value) {
  return ReadIntegerSetting(key, name, default_value ? 1 : 0) != 0;
}

bool ScenePlayerFailed(const HostState& host) { return host.Scene && host.Scene->Player && host.Scene->Player->Failed; }

TSaverSettings::TSaverSettings(TRegistryStore& store, AudioFailedQuery audio_failed)
    : store_(store), audio_failed_(std::move(audio_failed)) {}

bool TSaverSettings::CrcChecked(const HostState& host) {
  TRegistry key(store_);
  if (!key.OpenKey(SettingsKeyPath(host.ProgramPath), false)) return false;
  try {
    return ReadBoolSetting(key, kCrcCheckedValue, false);
  } catch (const ERegistryError&) {
    return false;  // unreadable: the check runs, as for a fresh user
  }
}

void TSaverSettings::Read(HostState& host) {
  if (!host.Scene) return;
  TRegistry key(store_);
  if (!key.OpenKey(SettingsKeyPath(host.ProgramPath), false)) return;
  TVelquoraScene& scene = *host.Scene;
  scene.TimerInterval = ReadIntegerSetting(key, kTimerIntervalValue, scene.TimerInterval);
  SoundRunsLeft = ReadIntegerSetting(key, kPlaySoundValue, kSoundRunsWhenOn);
  scene.SoundEnabled = (SoundRunsLeft & 0xFF) != 0;
}

void TSaverSettings::Save(HostState& host) {
  last_save_stored_ = true;
  if (StoresNothing(host.Mode)) return;
  TRegistry key(store_);
  if (!key.OpenKey(SettingsKeyPath(host.ProgramPath), true)) {
    last_save_stored_ = false;
    return;
  }
  try {
    Store(host, key);
  } catch (const ERegistryError&) {
    last_save_stored_ = false;  // the store has reported why
  }
}

void TSaverSettings::Store(HostState& host, TRegistry& key) {
  if (host.Mode == HostMode::Run || host.Mode == HostMode::Preview) {
    key.WriteString(kCrcCheckedValue, "1");
    if (host.Mode == HostMode::Run && audio_failed_ && audio_failed_(host)) {
      SoundRunsLeft = SoundRunsLeft > 0 ? SoundRunsLeft - 1 : 0;  // no overflow below the minimum
      key.WriteString(kPlaySoundValue, std::to_string(SoundRunsLeft));
    }
  }
  if (host.Mode == HostMode::Settings && host.Scene) {
    key.WriteString(kTimerIntervalValue, std::to_string(host.Scene->TimerInterval));
    SoundRunsLeft = host.Scene->SoundEnabled ? kSoundRunsWhenOn : 0;
    key.WriteString(kPlaySoundValue, std::to_string(SoundRunsLeft));
  }
}

}  // namespace velquora
