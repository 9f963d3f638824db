// Arbitrary bytes as one stored LZH block, decoded into the loader's 130000-byte buffer.
// The decoder may only return a count within the buffer or raise ElzhException.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_determinism.h"
#include "scene_file/lzh_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  static std::vector<std::uint8_t> output(130000);
  try {
    const std::size_t written = velquora::LzhDecodeBlock({data, size}, output);
    if (written > output.size()) std::abort();
  } catch (const velquora::ElzhException&) {
  }
  return 0;
}
