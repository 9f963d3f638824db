#include "host/scene_load.h"

#include "core/exceptions.h"
#include "platform/system/file_stream.h"
#include "platform/win/message_box.h"
#include "scene_file/container.h"

namespace velquora {

namespace {
constexpr std::int64_t kTrailerSize = 8;  // P, then the checksum

void ReportUnreadable() {
  MessageBoxRequest box;
  box.text = "Cannot read data from file.";
  box.caption = "Error";
  ShowMessageBox(box);
}

bool ReadsSettings(HostMode mode) { return mode != HostMode::Program && mode != HostMode::Show; }

// Reads the container offset from the saver file's last eight bytes and seeks to it;
// gives where those eight bytes start.
std::int64_t SeekSceneContainer(TFileStream& file) {
  if (file.Size() < kTrailerSize) throw EReadError("Saver file too short for its scene offset");
  const std::int64_t trailer = file.Seek(-kTrailerSize, SeekOrigin::End);
  const std::int32_t container = ReadInt32(file);
  file.Seek(container, SeekOrigin::Beginning);
  return trailer;
}
}  // namespace

void LoadSceneFromSaverFile(const std::string& path, TVelquoraScene& scene, bool preview) {
  TFileStream file(path, FileMode::OpenRead);
  const std::int64_t trailer = SeekSceneContainer(file);
  if (trailer > kLargePreviewScene && preview) scene.LoadSprites = false;
  LoadSceneFromStream(scene, file);
}

std::optional<std::vector<std::uint8_t>> ReadSaverPreviewPicture(const std::string& path) {
  TFileStream file(path, FileMode::OpenRead);
  SeekSceneContainer(file);
  return ReadPreviewPicture(file);
}

LoadStepOutcome LoadSceneAndSettings(HostState& host, HostSettings& settings) {
  try {
    LoadSceneFromSaverFile(host.ProgramPath, *host.Scene, host.Mode == HostMode::Preview);
    if (host.Scene->LoadFailed) return LoadStepOutcome::EndProcess;
    if (ReadsSettings(host.Mode)) settings.Read(host);
  } catch (const std::exception&) {
    ReportUnreadable();
  }
  return LoadStepOutcome::Continue;
}

}  // namespace velquora
