#include "app/scene_dump.h"

#include <ostream>

#include "app/picture_json.h"
#include "app/sprite_dump.h"
#include "platform/gdi/bitmap.h"
#include "playback/audio_file.h"
#include "playback/sprite.h"

#include "core/ansi_text.h"
#include "core/exceptions.h"
#include "host/scene_load.h"
#include "platform/system/file_stream.h"
#include "platform/win/message_box.h"

namespace velquora {

namespace {
void Text(JsonWriter& json, std::string_view key, const AnsiString& text) {
  json.Field(key, std::string_view(AnsiToUtf8(text)));
}

void TextList(JsonWriter& json, std::string_view key, const TStringList& lines) {
  json.Key(key).BeginArray();
  for (const AnsiString& line : lines) json.Value(std::string_view(AnsiToUtf8(line)));
  json.EndArray();
}

void WriteBackgroundJson(JsonWriter& json, const TVelquoraScene& scene) {
  json.Field("StreamSize", scene.StreamSize);
  json.Field("TimerInterval", scene.TimerInterval);
  json.Field("CycleLength", scene.CycleLength);
  json.Field("BackgroundMode", scene.BackgroundMode);
  Text(json, "BackgroundPictureName", scene.BackgroundPictureName);
  json.Field("GradientFrom", scene.GradientFrom);
  json.Field("GradientTo", scene.GradientTo);
  json.Field("PicturePlacement", scene.PicturePlacement);
  json.Field("RepeatMode", scene.RepeatMode);
  json.Field("CloseWhenDone", scene.CloseWhenDone);
  json.Field("RunsLeft", scene.RunsLeft);
  json.Field("FillMode", scene.FillMode);
  json.Field("BackgroundColor", scene.BackgroundColor);
  json.Field("GradientAngle", scene.GradientAngle);
  json.Field("BorderStyle", scene.BorderStyle);
  json.Field("BorderWidth", scene.BorderWidth);
  json.Field("BorderLightColor", scene.BorderLightColor);
  json.Field("BorderDarkColor", scene.BorderDarkColor);
  json.Field("BorderMargin", scene.BorderMargin);
  json.Field("FrameFillColor", scene.FrameFillColor);
  json.Field("CornerDiameter", scene.CornerDiameter);
  json.Field("ShowAboutOnExit", scene.ShowAboutOnExit);
}

void WriteDialogJson(JsonWriter& json, const TVelquoraScene& scene) {
  Text(json, "SettingsCaption", scene.SettingsCaption);
  Text(json, "SpeedLabel", scene.SpeedLabel);
  TextList(json, "SettingsInfoLines", scene.SettingsInfoLines);
  Text(json, "SupportLabel", scene.SupportLabel);
  Text(json, "SupportLink", scene.SupportLink);
  TextList(json, "SettingsNoteLines", scene.SettingsNoteLines);
  json.Field("ShowGoButton", scene.ShowGoButton);
  json.Field("ShowAboutButton", scene.ShowAboutButton);
  Text(json, "SettingsFontName", scene.SettingsFontName);
  json.Field("SettingsFontSize", scene.SettingsFontSize);
  Text(json, "AboutCaption", scene.AboutCaption);
  TextList(json, "AboutLines", scene.AboutLines);
  Text(json, "AboutLabel", scene.AboutLabel);
  Text(json, "AboutLink", scene.AboutLink);
  TextList(json, "AboutNoteLines", scene.AboutNoteLines);
  json.Field("AboutShowGoButton", scene.AboutShowGoButton);
  Text(json, "AboutFontName", scene.AboutFontName);
  json.Field("AboutFontSize", scene.AboutFontSize);
}

void WriteAudioFilesJson(JsonWriter& json, const TAudioFileList& files) {
  json.Key("AudioFiles").BeginArray();
  for (const auto& file : files) {
    json.BeginObject();
    Text(json, "FileName", file->FileName);
    json.Field("DeviceType", std::int32_t{file->DeviceType});
    json.Field("IsTempCopy", file->IsTempCopy);
    json.Key("Items").BeginArray();
    for (const auto& item : file->Items) {
      json.BeginObject();
      json.Field("StartTick", item->StartTick);
      json.Field("StopTick", item->StopTick);
      json.Field("StopEnabled", item->StopEnabled);
      json.EndObject();
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
}

void WriteSpritesJson(JsonWriter& json, const TSpriteList& sprites) {
  json.Key("Sprites").BeginArray();
  for (const TSpriteEntry& entry : sprites) WriteSpriteJson(json, *entry.second);
  json.EndArray();
}

void WriteChecksumJson(JsonWriter& json, const SaverFileChecksum& checksum) {
  json.Key("Checksum").BeginObject();
  json.Field("Stored", checksum.Stored);
  json.Field("Computed", checksum.Computed);
  json.Field("Ok", checksum.Ok());
  json.EndObject();
}
}  // namespace

void WriteSceneJson(JsonWriter& json, const TVelquoraScene& scene, const SaverFileChecksum& checksum) {
  json.BeginObject();
  json.Field("FileVersion", scene.FileVersion);
  json.Field("SignatureText", AnsiToUtf8(scene.SignatureText));
  json.Field("LoadFailed", scene.LoadFailed);
  WriteBackgroundJson(json, scene);
  WriteDialogJson(json, scene);
  json.Key("BackgroundPicture");
  WritePictureJson(json, scene.BackgroundPicture);
  json.Key("BackgroundBitmap");
  WritePictureJson(json, scene.BackgroundBitmap);
  WriteAudioFilesJson(json, scene.AudioFiles);
  WriteSpritesJson(json, scene.Sprites);
  WriteChecksumJson(json, checksum);
  json.EndObject();
}

int RunSceneDump(const std::string& saver_path, ScreenSize screen, std::ostream& out) {
  SaverFileChecksum checksum;
  try {
    TFileStream file(saver_path, FileMode::OpenRead);
    checksum = ComputeSaverFileChecksum(file);
  } catch (const EFOpenError&) {
    ShowErrorBox("Cannot open " + saver_path + " file.");
    return 1;
  } catch (const Exception&) {
    checksum.LayoutSound = false;
  }

  TVelquoraScene scene;
  scene.ScreenWidth = screen.Width;
  scene.ScreenHeight = screen.Height;
  try {
    LoadSceneFromSaverFile(saver_path, scene, false);
  } catch (const std::exception&) {
    // The container could not even be found: the load failed as surely as a bad one.
    ShowErrorBox("Cannot read data from file.");
    scene.LoadFailed = true;
  }

  JsonWriter json(out);
  WriteSceneJson(json, scene, checksum);
  out << '\n';
  return scene.LoadFailed ? 1 : 0;
}

}  // namespace velquora
