#include "app/scene_dump.h"

#include <ostream>

#include "core/ansi_text.h"
#include "core/exceptions.h"
#include "host/scene_load.h"
#include "platform/system/file_stream.h"
#include "platform/win/message_box.h"

namespace velquora {

namespace {
void Report(const std::string& text) {
  MessageBoxRequest box;
  box.text = text;
  box.caption = "Error";
  box.icon = MessageBoxIcon::Error;
  ShowMessageBox(box);
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
  WriteChecksumJson(json, checksum);
  json.EndObject();
}

int RunSceneDump(const std::string& saver_path, ScreenSize screen, std::ostream& out) {
  SaverFileChecksum checksum;
  try {
    TFileStream file(saver_path, FileMode::OpenRead);
    checksum = ComputeSaverFileChecksum(file);
  } catch (const EFOpenError&) {
    Report("Cannot open " + saver_path + " file.");
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
    Report("Cannot read data from file.");
    scene.LoadFailed = true;
  }

  JsonWriter json(out);
  WriteSceneJson(json, scene, checksum);
  out << '\n';
  return scene.LoadFailed ? 1 : 0;
}

}  // namespace velquora
