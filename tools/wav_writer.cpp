#include "wav_writer.h"

#include <cmath>
#include <numbers>

namespace velquora {

namespace {
void Append32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}
void Append16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
}  // namespace

std::vector<std::uint8_t> WritePcmWave(int sample_rate, int channels, std::span<const std::int16_t> samples) {
  const std::uint32_t data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out = {'R', 'I', 'F', 'F'};
  Append32(out, 36 + data_bytes);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Append32(out, 16);
  Append16(out, 1);
  Append16(out, static_cast<std::uint32_t>(channels));
  Append32(out, static_cast<std::uint32_t>(sample_rate));
  Append32(out, static_cast<std::uint32_t>(sample_rate * channels * 2));
  Append16(out, static_cast<std::uint32_t>(channels * 2));
  Append16(out, 16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  Append32(out, data_bytes);
  for (const std::int16_t sample : samples) Append16(out, static_cast<std::uint16_t>(sample));
  return out;
}

std::vector<std::int16_t> SineSamples(int sample_rate, int channels, double hertz, std::size_t frames) {
  std::vector<std::int16_t> samples(frames * static_cast<std::size_t>(channels));
  for (std::size_t i = 0; i < frames; ++i) {
    const double value = 16384 * std::sin(2 * std::numbers::pi * hertz * static_cast<double>(i) / sample_rate);
    for (int c = 0; c < channels; ++c) samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] = static_cast<std::int16_t>(std::lround(value));
  }
  return samples;
}

}  // namespace velquora
