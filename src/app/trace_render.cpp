#include "app/trace_render.h"

#include <cstdio>
#include <exception>
#include <ostream>

#include "core/exceptions.h"
#include "host/scene_load.h"
#include "platform/gdi/bitmap.h"
#include "platform/mci/mci.h"
#include "platform/system/tick_count.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/sprite.h"
#include "platform/win/message_box.h"

namespace velquora {

namespace {

void WriteRect(JsonWriter& json, const Rect& rect) {
  json.BeginArray().Value(rect.Left).Value(rect.Top).Value(rect.Right).Value(rect.Bottom).EndArray();
}

void WriteSpriteState(JsonWriter& json, const TSprite& sprite) {
  const TMoving& path = sprite.Moving();
  json.Field("Hidden", sprite.Hidden);
  json.Field("PosX", path.PosX);
  json.Field("PosY", path.PosY);
  json.Key("DrawnRect");
  WriteRect(json, sprite.DrawnRect);
  json.Field("FrameIndex", sprite.FrameIndex);
  json.Field("StepIndex", path.StepIndex);
  json.Field("TickInStep", path.TickInStep);
  json.Field("Travelled", path.Travelled);
  json.Field("ScaleX", path.ScaleX);
  json.Field("ScaleY", path.ScaleY);
}

void WriteSpriteTrace(JsonWriter& json, const TSprite& sprite) {
  json.BeginObject();
  WriteSpriteState(json, sprite);
  json.Key("Clones").BeginArray();
  if (const TMovingStep* step = sprite.CloneStep()) {
    for (const auto& clone : step->Clones) {
      json.BeginObject();
      WriteSpriteState(json, *clone);
      json.EndObject();
    }
  }
  json.EndArray();
  json.EndObject();
}


void ReportLoadFailure() { ShowErrorBox("Cannot read data from file."); }


}  // namespace

std::int32_t AudioFileIndex(const TAudioFileList& files, const AnsiString& file_name) {
  if (file_name.empty()) return -1;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i]->FileName == file_name) return static_cast<std::int32_t>(i);
  }
  return -1;
}

void WriteTraceJson(JsonWriter& json, TVelquoraScene& scene) {
  json.BeginObject();
  json.Field("StepCount", scene.StepCount);
  json.Field("CurrentTick", scene.CurrentTick);
  json.Field("CyclesDone", scene.CyclesDone);
  json.Field("RunsLeft", scene.RunsLeft);
  json.Key("Dirty").BeginArray();
  for (const Rect& rect : scene.LastDirtyRects) WriteRect(json, rect);
  json.EndArray();
  json.Key("Sprites").BeginArray();
  for (const TSpriteEntry& entry : scene.Sprites) WriteSpriteTrace(json, *entry.second);
  json.EndArray();
  json.Key("Audio").BeginObject();
  TMediaPlayer* player = scene.Player.get();
  json.Field("Mode", std::int32_t{player != nullptr ? player->GetMode() : kModeNotReady});
  json.Field("Failed", player != nullptr && player->Failed);
  json.Field("CurrentAudioIndex", scene.CurrentAudioIndex);
  json.Field("File", player != nullptr ? AudioFileIndex(scene.AudioFiles, player->FileName) : -1);
  json.EndObject();
  json.EndObject();
}

std::filesystem::path RenderFileName(const std::filesystem::path& directory, std::int32_t step_count) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06d.png", static_cast<int>(step_count));
  return directory / name;
}

HeadlessPlayback::HeadlessPlayback(ScreenSize screen) : target_(screen.Width, screen.Height) {
  scene_.ScreenWidth = screen.Width;
  scene_.ScreenHeight = screen.Height;
}

bool HeadlessPlayback::Load(const std::string& saver_path) {
  try {
    LoadSceneFromSaverFile(saver_path, scene_, false);
  } catch (const std::exception&) {
    // The container could not even be found: the load failed as surely as a bad one.
    ReportLoadFailure();
    scene_.LoadFailed = true;
  }
  if (scene_.LoadFailed) return false;
  scene_.TargetBitmap = &target_;
  scene_.Restart();
  return true;
}

void HeadlessPlayback::Step() {
  clock_.Set((static_cast<std::uint32_t>(scene_.StepCount) + 1u) * static_cast<std::uint32_t>(scene_.TimerInterval));
  scene_.Step();
}

int RunPlayback(const std::string& saver_path, const PlaybackRunOptions& options, std::ostream& out,
                std::ostream& err) {
  HeadlessPlayback playback(options.Screen);
  if (!playback.Load(saver_path)) return 1;
  TVelquoraScene& scene = playback.Scene();
  try {
    if (options.RenderDirectory) std::filesystem::create_directories(*options.RenderDirectory);
    for (std::int32_t step = 1; step <= options.Steps; ++step) {
      playback.Step();
      if (options.Trace) {
        JsonWriter json(out);
        WriteTraceJson(json, scene);
        out << '\n';
      }
      if (options.RenderDirectory && step % options.RenderEvery == 0) {
        SavePng(playback.Picture(), RenderFileName(*options.RenderDirectory, scene.StepCount));
      }
    }
    if (options.FinalPicture) SavePng(playback.Picture(), *options.FinalPicture);
  } catch (const std::exception& error) {
    err << "velquora-saver: " << error.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace velquora
