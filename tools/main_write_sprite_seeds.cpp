// Writes seed inputs for fuzz_sprite_record into a directory: sprite records of every
// version index with pictures, payloads of each kind, auxiliary records and emitting
// steps. Each file is the fuzz target's version byte followed by the record.
//   write_sprite_seeds DIRECTORY
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/memory_stream.h"
#include "sprite_writer.h"

namespace {

using namespace velquora;

SpriteSpec SeedSprite(int variant) {
  SpriteSpec sprite;
  sprite.Windows = {{1, 50}, {100, 200}};
  FrameSpec picture;
  picture.Bmp = MakeTestBmp(4, 3, static_cast<std::uint32_t>(variant));
  picture.FileName = "C:\\pictures\\cat.face.bmp";
  picture.SourceKind = 1;
  picture.Aux1 = {"first", "second", "third"};
  picture.Width = 4;
  picture.Height = 3;
  FrameSpec payload;
  payload.Animated = true;
  payload.AnimationKind = 1 + variant % 3;
  payload.Payload = {0xFF, 0xD8, 0xFF, 0xD9};
  payload.AviClipName = "clip.avi";
  payload.AviBytes = {'R', 'I', 'F', 'F'};
  payload.SourceKind = 3;
  sprite.Frames = {picture, payload};
  StepSpec bounce;
  bounce.Kind = 1;
  bounce.StartX = -1;
  StepSpec emitter;
  emitter.Kind = 4 + variant % 3;
  emitter.Count = 3;
  emitter.AreaRight = 100;
  emitter.AreaBottom = 60;
  sprite.Moving.Steps = {bounce, emitter};
  sprite.Name = "seed";
  return sprite;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_sprite_seeds DIRECTORY\n");
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  std::filesystem::create_directories(directory);
  for (int version = 1; version <= 16; ++version) {
    for (int variant = 0; variant < 3; ++variant) {
      TMemoryStream record;
      WriteByte(record, static_cast<std::uint8_t>(version - 1));
      WriteSpriteRecord(record, SeedSprite(variant), version);
      const auto name = directory / ("v" + std::to_string(version) + "_" + std::to_string(variant));
      std::ofstream out(name, std::ios::binary);
      out.write(reinterpret_cast<const char*>(record.Bytes().data()), static_cast<std::streamsize>(record.Bytes().size()));
    }
  }
  return 0;
}
