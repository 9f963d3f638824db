// write_sample_saver: writes a sample saver file (a stand-in program with a scene
// appended) for the demo, a bare scene container, or a directory of containers of every
// version, compressed or not, with and without a preview block, as fuzzing seeds.
//   write_sample_saver [--version N] [--uncompressed] [--preview] [--container-only] FILE
//   write_sample_saver --seeds DIRECTORY
#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "container_writer.h"
#include "saver_writer.h"
#include "scene_writer.h"

namespace {
struct SampleOptions {
  int version = 16;
  bool compressed = true;
  bool preview = false;
  bool container_only = false;
  bool seeds = false;
  std::string path;
};

std::optional<int> ParseVersion(std::string_view text) {
  int value = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || stop != text.data() + text.size() || value < 1 || value > 16) return std::nullopt;
  return value;
}

std::optional<SampleOptions> ParseArguments(const std::vector<std::string>& arguments) {
  SampleOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--version" && i + 1 < arguments.size()) {
      const auto version = ParseVersion(arguments[++i]);
      if (!version) return std::nullopt;
      options.version = *version;
    } else if (argument == "--uncompressed") {
      options.compressed = false;
    } else if (argument == "--preview") {
      options.preview = true;
    } else if (argument == "--container-only") {
      options.container_only = true;
    } else if (argument == "--seeds") {
      options.seeds = true;
    } else if (!argument.starts_with("--") && options.path.empty()) {
      options.path = argument;
    } else {
      return std::nullopt;
    }
  }
  if (options.path.empty()) return std::nullopt;
  return options;
}

std::vector<std::uint8_t> SampleContainer(const SampleOptions& options) {
  const std::vector<std::uint8_t> records = velquora::WriteSceneRecords(velquora::SceneSpec{}, options.version);
  velquora::ContainerSpec design;
  design.Compressed = options.compressed;
  design.Version = options.version;
  if (options.preview) design.Preview = std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xD9};  // an empty JPEG
  return velquora::WriteContainer(records, design);
}

// Containers of every kind, each followed by the eight bytes a saver file ends with.
void WriteSeeds(const std::filesystem::path& directory) {
  std::filesystem::create_directories(directory);
  for (int version = 1; version <= 16; ++version) {
    for (const bool compressed : {false, true}) {
      for (const bool preview : {false, true}) {
        const SampleOptions options{version, compressed, preview, true, false, ""};
        std::vector<std::uint8_t> container = SampleContainer(options);
        container.insert(container.end(), 8, 0);
        const std::string name = "v" + std::to_string(version) + (compressed ? "_lzh" : "_plain") +
                                 (preview ? "_preview" : "");
        velquora::WriteFileBytes(directory / name, container);
      }
    }
  }
}
}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const auto options = ParseArguments(arguments);
  if (!options) {
    std::cerr << "Usage: write_sample_saver [--version 1..16] [--uncompressed] [--preview] [--container-only] FILE\n"
                 "       write_sample_saver --seeds DIRECTORY\n";
    return 2;
  }
  try {
    if (options->seeds) {
      WriteSeeds(options->path);
      return 0;
    }
    const std::vector<std::uint8_t> container = SampleContainer(*options);
    velquora::WriteFileBytes(options->path, options->container_only ? container : velquora::WriteSaverFile(container));
  } catch (const std::exception& error) {
    std::cerr << "write_sample_saver: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
