#pragma once
// 6-byte reals of the scene file: byte 0 is the exponent biased by 129 (0 means 0),
// bytes 1-5 a 39-bit fraction, least significant byte first, with the sign in the top
// bit of byte 5. Values are held and computed in long double (x87 extended).
#include <array>
#include <cstdint>

namespace velquora {

class TStream;

using Real = long double;
using Real48Bytes = std::array<std::uint8_t, 6>;

Real Real48ToReal(const Real48Bytes& bytes);
// The nearest 6-byte real (fraction rounded half to even; out-of-range values saturate,
// values too small for the format become 0). Used by writers.
Real48Bytes RealToReal48(Real value);

Real ReadReal48(TStream& stream);  // exact read, raises EReadError
void WriteReal48(TStream& stream, Real value);

}  // namespace velquora
