#include "playback/audio_file.h"

#include <cstddef>

#include "media/media_player.h"
#include "platform/system/temp_files.h"

namespace velquora {

namespace {

bool IsPlaying(TMediaPlayer& player) { return player.GetMode() == kModePlaying; }

// Opens the file on its device type and plays it unless the open failed. A file without
// a name raises.
void OpenAndPlay(const TAudioFile* file, TMediaPlayer& player) {
  if (file == nullptr) throw EMediaPlayerError("A sound item belongs to no sound file");
  player.SetDeviceType(file->DeviceType);
  if (file->FileName.empty()) throw EMediaPlayerError("A sound file has no name");
  player.FileName = file->FileName;
  player.Open();
  if (!player.Failed) player.Play();
}

}  // namespace

TAudioFile::~TAudioFile() {
  // A copy that has gone missing meanwhile is no error.
  if (!temp_copy_path_.empty()) DeleteFileQuietly(temp_copy_path_);
}

TAudioItem& TAudioFile::AddItem() {
  Items.push_back(std::make_unique<TAudioItem>(this));
  return *Items.back();
}

void TAudioFile::Update(std::int32_t tick, TMediaPlayer& player) {
  if (player.Failed) return;
  try {
    if (Items.empty() && !IsPlaying(player) && tick >= kFirstPlainEntryTick) {
      OpenAndPlay(this, player);
    } else {
      for (const auto& item : Items) item->Update(tick, player);
    }
  } catch (...) {
    player.Failed = true;
  }
}

void TAudioItem::Update(std::int32_t tick, TMediaPlayer& player) {
  if (player.Failed) return;
  if (tick == StartTick) StartPlayback(player);
  if (StopEnabled && tick == StopTick) StopPlayback(player);
}

void TAudioItem::StartPlayback(TMediaPlayer& player) {
  if (player.Failed) return;
  try {
    OpenAndPlay(AudioFile, player);
  } catch (...) {
    player.Failed = true;
  }
}

void TAudioItem::StopPlayback(TMediaPlayer& player) {
  if (player.Failed) return;
  try {
    if (IsPlaying(player)) player.Stop();
  } catch (...) {
    // A stop that cannot even be asked for leaves the sound to end by itself.
  }
}

void PlaylistTick(TAudioFileList& files, std::int32_t& current_audio_index, std::int32_t tick,
                  TMediaPlayer& player) {
  const auto count = static_cast<std::int32_t>(files.size());
  if (!IsPlaying(player)) {
    if (current_audio_index < 0) current_audio_index = 0;
    while (current_audio_index < count && !IsPlaying(player)) {
      files[static_cast<std::size_t>(current_audio_index)]->Update(tick, player);
      ++current_audio_index;
    }
    if (current_audio_index >= count) current_audio_index = 0;
  } else {
    for (const auto& file : files) file->Update(tick, player);
  }
}

}  // namespace velquora
