// write_demo_saver: writes the demo saver file (a stand-in program with the demo scene
// appended; every picture in it is drawn by the writer).
//   write_demo_saver FILE
#include <exception>
#include <iostream>
#include <string>

#include "demo_scene.h"
#include "saver_writer.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]).starts_with("--")) {
    std::cerr << "Usage: write_demo_saver FILE\n";
    return 2;
  }
  try {
    velquora::WriteFileBytes(argv[1], velquora::WriteDemoSaverFile());
  } catch (const std::exception& error) {
    std::cerr << "write_demo_saver: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
