#pragma once
// Milliseconds since an arbitrary start, as a 32-bit count that wraps after 49.7 days;
// differences are taken unsigned, so a wrap between two readings does no harm.
#include <cstdint>

namespace velquora {

std::uint32_t TickCount();

}  // namespace velquora
