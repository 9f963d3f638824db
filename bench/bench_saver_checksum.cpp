// The saver file's integrity pass, which runs at every start before any window until a
// completed run stores "CRC Checked": the chunk checksum alone and the whole pass over
// saver files of 1, 16 and 64 MB held in memory.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/memory_stream.h"
#include "host/saver_checksum.h"

namespace {

std::vector<std::uint8_t> FileBytes(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t state = 1;
  for (auto& byte : bytes) {
    state = state * 1664525U + 1013904223U;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  return bytes;
}

void ChunkChecksum(benchmark::State& state) {
  const std::vector<std::uint8_t> chunk = FileBytes(velquora::kChecksumChunkSize);
  for (auto _ : state) benchmark::DoNotOptimize(velquora::SaverChecksum(chunk));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * chunk.size()));
}
BENCHMARK(ChunkChecksum);

void WholeFilePass(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0)) << 20;
  velquora::TMemoryStream file(FileBytes(size));
  for (auto _ : state) benchmark::DoNotOptimize(velquora::ComputeSaverFileChecksum(file));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(WholeFilePass)->Arg(1)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
