#include "core/real48.h"

#include <gtest/gtest.h>

#include "core/exceptions.h"
#include "core/memory_stream.h"

namespace velquora {
namespace {

TEST(Real48, DecodesTheDocumentedExamples) {
  EXPECT_EQ(Real48ToReal({0x81, 0, 0, 0, 0, 0}), 1.0L);
  EXPECT_EQ(Real48ToReal({0x86, 0, 0, 0, 0, 0x20}), 40.0L);
  EXPECT_EQ(Real48ToReal({0x86, 0, 0, 0, 0, 0xA0}), -40.0L);
  EXPECT_EQ(Real48ToReal({0x80, 0, 0, 0, 0, 0}), 0.5L);
}

TEST(Real48, ZeroExponentIsZeroWhateverTheFraction) {
  EXPECT_EQ(Real48ToReal({0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), 0.0L);
}

TEST(Real48, KeepsAllThirtyNineFractionBits) {
  // 1 + 2^-39: the lowest fraction bit.
  EXPECT_EQ(Real48ToReal({0x81, 1, 0, 0, 0, 0}), 1.0L + 1.0L / 549755813888.0L);
}

TEST(Real48, EncodingRoundTripsRepresentableValues) {
  for (const Real value : {1.0L, 40.0L, -40.0L, 0.1L, 6.4L, 9.6L, 1234567.25L, -0.001L, 0.0L}) {
    const Real48Bytes bytes = RealToReal48(value);
    const Real back = Real48ToReal(bytes);
    EXPECT_EQ(RealToReal48(back), bytes) << static_cast<double>(value);
    EXPECT_NEAR(static_cast<double>(back), static_cast<double>(value), std::abs(static_cast<double>(value)) * 4e-12);
  }
  EXPECT_EQ(RealToReal48(40.0L), (Real48Bytes{0x86, 0, 0, 0, 0, 0x20}));
}

TEST(Real48, StreamReadIsExact) {
  TMemoryStream stream(std::vector<std::uint8_t>{0x81, 0, 0, 0, 0});
  EXPECT_THROW(ReadReal48(stream), EReadError);
}

}  // namespace
}  // namespace velquora
