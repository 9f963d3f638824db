#pragma once
// Writes RIFF WAVE files of 16-bit PCM for tests, benchmarks and the demo scene.
#include <cstdint>
#include <span>
#include <vector>

namespace velquora {

// A "RIFF"/"WAVE" file with a 16-byte "fmt " chunk (format 1) and a "data" chunk of the
// interleaved samples.
std::vector<std::uint8_t> WritePcmWave(int sample_rate, int channels, std::span<const std::int16_t> samples);

// `frames` frames of a sine of `hertz` on every one of `channels` channels, at half scale.
std::vector<std::int16_t> SineSamples(int sample_rate, int channels, double hertz, std::size_t frames);

}  // namespace velquora
