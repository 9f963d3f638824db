#include "scene_writer.h"

#include "core/memory_stream.h"

namespace velquora {

namespace {

void WriteFlag(TStream& stream, bool flag) { WriteByte(stream, flag ? 1 : 0); }
void WriteColor(TStream& stream, TColor color) { WriteUInt32(stream, color); }

void WriteStringList(TStream& stream, const std::vector<std::string>& list) {
  WriteInt32(stream, static_cast<std::int32_t>(list.size()));
  for (const std::string& text : list) WriteShortString(stream, text);
}

void WriteBlob(TStream& stream, const std::vector<std::uint8_t>& bytes, std::optional<std::int32_t> length) {
  WriteInt32(stream, length.value_or(static_cast<std::int32_t>(bytes.size())));
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size());
}

void WriteSprites(TStream& stream, const SceneSpec& scene, int version) {
  WriteInt32(stream, scene.SpriteCount.value_or(static_cast<std::int32_t>(scene.Sprites.size())));
  for (const SpriteSpec& sprite : scene.Sprites) WriteSpriteRecord(stream, sprite, version);
}

void WriteAudioFile(TStream& stream, const AudioFileSpec& file) {
  WriteShortString(stream, file.FileName);
  WriteByte(stream, file.DeviceType);
  WriteBlob(stream, file.Embedded, file.EmbeddedLength);
  WriteInt32(stream, static_cast<std::int32_t>(file.Items.size()));
  for (const AudioItemSpec& item : file.Items) {
    WriteInt32(stream, item.StartTick);
    WriteInt32(stream, item.StopTick);
    WriteFlag(stream, item.StopEnabled);
  }
}

// Rows 2 to 11.
void WriteBackgroundAndAudio(TStream& stream, const SceneSpec& scene) {
  WriteInt32(stream, scene.TimerInterval);
  WriteBlob(stream, scene.BackgroundBmp, scene.BackgroundLength);
  WriteInt32(stream, scene.CycleLength);
  WriteInt32(stream, scene.BackgroundMode);
  WriteShortString(stream, scene.BackgroundPictureName);
  WriteColor(stream, scene.GradientFrom);
  WriteColor(stream, scene.GradientTo);
  WriteInt32(stream, scene.PicturePlacement);
  WriteInt32(stream, static_cast<std::int32_t>(scene.AudioFiles.size()));
  for (const AudioFileSpec& file : scene.AudioFiles) WriteAudioFile(stream, file);
  WriteShortString(stream, scene.Ignored.Row11);
}

void WriteRow37(TStream& stream, const IgnoredSceneFields& ignored) {
  WriteShortString(stream, ignored.Row37Text1);
  WriteStringList(stream, ignored.Row37List1);
  WriteShortString(stream, ignored.Row37Text2);
  WriteShortString(stream, ignored.Row37Text3);
  WriteStringList(stream, ignored.Row37List2);
  WriteByte(stream, ignored.Row37Flag1);
  WriteShortString(stream, ignored.Row37Text4);
  WriteShortString(stream, ignored.Row37Text5);
  WriteShortString(stream, ignored.Row37Text6);
  WriteInt32(stream, ignored.Row37Value);
  WriteByte(stream, ignored.Row37Flag2);
  WriteByte(stream, ignored.Row37Flag3);
}

// Rows 12 to 37 (versions 2 and later).
void WriteDialogRows(TStream& stream, const SceneSpec& scene, int version) {
  const IgnoredSceneFields& ignored = scene.Ignored;
  WriteInt32(stream, ignored.Row12);
  WriteStringList(stream, ignored.Row13);
  WriteByte(stream, ignored.Row14);
  WriteShortString(stream, ignored.Row15);
  WriteInt32(stream, ignored.Row16);
  WriteShortString(stream, scene.SettingsCaption);
  WriteShortString(stream, scene.SpeedLabel);
  WriteStringList(stream, scene.SettingsInfoLines);
  WriteShortString(stream, scene.SupportLabel);
  WriteShortString(stream, scene.SupportLink);
  WriteStringList(stream, scene.SettingsNoteLines);
  WriteFlag(stream, scene.ShowGoButton);
  WriteFlag(stream, scene.ShowAboutButton);
  WriteByte(stream, ignored.Row25);
  WriteShortString(stream, scene.SettingsFontName);
  WriteInt32(stream, scene.SettingsFontSize);
  WriteShortString(stream, scene.AboutCaption);
  WriteStringList(stream, scene.AboutLines);
  WriteShortString(stream, scene.AboutLabel);
  WriteShortString(stream, scene.AboutLink);
  WriteStringList(stream, scene.AboutNoteLines);
  WriteFlag(stream, scene.AboutShowGoButton);
  WriteShortString(stream, scene.AboutFontName);
  WriteInt32(stream, scene.AboutFontSize);
  if (version >= 4) WriteFlag(stream, scene.ShowAboutOnExit);
  WriteRow37(stream, ignored);
}

// Rows 38 to 43.
void WriteIgnoredRows38To43(TStream& stream, const IgnoredSceneFields& ignored, int version) {
  if (version >= 5) WriteShortString(stream, ignored.Row38);
  if (version >= 6) {
    WriteInt32(stream, ignored.Row39a);
    WriteInt32(stream, ignored.Row39b);
  }
  if (version >= 10) {
    WriteByte(stream, ignored.Row40Flag1);
    WriteInt32(stream, ignored.Row40Value1);
    WriteInt32(stream, ignored.Row40Value2);
    WriteByte(stream, ignored.Row40Flag2);
    WriteInt32(stream, ignored.Row40Value3);
  }
  if (version >= 3) {
    WriteInt32(stream, ignored.Row41);
    WriteInt32(stream, ignored.Row42);
    for (const std::uint8_t flag : ignored.Row43) WriteByte(stream, flag);
  }
}

// Rows 46 to 51 (versions 14 and later).
void WriteFrameRows(TStream& stream, const SceneSpec& scene) {
  WriteByte(stream, scene.Ignored.Row46Flag);
  WriteInt32(stream, scene.Ignored.Row46Value);
  WriteInt32(stream, scene.FillMode);
  WriteColor(stream, scene.BackgroundColor);
  WriteInt32(stream, scene.GradientAngle);
  WriteInt32(stream, scene.BorderStyle);
  WriteInt32(stream, scene.BorderWidth);
  WriteColor(stream, scene.BorderLightColor);
  WriteColor(stream, scene.BorderDarkColor);
  WriteInt32(stream, scene.BorderMargin);
  WriteColor(stream, scene.FrameFillColor);
  WriteInt32(stream, scene.CornerDiameter);
}

}  // namespace

void WriteSceneRecords(TStream& stream, const SceneSpec& scene, int version) {
  if (version <= 2) WriteSprites(stream, scene, version);  // row 1
  WriteBackgroundAndAudio(stream, scene);
  if (version >= 2) WriteDialogRows(stream, scene, version);
  WriteIgnoredRows38To43(stream, scene.Ignored, version);
  if (version >= 11) {
    WriteInt32(stream, scene.RepeatMode);
    WriteFlag(stream, scene.CloseWhenDone);
  }
  if (version >= 14) WriteFrameRows(stream, scene);
  if (version == 14) WriteBlob(stream, scene.Ignored.Row52, scene.Ignored.Row52Length);
  if (version >= 3) WriteSprites(stream, scene, version);  // row 53
}

std::vector<std::uint8_t> WriteSceneRecords(const SceneSpec& scene, int version) {
  TMemoryStream stream;
  WriteSceneRecords(stream, scene, version);
  return stream.TakeBytes();
}

std::vector<std::uint8_t> WriteSceneContainer(const SceneSpec& scene, const ContainerSpec& container) {
  return WriteContainer(WriteSceneRecords(scene, container.Version), container);
}

std::vector<std::uint8_t> WriteSceneSaverFile(const SceneSpec& scene, const ContainerSpec& container,
                                              const SaverFileSpec& saver) {
  return WriteSaverFile(WriteSceneContainer(scene, container), saver);
}

}  // namespace velquora
