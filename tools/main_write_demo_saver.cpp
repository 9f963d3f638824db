// write_demo_saver: writes the demo saver file (a stand-in program with the demo scene
// appended; every picture in it is drawn by the writer), or only its scene container.
//   write_demo_saver [--container-only] FILE
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "demo_scene.h"
#include "saver_writer.h"
#include "scene_writer.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const bool container_only = !arguments.empty() && arguments.front() == "--container-only";
  if (arguments.size() != (container_only ? 2u : 1u) || arguments.back().starts_with("--")) {
    std::cerr << "Usage: write_demo_saver [--container-only] FILE\n";
    return 2;
  }
  try {
    const auto bytes = container_only ? velquora::WriteSceneContainer(velquora::DemoScene())
                                      : velquora::WriteDemoSaverFile();
    velquora::WriteFileBytes(arguments.back(), bytes);
  } catch (const std::exception& error) {
    std::cerr << "write_demo_saver: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
