// ReadSceneRecords: the scene record, read in one pass and in a fixed
// order into the scene and the objects it owns. Which rows a file carries depends on
// ReadVersion(); every read is exact, so a stream that ends early fails the load.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "core/memory_stream.h"
#include "platform/system/resource_probe.h"
#include "platform/system/file_stream.h"
#include "platform/system/temp_files.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "scene_file/read_version.h"
#include "scene_file/scene_reader.h"
#include "scene_file/sprite_reader.h"

namespace velquora {

namespace {

// Row 53 stops reading sprites once the free-resources figure falls below this.
constexpr int kSpriteResourceThreshold = 15;

void IgnoreByte(TStream& stream) { static_cast<void>(ReadByte(stream)); }
void IgnoreInt32(TStream& stream) { static_cast<void>(ReadInt32(stream)); }
void IgnoreText(TStream& stream) { static_cast<void>(ReadShortString(stream)); }

// A string list: an i32 count, then that many shortstrings, replacing the list's
// contents. A count <= 0 leaves the list empty. Nothing is reserved from the count: the
// list grows only by texts that were really read.
void ReadStringList(TStream& stream, TStringList& list) {
  list.clear();
  const std::int32_t count = ReadInt32(stream);
  for (std::int32_t i = 0; i < count; ++i) list.push_back(ReadShortString(stream));
}

void IgnoreStringList(TStream& stream) {
  TStringList ignored;
  ReadStringList(stream, ignored);
}

// A blob that is skipped without reading its bytes. The length must lie within the
// stream: a negative one or one beyond the end means the file is damaged.
void SkipBlob(TStream& stream) {
  const std::int32_t length = ReadInt32(stream);
  if (length < 0 || length > stream.Remaining()) throw EReadError("Stream read error");
  stream.Seek(length, SeekOrigin::Current);
}

// Row 3: a BMP file image when the length is positive; otherwise the constructor's
// picture stays.
void ReadBackgroundPicture(TStream& stream, TBitmap& picture) {
  const std::int32_t length = ReadInt32(stream);
  if (length <= 0) return;
  TMemoryStream image(ReadBytes(stream, length));
  picture.LoadFromStream(image);
}

// The bare file name of a stored path: what follows the last '\\', '/' or ':'.
AnsiString BareFileName(const AnsiString& name) {
  const auto separator = name.find_last_of("\\/:");
  return separator == AnsiString::npos ? name : name.substr(separator + 1);
}

// The n-th candidate name for a copy of bare: the name itself, then "stem~n.ext".
AnsiString CandidateName(const AnsiString& bare, int n) {
  if (n == 1) return bare;
  const auto dot = bare.find_last_of('.');
  const auto stem_length = dot == AnsiString::npos || dot == 0 ? bare.size() : dot;
  return bare.substr(0, stem_length) + "~" + std::to_string(n) + bare.substr(stem_length);
}

constexpr int kMaxCandidateNames = 1000;

struct CreatedCopy {
  std::filesystem::path path;
  std::unique_ptr<TFileStream> file;
};

// Creates a new file for bare in folder (an empty folder: the current directory). An
// existing file is never replaced: a taken name moves on to the next candidate.
// Returns an empty optional when no file can be created there.
std::optional<CreatedCopy> CreateCopyFile(const std::filesystem::path& folder, const AnsiString& bare) {
  if (bare.empty() || bare == "." || bare == ".." || bare.find('\0') != AnsiString::npos) return std::nullopt;
  for (int n = 1; n <= kMaxCandidateNames; ++n) {
    CreatedCopy copy;
    copy.path = folder / AnsiToUtf8(CandidateName(bare, n));
    try {
      copy.file = std::make_unique<TFileStream>(copy.path, FileMode::CreateNew);
      return copy;
    } catch (const EFileExists&) {
      // taken: try the next name
    } catch (const EFOpenError&) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

// Writes length bytes of embedded audio from the stream to a new file named after the
// record's bare file name, in the temporary directory or, failing that, in the current
// one. FileName becomes the written file's name and IsTempCopy is set; the audio file
// deletes the copy when it is destroyed. A failure to create or write the copy is
// absorbed: the stream moves on behind the embedded data either way. The data itself
// must lie within the stream.
void WriteEmbeddedAudio(TStream& stream, std::int32_t length, TAudioFile& file) {
  if (length > stream.Remaining()) throw EReadError("Stream read error");
  const std::int64_t end = stream.Position() + length;
  const AnsiString bare = BareFileName(file.FileName);
  std::filesystem::path written = AnsiToUtf8(bare);  // the last name tried when none works
  try {
    std::optional<CreatedCopy> copy = CreateCopyFile(SystemTemporaryDirectory(), bare);
    if (!copy) copy = CreateCopyFile({}, bare);
    if (copy) {
      written = copy->path;
      file.AdoptTempCopy(copy->path);
      copy->file->CopyFrom(stream, length);
    }
  } catch (const std::exception&) {
    // An incomplete copy keeps its name and is deleted with the audio file.
  }
  stream.SetPosition(end);
  file.IsTempCopy = true;
  file.FileName = Utf8ToAnsi(written.string());
}

void ReadAudioItem(TStream& stream, TAudioItem& item) {
  item.StartTick = ReadInt32(stream);
  item.StopTick = ReadInt32(stream);
  item.StopEnabled = ReadFlag(stream);
}

// One audio file record: name, device type, embedded audio, timed items.
void ReadAudioFileRecord(TStream& stream, TAudioFile& file) {
  file.FileName = ReadShortString(stream);
  file.DeviceType = ReadByte(stream);
  const std::int32_t length = ReadInt32(stream);
  if (length < 0) throw EReadError("Negative length of embedded audio");
  if (length > 0) WriteEmbeddedAudio(stream, length, file);
  file.Items.clear();
  const std::int32_t count = ReadInt32(stream);
  for (std::int32_t i = 0; i < count; ++i) ReadAudioItem(stream, file.AddItem());
}

void ReadAudioFiles(TStream& stream, TAudioFileList& files) {
  files.clear();
  const std::int32_t count = ReadInt32(stream);
  for (std::int32_t i = 0; i < count; ++i) {
    // Appended before reading, so that a failed load keeps what was read.
    files.push_back(std::make_unique<TAudioFile>());
    ReadAudioFileRecord(stream, *files.back());
  }
}

// Rows 1 and 53. With check_resources (row 53) reading stops, without failing, as soon
// as the free-resources figure is below the threshold; the rest stays unread.
void ReadSprites(TStream& stream, TVelquoraScene& scene, bool check_resources) {
  const std::int32_t count = ReadInt32(stream);
  for (std::int32_t i = 0; i < count; ++i) {
    if (check_resources && FreeSystemResources() < kSpriteResourceThreshold) return;
    ReadSpriteRecord(scene.AddSprite(), stream);
  }
}

class SceneRecordReader {
public:
  SceneRecordReader(TVelquoraScene& scene, TStream& stream)
      : scene_(scene), stream_(stream), version_(ReadVersion()) {}

  void Read() {
    if (version_ <= 2) ReadSprites(stream_, scene_, false);  // row 1
    scene_.StreamSize = static_cast<std::int32_t>(
        std::min<std::int64_t>(stream_.Size(), std::numeric_limits<std::int32_t>::max()));
    ReadBackgroundRows();
    ReadAudioFiles(stream_, scene_.AudioFiles);  // row 10
    IgnoreText(stream_);                         // row 11
    if (version_ >= 2) ReadDialogRows();
    if (version_ >= 5) IgnoreText(stream_);      // row 38
    if (version_ >= 6) IgnoreInt32Row(2);        // row 39
    if (version_ >= 10) ReadIgnoredRow40();
    if (version_ >= 3) ReadIgnoredRows41To43();
    if (version_ >= 11) ReadRepeatRows();
    if (version_ >= 14) ReadFrameRows();
    if (version_ == 14) SkipBlob(stream_);       // row 52
    if (version_ >= 3 && scene_.LoadSprites) {   // row 53
      scene_.Sprites.clear();
      ReadSprites(stream_, scene_, true);
    }
  }

private:
  // Rows 2 to 9.
  void ReadBackgroundRows() {
    scene_.TimerInterval = ReadInt32(stream_);
    ReadBackgroundPicture(stream_, scene_.BackgroundPicture);
    scene_.CycleLength = ReadInt32(stream_);
    scene_.BackgroundMode = ReadInt32(stream_);
    scene_.BackgroundPictureName = ReadShortString(stream_);
    scene_.GradientFrom = ReadUInt32(stream_);
    scene_.GradientTo = ReadUInt32(stream_);
    scene_.PicturePlacement = ReadInt32(stream_);
  }

  // Rows 12 to 37: the dialog texts, with the fields around them that nothing uses.
  void ReadDialogRows() {
    IgnoreInt32(stream_);                                    // 12
    IgnoreStringList(stream_);                               // 13
    IgnoreByte(stream_);                                     // 14
    IgnoreText(stream_);                                     // 15
    IgnoreInt32(stream_);                                    // 16
    scene_.SettingsCaption = ReadShortString(stream_);       // 17
    scene_.SpeedLabel = ReadShortString(stream_);            // 18
    ReadStringList(stream_, scene_.SettingsInfoLines);       // 19
    scene_.SupportLabel = ReadShortString(stream_);          // 20
    scene_.SupportLink = ReadShortString(stream_);           // 21
    ReadStringList(stream_, scene_.SettingsNoteLines);       // 22
    scene_.ShowGoButton = ReadFlag(stream_);                 // 23
    scene_.ShowAboutButton = ReadFlag(stream_);              // 24
    IgnoreByte(stream_);                                     // 25
    scene_.SettingsFontName = ReadShortString(stream_);      // 26
    scene_.SettingsFontSize = ReadInt32(stream_);            // 27
    scene_.AboutCaption = ReadShortString(stream_);          // 28
    ReadStringList(stream_, scene_.AboutLines);              // 29
    scene_.AboutLabel = ReadShortString(stream_);            // 30
    scene_.AboutLink = ReadShortString(stream_);             // 31
    ReadStringList(stream_, scene_.AboutNoteLines);          // 32
    scene_.AboutShowGoButton = ReadFlag(stream_);            // 33
    scene_.AboutFontName = ReadShortString(stream_);         // 34
    scene_.AboutFontSize = ReadInt32(stream_);               // 35
    if (version_ >= 4) scene_.ShowAboutOnExit = ReadFlag(stream_);  // 36
    ReadIgnoredRow37();
  }

  void ReadIgnoredRow37() {
    IgnoreText(stream_);
    IgnoreStringList(stream_);
    IgnoreText(stream_);
    IgnoreText(stream_);
    IgnoreStringList(stream_);
    IgnoreByte(stream_);
    IgnoreText(stream_);
    IgnoreText(stream_);
    IgnoreText(stream_);
    IgnoreInt32(stream_);
    IgnoreByte(stream_);
    IgnoreByte(stream_);
  }

  void IgnoreInt32Row(int count) {
    for (int i = 0; i < count; ++i) IgnoreInt32(stream_);
  }

  void ReadIgnoredRow40() {
    IgnoreByte(stream_);
    IgnoreInt32(stream_);
    IgnoreInt32(stream_);
    IgnoreByte(stream_);
    IgnoreInt32(stream_);
  }

  void ReadIgnoredRows41To43() {
    IgnoreInt32Row(2);
    for (int i = 0; i < 4; ++i) IgnoreByte(stream_);
  }

  // Rows 44 and 45.
  void ReadRepeatRows() {
    scene_.RepeatMode = ReadInt32(stream_);
    scene_.CloseWhenDone = ReadFlag(stream_);
  }

  // Rows 46 to 51: the painted background's fill, gradient and frame.
  void ReadFrameRows() {
    IgnoreByte(stream_);
    IgnoreInt32(stream_);
    scene_.FillMode = ReadInt32(stream_);
    scene_.BackgroundColor = ReadUInt32(stream_);
    scene_.GradientAngle = ReadInt32(stream_);
    scene_.BorderStyle = ReadInt32(stream_);
    scene_.BorderWidth = ReadInt32(stream_);
    scene_.BorderLightColor = ReadUInt32(stream_);
    scene_.BorderDarkColor = ReadUInt32(stream_);
    scene_.BorderMargin = ReadInt32(stream_);
    scene_.FrameFillColor = ReadUInt32(stream_);
    scene_.CornerDiameter = ReadInt32(stream_);
  }

  TVelquoraScene& scene_;
  TStream& stream_;
  std::int32_t version_;
};

}  // namespace

void ReadSceneRecords(TVelquoraScene& scene, TStream& stream) { SceneRecordReader(scene, stream).Read(); }

}  // namespace velquora
