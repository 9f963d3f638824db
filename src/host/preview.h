#pragma once
// Preview mode: the scene plays silently at 640 x 480 into an off-screen picture that is
// stretched after each tick into a child window of the host window (the display
// settings' little screen, or any window of another program).
#include "host/saver_window.h"

namespace velquora {

inline constexpr const char* kPreviewTitle = "Velquora Screen";

// Stretches the preview picture over the rectangle of the window.
void StretchPreview(TWindowSystem& windows, WindowHandle window, const TBitmap& picture, const Rect& target);

// Registers the class, creates the child window over the host window's client area and
// runs the loop. False when the host window does not exist or no window was created.
bool RunPreviewWindow(HostState& host, SaverWindowServices services, WindowHandle parent);

}  // namespace velquora
