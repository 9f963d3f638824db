#pragma once
// The contents of the screen, for a background that is a snapshot of the desktop. The
// window layer installs a reader when a display can be read; without one (headless)
// the screen reads as black.
#include <functional>

#include "platform/gdi/bitmap.h"

namespace velquora {

// Copies the screen's pixels from its top-left corner into target at (0, 0), as far as
// both reach; returns false when the screen cannot be read.
using ScreenReader = std::function<bool(TBitmap& target)>;
// Installs a reader; an empty function uninstalls it.
void SetScreenReader(ScreenReader reader);

// Fills target with the screen's top-left area. Pixels the screen does not cover, and
// the whole bitmap when no screen can be read, are black.
void ReadScreen(TBitmap& target);

}  // namespace velquora
