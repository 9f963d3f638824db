#include "core/real48.h"

#include <cmath>

#include "core/stream.h"

namespace velquora {

namespace {
constexpr int kBias = 129;
constexpr int kFractionBits = 39;
}  // namespace

Real Real48ToReal(const Real48Bytes& bytes) {
  if (bytes[0] == 0) return 0.0L;
  std::uint64_t fraction = 0;
  for (int i = 5; i >= 1; --i) fraction = (fraction << 8) | bytes[static_cast<std::size_t>(i)];
  const bool negative = (fraction >> kFractionBits) & 1U;
  fraction &= (std::uint64_t{1} << kFractionBits) - 1;
  const Real mantissa = 1.0L + std::ldexp(static_cast<Real>(fraction), -kFractionBits);
  const Real value = std::ldexp(mantissa, bytes[0] - kBias);
  return negative ? -value : value;
}

Real48Bytes RealToReal48(Real value) {
  Real48Bytes bytes{};
  if (value == 0.0L || std::isnan(value)) return bytes;
  const bool negative = std::signbit(value);
  int exponent = 0;
  // frexp gives m in [0.5, 1): value = m * 2^exponent = (2m) * 2^(exponent-1).
  const Real m = std::frexp(std::fabs(value), &exponent);
  Real scaled = std::nearbyint(std::ldexp(2.0L * m - 1.0L, kFractionBits));
  int biased = exponent - 1 + kBias;
  if (scaled >= std::ldexp(1.0L, kFractionBits)) {  // rounding carried into the next power
    scaled = 0.0L;
    ++biased;
  }
  std::uint64_t fraction = static_cast<std::uint64_t>(scaled);
  if (biased <= 0) return bytes;
  if (biased > 255 || std::isinf(value)) {
    biased = 255;
    fraction = (std::uint64_t{1} << kFractionBits) - 1;
  }
  if (negative) fraction |= std::uint64_t{1} << kFractionBits;
  bytes[0] = static_cast<std::uint8_t>(biased);
  for (std::size_t i = 1; i <= 5; ++i) bytes[i] = static_cast<std::uint8_t>(fraction >> (8 * (i - 1)));
  return bytes;
}

Real ReadReal48(TStream& stream) {
  Real48Bytes bytes{};
  stream.ReadBuffer(bytes.data(), bytes.size());
  return Real48ToReal(bytes);
}

void WriteReal48(TStream& stream, Real value) {
  const Real48Bytes bytes = RealToReal48(value);
  stream.WriteBuffer(bytes.data(), bytes.size());
}

}  // namespace velquora
