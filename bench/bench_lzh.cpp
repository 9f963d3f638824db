// Decoding speed of LzhDecodeBlock on full 130000-byte blocks of text, structured binary
// data and incompressible bytes; the figure of interest is the decoded bytes per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "../tests/scene_file/lzh_reference_decoder.h"
#include "lzh_encoder.h"
#include "scene_file/lzh_decoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kBlockSize = 130000;

// English-like text: a vocabulary of 600 words built from syllables, drawn with Zipf
// frequencies (the word of rank r about 1/r as often as the most common one), with
// capitals, punctuation and line breaks.
Bytes Text() {
  static const char* const syllables[] = {"the", "an", "re", "in", "er", "on", "at", "es", "or", "ti",
                                          "ing", "ly", "ed", "st", "ou", "ar", "al", "le", "co", "mo",
                                          "pa", "sc", "ve", "di", "ri", "ne", "ma", "lo", "si", "tu"};
  std::mt19937 generator(1);
  std::vector<std::string> vocabulary;
  for (int w = 0; w < 600; ++w) {
    std::string word;
    const int parts = 1 + (w < 40 ? 0 : 1) + static_cast<int>(generator() % (w < 200 ? 2 : 3));
    for (int p = 0; p < parts; ++p) word += syllables[generator() % std::size(syllables)];
    vocabulary.push_back(word);
  }
  std::vector<double> cumulative;
  double total = 0;
  for (std::size_t r = 0; r < vocabulary.size(); ++r) cumulative.push_back(total += 1.0 / static_cast<double>(r + 1));

  std::string text;
  bool sentence_start = true;
  int line = 0;
  while (text.size() < kBlockSize) {
    const double u = static_cast<double>(generator()) / 4294967296.0 * total;
    const auto rank = static_cast<std::size_t>(std::lower_bound(cumulative.begin(), cumulative.end(), u) - cumulative.begin());
    std::string word = vocabulary[std::min(rank, vocabulary.size() - 1)];
    if (sentence_start) word[0] = static_cast<char>(word[0] - 'a' + 'A');
    text += word;
    line += static_cast<int>(word.size()) + 1;
    sentence_start = generator() % 11 == 0;
    if (sentence_start) text += '.';
    else if (generator() % 13 == 0) text += ',';
    if (line > 70) {
      text += '\n';
      line = 0;
    } else {
      text += ' ';
    }
  }
  return Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(kBlockSize));
}

// A table of little-endian records followed by bitmap rows with a gradient and stripes.
Bytes Binary() {
  Bytes bytes;
  for (std::uint32_t row = 0; bytes.size() < kBlockSize / 2; ++row) {
    const std::uint32_t fields[] = {row, row * 3 + 17, (row % 40) * 1000, 0xFFFF0000U | (row & 0xFF)};
    for (std::uint32_t value : fields) {
      for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
    }
  }
  for (int y = 0; bytes.size() < kBlockSize; ++y) {
    for (int x = 0; x < 320; ++x) {
      bytes.push_back(static_cast<std::uint8_t>(x / 4 + y));
      bytes.push_back(static_cast<std::uint8_t>((x / 16) % 2 == 0 ? 0xFF : 0x40));
      bytes.push_back(static_cast<std::uint8_t>(y * 2));
    }
  }
  bytes.resize(kBlockSize);
  return bytes;
}

Bytes Noise() {
  std::mt19937 generator(2);
  Bytes bytes(kBlockSize);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
  return bytes;
}

void DecodeBlock(benchmark::State& state, const Bytes& data) {
  const Bytes block = velquora::LzhEncodeBlock(data);
  Bytes output(kBlockSize);
  for (auto _ : state) {
    const std::size_t written = velquora::LzhDecodeBlock(block, output);
    benchmark::DoNotOptimize(written);
    benchmark::DoNotOptimize(output.data());
  }
  if (output != data) state.SkipWithError("decoded block differs from the original");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBlockSize));
  state.counters["ratio"] = static_cast<double>(block.size()) / static_cast<double>(kBlockSize);
}

// The plain bit-by-bit decoder the tests use as their oracle, for comparison.
void ReferenceDecodeBlock(benchmark::State& state, const Bytes& data) {
  const Bytes block = velquora::LzhEncodeBlock(data);
  for (auto _ : state) {
    auto result = velquora::lzh_reference::ReferenceDecode(block);
    benchmark::DoNotOptimize(result.bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBlockSize));
}

void BM_LzhDecodeText(benchmark::State& state) { DecodeBlock(state, Text()); }
void BM_LzhDecodeBinary(benchmark::State& state) { DecodeBlock(state, Binary()); }
void BM_LzhDecodeIncompressible(benchmark::State& state) { DecodeBlock(state, Noise()); }

void BM_ReferenceDecodeText(benchmark::State& state) { ReferenceDecodeBlock(state, Text()); }
void BM_ReferenceDecodeIncompressible(benchmark::State& state) { ReferenceDecodeBlock(state, Noise()); }

BENCHMARK(BM_LzhDecodeText);
BENCHMARK(BM_LzhDecodeBinary);
BENCHMARK(BM_LzhDecodeIncompressible);
BENCHMARK(BM_ReferenceDecodeText);
BENCHMARK(BM_ReferenceDecodeIncompressible);

}  // namespace
