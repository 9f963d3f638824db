#include "host/preview.h"

#include <utility>

#include "platform/gdi/canvas.h"

namespace velquora {

void StretchPreview(TWindowSystem& windows, WindowHandle window, const TBitmap& picture, const Rect& target) {
  if (picture.Empty()) return;
  std::optional<TWindowDeviceContext> dc = windows.GetDC(window);
  if (!dc) return;
  TCanvas canvas(dc->Bitmap());
  canvas.StretchDraw(target, picture);
}

bool RunPreviewWindow(HostState& host, SaverWindowServices services, WindowHandle parent) {
  TWindowSystem& windows = services.Windows;
  const std::optional<Rect> client = windows.GetClientRect(parent);
  if (!client) return false;
  host.PreviewRect = *client;
  TSaverWindow saver(host, std::move(services));
  TWindowClass window_class = saver.WindowClass();
  // The class asks the program for a cursor it does not carry; the preview sits inside
  // the display settings, where the user expects the ordinary arrow.
  window_class.Cursor = CursorShape::Arrow;
  windows.RegisterClass(window_class);
  const WindowHandle window =
      windows.CreateWindowEx(0, kSaverClassName, kPreviewTitle, WS_CHILD | WS_VISIBLE, host.PreviewRect, parent);
  if (window == kNoWindow) {
    windows.UnregisterClass(kSaverClassName);
    return false;
  }
  RunMessageLoop(windows);
  host.SaverWindow = kNoWindow;
  if (host.Scene) host.Scene->TargetBitmap = nullptr;  // the picture goes with the window
  windows.UnregisterClass(kSaverClassName);
  return true;
}

}  // namespace velquora
