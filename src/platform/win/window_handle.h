#pragma once
#include <cstdint>

namespace velquora {

// A window of the platform layer (on X11 the window id). 0 is no window.
using WindowHandle = std::uint64_t;
inline constexpr WindowHandle kNoWindow = 0;

}  // namespace velquora
