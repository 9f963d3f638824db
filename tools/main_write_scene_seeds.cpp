// Writes seed inputs for the scene record reader's fuzz target into a directory: for
// every version index a scene record stream made by the scene writer, prefixed with the
// fuzz target's selector byte (version index - 1), in a plain and a richer variant.
//   write_scene_seeds DIRECTORY
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "saver_writer.h"
#include "scene_writer.h"

namespace {

using namespace velquora;

SpriteSpec SeedSprite(int index) {
  SpriteSpec sprite;
  sprite.Name = "sprite" + std::to_string(index);
  sprite.Windows = {{1, 100}, {200, 300}};
  FrameSpec frame;
  frame.Bmp = MakeTestBmp(4, 3, static_cast<std::uint32_t>(index));
  frame.FileName = "frame.bmp";
  sprite.Frames = {frame, frame};
  StepSpec step;
  sprite.Moving.Steps = {step, step};
  return sprite;
}

SceneSpec RichScene() {
  SceneSpec scene;
  scene.BackgroundBmp = MakeTestBmp(8, 8, 3);
  scene.Sprites = {SeedSprite(1), SeedSprite(2)};
  AudioFileSpec embedded;
  embedded.FileName = "C:\\Sounds\\seed.wav";
  embedded.Embedded = {'R', 'I', 'F', 'F', 4, 0, 0, 0};
  embedded.Items = {{1, 5, true}};
  AudioFileSpec plain;
  plain.FileName = "music.mid";
  scene.AudioFiles = {embedded, plain};
  return scene;
}

void WriteSeed(const std::filesystem::path& path, int version, const std::vector<std::uint8_t>& records) {
  std::vector<std::uint8_t> seed{static_cast<std::uint8_t>(version - 1)};
  seed.insert(seed.end(), records.begin(), records.end());
  WriteFileBytes(path, seed);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: write_scene_seeds DIRECTORY\n";
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  std::filesystem::create_directories(directory);
  const SceneSpec plain;
  const SceneSpec rich = RichScene();
  for (int version = 1; version <= 16; ++version) {
    const std::string stem = "v" + std::to_string(version);
    WriteSeed(directory / (stem + "_plain"), version, WriteSceneRecords(plain, version));
    WriteSeed(directory / (stem + "_rich"), version, WriteSceneRecords(rich, version));
  }
  return 0;
}
