#pragma once
// LZW decoding of a GIF image's data: variable-width codes packed least significant bit
// first, a clear code of 2^size, an end code one above it, widths from size + 1 up to 12 bits.
#include <cstdint>
#include <span>

#include "media/gif/gif_arrays.h"

namespace velquora {

// Decodes data into pixels, row after row (rows counted from the top), or in the four passes of
// an interlaced image (every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1).
// Only whole rows are stored; decoding ends at the end code, when every row is filled, or silently
// when the data runs out. Raises EGifException with "Bad code Size" for a minimum code size outside
// 2..9, "Bad code" for an end code right after a clear code or a code beyond the next free one, and
// "Code size overflow" when a full table is not followed by a clear code.
void DecodeLzw(int minimum_code_size, std::span<const std::uint8_t> data, bool interlaced,
               TByteArray2D& pixels);

}  // namespace velquora
