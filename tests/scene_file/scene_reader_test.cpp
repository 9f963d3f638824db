#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scene_file/scene_reader.h"
#include "core/memory_stream.h"
#include "platform/system/resource_probe.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "playback/start_and_finish.h"
#include "scene_file/read_version.h"
#include "scene_writer.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;

// Points $TMPDIR at a fresh directory for one test and removes it afterwards.
class ScopedTempDir {
public:
  ScopedTempDir() {
    std::string pattern = (fs::temp_directory_path() / "scene_reader_test_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    const char* previous = std::getenv("TMPDIR");
    if (previous != nullptr) previous_ = previous;
    setenv("TMPDIR", path_.c_str(), 1);
  }
  ~ScopedTempDir() {
    if (previous_) {
      setenv("TMPDIR", previous_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const fs::path& Path() const { return path_; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

private:
  fs::path path_;
  std::optional<std::string> previous_;
};

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads a record stream as a file of the given version; returns the stream position
// after the read.
std::int64_t ReadScene(TVelquoraScene& scene, const std::vector<std::uint8_t>& bytes, int version) {
  TMemoryStream stream(bytes);
  ScopedReadVersion read_version(version);
  ReadSceneRecords(scene, stream);
  return stream.Position();
}

SpriteSpec SmallSprite(const std::string& name, std::int32_t start_tick) {
  SpriteSpec sprite;
  sprite.Name = name;
  sprite.Windows = {{start_tick, start_tick + 10}};
  FrameSpec frame;
  frame.Bmp = MakeTestBmp(3, 2, static_cast<std::uint32_t>(start_tick));
  frame.FileName = name + ".bmp";
  sprite.Frames = {frame};
  sprite.Moving.Steps = {StepSpec{}};
  return sprite;
}

SceneSpec FullScene() {
  SceneSpec scene;
  scene.BackgroundBmp = MakeTestBmp(5, 4, 7);
  scene.Sprites = {SmallSprite("fish", 5), SmallSprite("crab", 20)};
  AudioFileSpec plain;
  plain.FileName = "C:\\Sounds\\waves.mid";
  plain.DeviceType = 0;
  AudioFileSpec timed;
  timed.FileName = "D:\\bell.wav";
  timed.Items = {{10, 20, true}, {300, -1, false}};
  scene.AudioFiles = {plain, timed};
  return scene;
}

// The picture a BMP file image holds, loaded on its own.
TBitmap LoadBmp(const std::vector<std::uint8_t>& bytes) {
  TMemoryStream stream(bytes);
  TBitmap bitmap;
  bitmap.LoadFromStream(stream);
  return bitmap;
}

// Rows present from a version on, after the scene record's table.
bool HasDialogRows(int version) { return version >= 2; }
bool HasShowAboutOnExit(int version) { return version >= 4; }
bool HasRepeatRows(int version) { return version >= 11; }
bool HasFrameRows(int version) { return version >= 14; }

void ExpectDialogData(const TVelquoraScene& scene, const SceneSpec& design) {
  EXPECT_EQ(scene.SettingsCaption, design.SettingsCaption);
  EXPECT_EQ(scene.SpeedLabel, design.SpeedLabel);
  EXPECT_EQ(scene.SettingsInfoLines, design.SettingsInfoLines);
  EXPECT_EQ(scene.SupportLabel, design.SupportLabel);
  EXPECT_EQ(scene.SupportLink, design.SupportLink);
  EXPECT_EQ(scene.SettingsNoteLines, design.SettingsNoteLines);
  EXPECT_EQ(scene.ShowGoButton, design.ShowGoButton);
  EXPECT_EQ(scene.ShowAboutButton, design.ShowAboutButton);
  EXPECT_EQ(scene.SettingsFontName, design.SettingsFontName);
  EXPECT_EQ(scene.SettingsFontSize, design.SettingsFontSize);
  EXPECT_EQ(scene.AboutCaption, design.AboutCaption);
  EXPECT_EQ(scene.AboutLines, design.AboutLines);
  EXPECT_EQ(scene.AboutLabel, design.AboutLabel);
  EXPECT_EQ(scene.AboutLink, design.AboutLink);
  EXPECT_EQ(scene.AboutNoteLines, design.AboutNoteLines);
  EXPECT_EQ(scene.AboutShowGoButton, design.AboutShowGoButton);
  EXPECT_EQ(scene.AboutFontName, design.AboutFontName);
  EXPECT_EQ(scene.AboutFontSize, design.AboutFontSize);
}

void ExpectDialogDefaults(const TVelquoraScene& scene, const TVelquoraScene& fresh) {
  EXPECT_EQ(scene.SettingsCaption, fresh.SettingsCaption);
  EXPECT_EQ(scene.SpeedLabel, fresh.SpeedLabel);
  EXPECT_EQ(scene.SettingsInfoLines, fresh.SettingsInfoLines);
  EXPECT_EQ(scene.SupportLink, fresh.SupportLink);
  EXPECT_EQ(scene.ShowGoButton, fresh.ShowGoButton);
  EXPECT_EQ(scene.SettingsFontName, fresh.SettingsFontName);
  EXPECT_EQ(scene.SettingsFontSize, fresh.SettingsFontSize);
  EXPECT_EQ(scene.AboutCaption, fresh.AboutCaption);
  EXPECT_EQ(scene.AboutNoteLines, fresh.AboutNoteLines);
  EXPECT_EQ(scene.AboutFontSize, fresh.AboutFontSize);
}

void ExpectFrameRows(const TVelquoraScene& scene, const SceneSpec& design) {
  EXPECT_EQ(scene.FillMode, design.FillMode);
  EXPECT_EQ(scene.BackgroundColor, design.BackgroundColor);
  EXPECT_EQ(scene.GradientAngle, design.GradientAngle);
  EXPECT_EQ(scene.BorderStyle, design.BorderStyle);
  EXPECT_EQ(scene.BorderWidth, design.BorderWidth);
  EXPECT_EQ(scene.BorderLightColor, design.BorderLightColor);
  EXPECT_EQ(scene.BorderDarkColor, design.BorderDarkColor);
  EXPECT_EQ(scene.BorderMargin, design.BorderMargin);
  EXPECT_EQ(scene.FrameFillColor, design.FrameFillColor);
  EXPECT_EQ(scene.CornerDiameter, design.CornerDiameter);
}

void ExpectFrameDefaults(const TVelquoraScene& scene, const TVelquoraScene& fresh) {
  EXPECT_EQ(scene.FillMode, fresh.FillMode);
  EXPECT_EQ(scene.BackgroundColor, 0xFFFFFFu);
  EXPECT_EQ(scene.GradientAngle, 90);
  EXPECT_EQ(scene.BorderStyle, fresh.BorderStyle);
  EXPECT_EQ(scene.BorderWidth, fresh.BorderWidth);
  EXPECT_EQ(scene.BorderLightColor, 0xC0C0C0u);
  EXPECT_EQ(scene.BorderDarkColor, 0x808080u);
  EXPECT_EQ(scene.BorderMargin, fresh.BorderMargin);
  EXPECT_EQ(scene.FrameFillColor, fresh.FrameFillColor);
  EXPECT_EQ(scene.CornerDiameter, fresh.CornerDiameter);
}

void ExpectAudioFiles(const TVelquoraScene& scene, const SceneSpec& design) {
  ASSERT_EQ(scene.AudioFiles.size(), design.AudioFiles.size());
  for (std::size_t i = 0; i < design.AudioFiles.size(); ++i) {
    const TAudioFile& file = *scene.AudioFiles[i];
    const AudioFileSpec& expected = design.AudioFiles[i];
    EXPECT_EQ(file.FileName, expected.FileName);
    EXPECT_EQ(file.DeviceType, expected.DeviceType);
    EXPECT_FALSE(file.IsTempCopy);
    ASSERT_EQ(file.Items.size(), expected.Items.size());
    for (std::size_t j = 0; j < expected.Items.size(); ++j) {
      EXPECT_EQ(file.Items[j]->StartTick, expected.Items[j].StartTick);
      EXPECT_EQ(file.Items[j]->StopTick, expected.Items[j].StopTick);
      EXPECT_EQ(file.Items[j]->StopEnabled, expected.Items[j].StopEnabled);
      EXPECT_EQ(file.Items[j]->AudioFile, &file);
    }
  }
}

void ExpectSprites(const TVelquoraScene& scene, const SceneSpec& design) {
  ASSERT_EQ(scene.Sprites.size(), design.Sprites.size());
  for (std::size_t i = 0; i < design.Sprites.size(); ++i) {
    const TSprite& sprite = *scene.Sprites[i].second;
    EXPECT_EQ(scene.Sprites[i].first, "");
    EXPECT_EQ(sprite.Owner, &scene);
    ASSERT_EQ(sprite.StartFinish().size(), 1u);
    EXPECT_EQ(sprite.StartFinish()[0]->StartTick, design.Sprites[i].Windows[0].StartTick);
    EXPECT_EQ(sprite.Frames().size(), 1u);
  }
}

TEST(SceneReader, EveryVersionReadsBackFieldForField) {
  const SceneSpec design = FullScene();
  for (int version = 1; version <= 16; ++version) {
    SCOPED_TRACE(testing::Message() << "version " << version);
    const std::vector<std::uint8_t> bytes = WriteSceneRecords(design, version);
    TVelquoraScene scene;
    const TVelquoraScene fresh;
    EXPECT_EQ(ReadScene(scene, bytes, version), static_cast<std::int64_t>(bytes.size()));

    EXPECT_EQ(scene.StreamSize, static_cast<std::int32_t>(bytes.size()));
    EXPECT_EQ(scene.TimerInterval, design.TimerInterval);
    EXPECT_EQ(scene.CycleLength, design.CycleLength);
    EXPECT_EQ(scene.BackgroundMode, design.BackgroundMode);
    EXPECT_EQ(scene.BackgroundPictureName, design.BackgroundPictureName);
    EXPECT_EQ(scene.GradientFrom, design.GradientFrom);
    EXPECT_EQ(scene.GradientTo, design.GradientTo);
    EXPECT_EQ(scene.PicturePlacement, design.PicturePlacement);
    EXPECT_EQ(scene.BackgroundPicture.Width(), 5);
    EXPECT_EQ(scene.BackgroundPicture.Height(), 4);
    EXPECT_TRUE(scene.BackgroundPicture == LoadBmp(design.BackgroundBmp));
    ExpectAudioFiles(scene, design);
    ExpectSprites(scene, design);

    if (HasDialogRows(version)) {
      ExpectDialogData(scene, design);
    } else {
      ExpectDialogDefaults(scene, fresh);
    }
    EXPECT_EQ(scene.ShowAboutOnExit, HasShowAboutOnExit(version) ? design.ShowAboutOnExit : fresh.ShowAboutOnExit);
    EXPECT_EQ(scene.RepeatMode, HasRepeatRows(version) ? design.RepeatMode : -1);
    EXPECT_EQ(scene.CloseWhenDone, HasRepeatRows(version) ? design.CloseWhenDone : false);
    if (HasFrameRows(version)) {
      ExpectFrameRows(scene, design);
    } else {
      ExpectFrameDefaults(scene, fresh);
    }
  }
}

// The bytes every version writes, summed up from the row table: a change in what a
// version carries shows up here even when writer and reader agree with each other.
TEST(SceneReader, RecordLengthGrowsByTheRowsEachVersionAdds) {
  SceneSpec design;  // no sprites, no audio, no picture: fixed-size rows only
  design.Ignored.Row52 = {};
  const auto size = [&](int version) { return WriteSceneRecords(design, version).size(); };
  const auto text = [](const std::string& s) { return 1 + s.size(); };
  const auto list = [&](const std::vector<std::string>& l) {
    std::size_t total = 4;
    for (const auto& s : l) total += text(s);
    return total;
  };
  const IgnoredSceneFields& ig = design.Ignored;
  const std::size_t v1 = 4 /*row 1*/ + 4 + 4 + 4 + 4 + text(design.BackgroundPictureName) + 4 + 4 + 4 + 4 /*audio*/ +
                         text(ig.Row11);
  EXPECT_EQ(size(1), v1);
  const std::size_t dialog =
      4 + list(ig.Row13) + 1 + text(ig.Row15) + 4 + text(design.SettingsCaption) + text(design.SpeedLabel) +
      list(design.SettingsInfoLines) + text(design.SupportLabel) + text(design.SupportLink) +
      list(design.SettingsNoteLines) + 1 + 1 + 1 + text(design.SettingsFontName) + 4 + text(design.AboutCaption) +
      list(design.AboutLines) + text(design.AboutLabel) + text(design.AboutLink) + list(design.AboutNoteLines) + 1 +
      text(design.AboutFontName) + 4;
  const std::size_t row37 = text(ig.Row37Text1) + list(ig.Row37List1) + text(ig.Row37Text2) + text(ig.Row37Text3) +
                            list(ig.Row37List2) + 1 + text(ig.Row37Text4) + text(ig.Row37Text5) +
                            text(ig.Row37Text6) + 4 + 1 + 1;
  EXPECT_EQ(size(2), v1 + dialog + row37);
  EXPECT_EQ(size(3), size(2) + 4 + 4 + 4);               // rows 41-43
  EXPECT_EQ(size(4), size(3) + 1);                       // row 36
  EXPECT_EQ(size(5), size(4) + text(ig.Row38));          // row 38
  EXPECT_EQ(size(6), size(5) + 8);                       // row 39
  EXPECT_EQ(size(9), size(6));
  EXPECT_EQ(size(10), size(9) + 14);                     // row 40
  EXPECT_EQ(size(11), size(10) + 5);                     // rows 44-45
  EXPECT_EQ(size(13), size(11));
  EXPECT_EQ(size(14), size(13) + 5 + 4 * 10 + 4);        // rows 46-51 and the blob length of row 52
  EXPECT_EQ(size(15), size(14) - 4);
  EXPECT_EQ(size(16), size(15));
}

TEST(SceneReader, VersionOneEndsAfterRowElevenWithSpritesFirst) {
  const SceneSpec design = FullScene();
  std::vector<std::uint8_t> bytes = WriteSceneRecords(design, 1);
  const std::size_t record_size = bytes.size();
  bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});  // anything after is not read
  TVelquoraScene scene;
  EXPECT_EQ(ReadScene(scene, bytes, 1), static_cast<std::int64_t>(record_size));
  EXPECT_EQ(scene.Sprites.size(), 2u);
  EXPECT_EQ(scene.SettingsCaption, TVelquoraScene().SettingsCaption);
}

TEST(SceneReader, VersionTwoReadsRowOneButNoSpriteListAtTheEnd) {
  const SceneSpec design = FullScene();
  std::vector<std::uint8_t> bytes = WriteSceneRecords(design, 2);
  const std::size_t record_size = bytes.size();
  bytes.insert(bytes.end(), {5, 0, 0, 0});  // a row-53 count that must stay unread
  TVelquoraScene scene;
  EXPECT_EQ(ReadScene(scene, bytes, 2), static_cast<std::int64_t>(record_size));
  EXPECT_EQ(scene.Sprites.size(), 2u);
  EXPECT_FALSE(scene.ShowAboutOnExit);
  EXPECT_EQ(scene.SettingsCaption, design.SettingsCaption);
}

TEST(SceneReader, RowOneReadsSpritesEvenWhenLoadSpritesIsClearAndResourcesAreLow) {
  const ScopedResourceFigure low(3);
  TVelquoraScene scene;
  scene.LoadSprites = false;
  ReadScene(scene, WriteSceneRecords(FullScene(), 2), 2);
  EXPECT_EQ(scene.Sprites.size(), 2u);
}

TEST(SceneReader, VersionFourteenSkipsTheBlobBeforeTheSprites) {
  SceneSpec design = FullScene();
  // Bytes that would read as a huge sprite count if the blob were not skipped.
  design.Ignored.Row52 = {0xFF, 0xFF, 0xFF, 0x7F, 0xAA, 0xBB, 0xCC};
  const std::vector<std::uint8_t> bytes = WriteSceneRecords(design, 14);
  TVelquoraScene scene;
  EXPECT_EQ(ReadScene(scene, bytes, 14), static_cast<std::int64_t>(bytes.size()));
  ExpectSprites(scene, design);
  ExpectFrameRows(scene, design);
}

TEST(SceneReader, SkippedBlobWithBadLengthFailsTheLoad) {
  for (const std::int32_t length : {-1, 100000}) {
    SceneSpec design = FullScene();
    design.Ignored.Row52Length = length;
    TVelquoraScene scene;
    scene.LoadSprites = false;  // nothing after the blob is read
    EXPECT_THROW(ReadScene(scene, WriteSceneRecords(design, 14), 14), EReadError) << length;
  }
}

TEST(SceneReader, LoadSpritesClearStopsAfterRowFortyThree) {
  SceneSpec design = FullScene();
  design.Sprites.clear();
  const std::vector<std::uint8_t> without_list = WriteSceneRecords(design, 3);
  const std::size_t end_of_row_43 = without_list.size() - 4;  // minus the empty row-53 count
  std::vector<std::uint8_t> bytes(without_list.begin(), without_list.begin() + static_cast<long>(end_of_row_43));
  bytes.insert(bytes.end(), {9, 0, 0, 0, 0xEE});  // a sprite count and a cut-off record
  TVelquoraScene scene;
  scene.LoadSprites = false;
  EXPECT_EQ(ReadScene(scene, bytes, 3), static_cast<std::int64_t>(end_of_row_43));
  EXPECT_TRUE(scene.Sprites.empty());
}

TEST(SceneReader, ResourcesBelowFifteenPercentStopTheSpriteList) {
  const std::vector<std::uint8_t> bytes = WriteSceneRecords(FullScene(), 16);
  struct Case {
    int percent;
    std::size_t sprites;
  };
  for (const Case& row : {Case{14, 0}, Case{15, 2}, Case{0, 0}, Case{100, 2}}) {
    const ScopedResourceFigure figure(row.percent);
    TVelquoraScene scene;
    const std::int64_t end = ReadScene(scene, bytes, 16);
    EXPECT_EQ(scene.Sprites.size(), row.sprites) << row.percent << "%";
    if (row.sprites == 0) {
      EXPECT_LT(end, static_cast<std::int64_t>(bytes.size())) << "records stay unread";
    }
  }
}

TEST(SceneReader, ResourcesRunningLowMidwayKeepTheSpritesReadSoFar) {
  const std::vector<std::uint8_t> bytes = WriteSceneRecords(FullScene(), 16);
  int queries = 0;
  // Fresh answers on every call (the tick count moves on), 50% for the first sprite,
  // 10% from then on.
  std::uint32_t tick = 0;
  const ScopedResourceProbeHooks hooks(ResourceProbeHooks{
      [&queries](int) { return ++queries == 1 ? 50 : 10; }, [&tick] { return tick += 1000; }});
  TVelquoraScene scene;
  ReadScene(scene, bytes, 16);
  ASSERT_EQ(scene.Sprites.size(), 1u);
  EXPECT_EQ(scene.Sprites[0].second->Name, "fish");
}

TEST(SceneReader, RowFiftyThreeReplacesSpritesAlreadyInTheList) {
  TVelquoraScene scene;
  scene.AddSprite();
  scene.AddSprite();
  scene.AddSprite();
  ReadScene(scene, WriteSceneRecords(FullScene(), 16), 16);
  ASSERT_EQ(scene.Sprites.size(), 2u);
  EXPECT_EQ(scene.Sprites[1].second->Name, "crab");
}

TEST(SceneReader, BackgroundLengthZeroOrLessKeepsTheConstructorPicture) {
  for (const std::int32_t length : {0, -5}) {
    SceneSpec design = FullScene();
    design.BackgroundBmp.clear();
    design.BackgroundLength = length;
    const std::vector<std::uint8_t> bytes = WriteSceneRecords(design, 16);
    TVelquoraScene scene;
    EXPECT_EQ(ReadScene(scene, bytes, 16), static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(scene.BackgroundPicture.Width(), 100) << length;
    EXPECT_EQ(scene.BackgroundPicture.Height(), 100) << length;
    EXPECT_EQ(scene.CycleLength, design.CycleLength) << length;
  }
}

TEST(SceneReader, BackgroundPictureThatIsNoBitmapFailsTheLoad) {
  SceneSpec design = FullScene();
  design.BackgroundBmp = {'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'};
  TVelquoraScene scene;
  EXPECT_THROW(ReadScene(scene, WriteSceneRecords(design, 16), 16), Exception);
  EXPECT_EQ(scene.TimerInterval, design.TimerInterval);  // what was read before stays
}

TEST(SceneReader, EveryTruncationOfTheStreamFailsWithAReadError) {
  SceneSpec design = FullScene();
  design.Sprites = {SmallSprite("x", 1)};
  for (const int version : {1, 2, 3, 11, 14, 16}) {
    const std::vector<std::uint8_t> bytes = WriteSceneRecords(design, version);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      const std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<long>(cut));
      TVelquoraScene scene;
      EXPECT_THROW(ReadScene(scene, prefix, version), Exception) << "version " << version << " cut at " << cut;
    }
  }
}

TEST(SceneReader, HugeCountsOnAShortStreamFailWithoutAllocating) {
  SceneSpec design;
  design.SettingsInfoLines.clear();
  std::vector<std::uint8_t> bytes = WriteSceneRecords(design, 16);
  // Row 10's audio count is the i32 after row 9; rewrite it as 0x7FFFFFFF.
  SceneSpec probe = design;
  probe.AudioFiles = {AudioFileSpec{}};
  TVelquoraScene scene;
  const std::size_t audio_count_at = 4 + 4 + 4 + 4 + 1 + design.BackgroundPictureName.size() + 4 + 4 + 4;
  bytes[audio_count_at] = 0xFF;
  bytes[audio_count_at + 1] = 0xFF;
  bytes[audio_count_at + 2] = 0xFF;
  bytes[audio_count_at + 3] = 0x7F;
  EXPECT_THROW(ReadScene(scene, bytes, 16), EReadError);
  EXPECT_EQ(scene.PicturePlacement, design.PicturePlacement);
}

TEST(SceneReader, ListsAreClearedAndCountsOfZeroOrLessAddNothing) {
  SceneSpec design = FullScene();
  design.SettingsInfoLines.clear();
  design.AudioFiles.clear();
  TVelquoraScene scene;
  scene.SettingsInfoLines = {"stale"};
  scene.AboutLines = {"stale", "lines"};
  scene.AudioFiles.push_back(std::make_unique<TAudioFile>());
  ReadScene(scene, WriteSceneRecords(design, 16), 16);
  EXPECT_TRUE(scene.SettingsInfoLines.empty());
  EXPECT_EQ(scene.AboutLines, design.AboutLines);
  EXPECT_TRUE(scene.AudioFiles.empty());

  // A negative list count: patch the settings-lines count (empty list, so its count is
  // the i32 right after the speed label) to -3.
  std::vector<std::uint8_t> bytes = WriteSceneRecords(design, 16);
  const std::string label = static_cast<char>(design.SpeedLabel.size()) + design.SpeedLabel;
  const auto at = std::search(bytes.begin(), bytes.end(), label.begin(), label.end()) - bytes.begin() +
                  static_cast<long>(label.size());
  ASSERT_EQ(bytes[static_cast<std::size_t>(at)], 0);
  bytes[static_cast<std::size_t>(at)] = 0xFD;
  bytes[static_cast<std::size_t>(at) + 1] = bytes[static_cast<std::size_t>(at) + 2] =
      bytes[static_cast<std::size_t>(at) + 3] = 0xFF;
  TVelquoraScene negative;
  negative.SettingsInfoLines = {"stale"};
  EXPECT_EQ(ReadScene(negative, bytes, 16), static_cast<std::int64_t>(bytes.size()));
  EXPECT_TRUE(negative.SettingsInfoLines.empty());
  EXPECT_EQ(negative.SupportLabel, design.SupportLabel);
}

TEST(SceneReader, StreamSizeIsTheWholeStreamEvenWhenReadingStartsLater) {
  const std::vector<std::uint8_t> records = WriteSceneRecords(FullScene(), 16);
  TMemoryStream stream;
  for (int i = 0; i < 100; ++i) WriteByte(stream, 0xAB);
  stream.WriteBuffer(records.data(), records.size());
  stream.SetPosition(100);
  ScopedReadVersion version(16);
  TVelquoraScene scene;
  ReadSceneRecords(scene, stream);
  EXPECT_EQ(scene.StreamSize, static_cast<std::int32_t>(100 + records.size()));
}

// Embedded audio.

AudioFileSpec EmbeddedAudio(const std::string& name, std::vector<std::uint8_t> bytes) {
  AudioFileSpec file;
  file.FileName = name;
  file.Embedded = std::move(bytes);
  file.Items = {{4, 8, true}};
  return file;
}

TEST(SceneReaderAudio, LengthZeroKeepsTheStoredName) {
  const ScopedTempDir temp;
  SceneSpec design;
  design.AudioFiles = {AudioFileSpec{}};
  TVelquoraScene scene;
  ReadScene(scene, WriteSceneRecords(design, 16), 16);
  ASSERT_EQ(scene.AudioFiles.size(), 1u);
  EXPECT_EQ(scene.AudioFiles[0]->FileName, design.AudioFiles[0].FileName);
  EXPECT_FALSE(scene.AudioFiles[0]->IsTempCopy);
  EXPECT_TRUE(temp.Names().empty());
}

TEST(SceneReaderAudio, EmbeddedAudioIsWrittenToTheTemporaryFolderAndDeletedWithTheScene) {
  const ScopedTempDir temp;
  SceneSpec design;
  const std::vector<std::uint8_t> sound = {'R', 'I', 'F', 'F', 0, 1, 2, 3, 4};
  design.AudioFiles = {EmbeddedAudio("C:\\Music\\jingle.wav", sound)};
  const fs::path expected = temp.Path() / "jingle.wav";
  {
    TVelquoraScene scene;
    ReadScene(scene, WriteSceneRecords(design, 16), 16);
    const TAudioFile& file = *scene.AudioFiles[0];
    EXPECT_TRUE(file.IsTempCopy);
    EXPECT_EQ(file.FileName, expected.string());
    EXPECT_EQ(FileBytes(expected), sound);
    ASSERT_EQ(file.Items.size(), 1u);  // the stream went on behind the data
    EXPECT_EQ(file.Items[0]->StopTick, 8);
    EXPECT_EQ(scene.CycleLength, design.CycleLength);
  }
  EXPECT_FALSE(fs::exists(expected));
}

TEST(SceneReaderAudio, SameBareNameTwiceKeepsBothSoundsApart) {
  const ScopedTempDir temp;
  SceneSpec design;
  design.AudioFiles = {EmbeddedAudio("C:\\a\\tune.mid", {1, 1, 1}), EmbeddedAudio("D:\\b\\tune.mid", {2, 2})};
  {
    TVelquoraScene scene;
    ReadScene(scene, WriteSceneRecords(design, 16), 16);
    ASSERT_EQ(scene.AudioFiles.size(), 2u);
    EXPECT_EQ(scene.AudioFiles[0]->FileName, (temp.Path() / "tune.mid").string());
    EXPECT_EQ(scene.AudioFiles[1]->FileName, (temp.Path() / "tune~2.mid").string());
    EXPECT_EQ(FileBytes(temp.Path() / "tune.mid"), (std::vector<std::uint8_t>{1, 1, 1}));
    EXPECT_EQ(FileBytes(temp.Path() / "tune~2.mid"), (std::vector<std::uint8_t>{2, 2}));
  }
  EXPECT_TRUE(temp.Names().empty());
}

TEST(SceneReaderAudio, AnUnrelatedFileOfTheSameNameIsLeftAlone) {
  const ScopedTempDir temp;
  { std::ofstream(temp.Path() / "song") << "keep me"; }
  SceneSpec design;
  design.AudioFiles = {EmbeddedAudio("song", {9, 9, 9, 9})};
  {
    TVelquoraScene scene;
    ReadScene(scene, WriteSceneRecords(design, 16), 16);
    EXPECT_EQ(scene.AudioFiles[0]->FileName, (temp.Path() / "song~2").string());
    EXPECT_EQ(FileBytes(temp.Path() / "song~2"), (std::vector<std::uint8_t>{9, 9, 9, 9}));
  }
  EXPECT_EQ(temp.Names(), std::vector<std::string>{"song"});
  EXPECT_EQ(FileBytes(temp.Path() / "song").size(), 7u);
}

TEST(SceneReaderAudio, NameWithoutAFilePartWritesNothingAndReadingGoesOn) {
  const ScopedTempDir temp;
  SceneSpec design;
  design.AudioFiles = {EmbeddedAudio("C:\\Sounds\\", {1, 2, 3}), EmbeddedAudio("..", {4})};
  TVelquoraScene scene;
  ReadScene(scene, WriteSceneRecords(design, 16), 16);
  ASSERT_EQ(scene.AudioFiles.size(), 2u);
  for (const auto& file : scene.AudioFiles) {
    EXPECT_TRUE(file->IsTempCopy);
    EXPECT_TRUE(file->TempCopyPath().empty());
    ASSERT_EQ(file->Items.size(), 1u);
    EXPECT_EQ(file->Items[0]->StartTick, 4);
  }
  EXPECT_TRUE(temp.Names().empty());
  EXPECT_EQ(scene.SettingsCaption, design.SettingsCaption);
}

TEST(SceneReaderAudio, DirectoriesInTheStoredNameNeverLeaveTheTemporaryFolder) {
  const ScopedTempDir temp;
  SceneSpec design;
  design.AudioFiles = {EmbeddedAudio("..\\..\\x/../../evil.wav", {7}), EmbeddedAudio("C:evil2.wav", {8})};
  TVelquoraScene scene;
  ReadScene(scene, WriteSceneRecords(design, 16), 16);
  EXPECT_EQ(temp.Names(), (std::vector<std::string>{"evil.wav", "evil2.wav"}));
}

TEST(SceneReaderAudio, UnwritableTemporaryFolderFallsBackToTheCurrentDirectory) {
  const ScopedTempDir work;
  const fs::path previous = fs::current_path();
  fs::current_path(work.Path());
  setenv("TMPDIR", (work.Path() / "missing" / "folder").c_str(), 1);
  SceneSpec design;
  design.AudioFiles = {EmbeddedAudio("C:\\x\\here.wav", {5, 6})};
  {
    TVelquoraScene scene;
    ReadScene(scene, WriteSceneRecords(design, 16), 16);
    EXPECT_EQ(scene.AudioFiles[0]->FileName, "here.wav");
    EXPECT_EQ(FileBytes(work.Path() / "here.wav"), (std::vector<std::uint8_t>{5, 6}));
  }
  EXPECT_FALSE(fs::exists(work.Path() / "here.wav"));
  fs::current_path(previous);
}

TEST(SceneReaderAudio, AnsiNameIsWrittenAsUtf8OnDisk) {
  const ScopedTempDir temp;
  SceneSpec design;
  design.AudioFiles = {EmbeddedAudio("m\xfasica.wav", {1})};  // "música.wav" in 1252
  TVelquoraScene scene;
  ReadScene(scene, WriteSceneRecords(design, 16), 16);
  EXPECT_EQ(temp.Names(), std::vector<std::string>{"m\xc3\xbasica.wav"});
  EXPECT_EQ(scene.AudioFiles[0]->FileName, (temp.Path().string() + "/m\xfasica.wav"));
}

TEST(SceneReaderAudio, NegativeOrOverlongEmbeddedLengthFailsTheLoad) {
  const ScopedTempDir temp;
  for (const std::int32_t length : {-1, -100, 1000000}) {
    SceneSpec design;
    AudioFileSpec file = EmbeddedAudio("a.wav", {1, 2, 3});
    file.EmbeddedLength = length;
    design.AudioFiles = {file};
    TVelquoraScene scene;
    EXPECT_THROW(ReadScene(scene, WriteSceneRecords(design, 16), 16), EReadError) << length;
    ASSERT_EQ(scene.AudioFiles.size(), 1u) << "the file read so far stays";
    EXPECT_EQ(scene.AudioFiles[0]->FileName, "a.wav");
  }
  EXPECT_TRUE(temp.Names().empty());
}

}  // namespace
}  // namespace velquora
