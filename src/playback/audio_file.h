#pragma once
// TAudioFile and TAudioItem: the scene's audio playlist. A file is either a plain entry,
// played in list order whenever the player is idle, or a timed entry whose items start
// and stop it at given ticks of the scene cycle. Everything plays through the scene's
// one media player; once that has failed, the playlist does nothing more.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/ansi_text.h"

namespace velquora {

class TAudioFile;
class TMediaPlayer;

// One timed start (and optional stop) of the owning audio file.
class TAudioItem {
public:
  explicit TAudioItem(TAudioFile* audio_file = nullptr) : AudioFile(audio_file) {}

  // At StartTick starts the owning file; then, when StopEnabled, at StopTick stops what
  // plays (both in one tick when they are equal). Nothing once the player has failed.
  void Update(std::int32_t tick, TMediaPlayer& player);
  // Opens the owning file on its device type (closing what the player had open) and
  // plays it. A file without a name, a refused command or any exception makes the
  // player fail.
  void StartPlayback(TMediaPlayer& player);
  // Stops whatever the player plays, also a plain entry or a video's sound. A refused
  // stop makes the player fail; an exception is swallowed and changes nothing.
  void StopPlayback(TMediaPlayer& player);

  std::int32_t StartTick = 0;        // cycle tick at which the owning file is opened and played (reader)
  std::int32_t StopTick = 0;         // cycle tick at which playback stops, when StopEnabled (reader)
  bool StopEnabled = false;          // StopTick is in force (reader)
  TAudioFile* AudioFile = nullptr;   // the file whose Items hold this item; not owned
};

using TAudioItemList = std::vector<std::unique_ptr<TAudioItem>>;

// Index of the media device type "WaveAudio", the default of a new audio file.
inline constexpr std::uint8_t kWaveAudioDeviceType = 12;

class TAudioFile {
public:
  TAudioFile() = default;
  // Deletes the temporary copy that the reader wrote for this file, if any.
  ~TAudioFile();
  // Items point back at their file, so a file never moves.
  TAudioFile(const TAudioFile&) = delete;
  TAudioFile& operator=(const TAudioFile&) = delete;

  // Appends a new item owned by this file and pointing back at it.
  TAudioItem& AddItem();

  // One tick of this file. A plain entry starts when the player is idle and the tick is
  // 4 or later; a timed entry updates its items. Any exception makes the player fail;
  // nothing happens once it has failed.
  void Update(std::int32_t tick, TMediaPlayer& player);

  // Records that this object created path on disk; the destructor deletes it. Only a
  // file that this object created is ever deleted.
  void AdoptTempCopy(const std::filesystem::path& path) { temp_copy_path_ = path; }
  const std::filesystem::path& TempCopyPath() const { return temp_copy_path_; }

  bool IsTempCopy = false;                          // FileName names a copy the reader wrote (reader)
  std::uint8_t DeviceType = kWaveAudioDeviceType;   // media device type index; 0: chosen from the name (reader)
  AnsiString FileName;                              // file to play: stored path or the temporary copy (reader)
  TAudioItemList Items;                             // timed entries; empty for a plain entry (reader)

private:
  std::filesystem::path temp_copy_path_;  // the temporary copy on disk; empty when none was created
};

using TAudioFileList = std::vector<std::unique_ptr<TAudioFile>>;

// Cycle ticks 1 to 3 start no plain entry.
inline constexpr std::int32_t kFirstPlainEntryTick = 4;

// One tick of the playlist at the given cycle tick. While the player is idle, files are
// updated from current_audio_index on until one of them starts playing, the index
// moving past each and wrapping to 0 at the end of the list; while it plays, every file
// is updated, so that timed items fire over the sound that plays.
void PlaylistTick(TAudioFileList& files, std::int32_t& current_audio_index, std::int32_t tick,
                  TMediaPlayer& player);

}  // namespace velquora
