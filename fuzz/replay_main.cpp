// A fuzz target's LLVMFuzzerTestOneInput run outside libFuzzer, over the files and
// folders named on the command line (a folder: every regular file in it, in name
// order). The ordinary and the sanitizer builds compile every target this way, so that
// the inputs fuzzing once found and the kept corpus replay under CTest with gcc.
// A fault ends the process as it would end a fuzz run; a missing path is an error.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::filesystem::path> InputsUnder(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> inputs;
  if (std::filesystem::is_directory(path)) {
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
  } else if (std::filesystem::is_regular_file(path)) {
    inputs.push_back(path);
  }
  return inputs;
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    if (!std::filesystem::exists(path)) {
      std::fprintf(stderr, "replay: %s does not exist\n", argv[i]);
      return 2;
    }
    for (const std::filesystem::path& input : InputsUnder(path)) {
      const std::vector<std::uint8_t> bytes = ReadAll(input);
      std::fprintf(stderr, "replay: %s (%zu bytes)\n", input.c_str(), bytes.size());
      // libFuzzer never hands a target a null pointer, not even for an empty input.
      static const std::uint8_t kNothing = 0;
      LLVMFuzzerTestOneInput(bytes.empty() ? &kNothing : bytes.data(), bytes.size());
      ++replayed;
    }
  }
  std::printf("replay: %d inputs ran without a fault\n", replayed);
  return 0;
}
