#include "host/saver_window.h"

#include <utility>

#include "host/preview.h"
#include "platform/system/resource_probe.h"
#include "platform/system/display_info.h"
#include "platform/win/message_box.h"

namespace velquora {

TSaverWindow::TSaverWindow(HostState& host, SaverWindowServices services)
    : host_(host), services_(std::move(services)) {}

TWindowClass TSaverWindow::WindowClass() {
  TWindowClass window_class;
  window_class.Style = kSaverClassStyle;
  window_class.ClassName = kSaverClassName;
  window_class.Cursor = host_.SaverClassCursor == ClassCursor::Arrow ? CursorShape::Arrow : CursorShape::None;
  window_class.Procedure = [this](WindowHandle window, UINT message, WPARAM w_param, LPARAM l_param) {
    return WindowProc(window, message, w_param, l_param);
  };
  return window_class;
}

void TSaverWindow::RepaintWholeScene() {
  if (host_.Scene) host_.Scene->BackgroundShown = false;
}

bool TSaverWindow::EndsOnAnyInput() const {
  return Is(HostMode::Program) || Is(HostMode::Show) || Is(HostMode::SettingsNoSave);
}

LRESULT TSaverWindow::WindowProc(WindowHandle window, UINT message, WPARAM w_param, LPARAM l_param) {
  if (host_.AboutDialog != kNoWindow) return 0;  // the about dialog's own loop runs
  TWindowSystem& windows = services_.Windows;
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      break;
    case WM_DESTROY:
      OnDestroy(window);
      break;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
      if (Is(HostMode::Run) && LoWord(w_param) == WA_INACTIVE) {
        CloseIfVerified(window);
        return 0;
      }
      break;
    case WM_NCACTIVATE:
      if (Is(HostMode::Run) && w_param == 0) return 0;
      break;
    case WM_ERASEBKGND:
      return 0;  // the scene paints everything
    case WM_SYSCOMMAND:
      if (Is(HostMode::Run) && (w_param == SC_CLOSE || w_param == SC_SCREENSAVE)) return 1;
      break;
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
      OnKey(window);
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(window);
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      OnButton(window);
      break;
    case WM_TIMER:
      if (w_param == kFrameTimer) OnFrameTick(window);
      if (w_param == kAllowanceTimer) MouseAllowance = kAllowancePerPeriod;
      break;
    case WM_QUERYNEWPALETTE:
      RealizeScenePalette(window);
      return 0;
    case WM_PALETTECHANGED:
      if (static_cast<WindowHandle>(w_param) != window) RealizeScenePalette(window);
      return 0;
    default:
      break;
  }
  return windows.DefWindowProc(window, message, w_param, l_param);
}

void TSaverWindow::OnCreate(WindowHandle window) {
  host_.SaverWindow = window;
  const std::int32_t interval = host_.Scene ? host_.Scene->TimerInterval : 50;
  services_.Windows.SetTimer(window, kFrameTimer, interval);
  services_.Windows.SetTimer(window, kAllowanceTimer, kAllowancePeriod);
}

void TSaverWindow::OnDestroy(WindowHandle window) {
  services_.Windows.KillTimer(window, kAllowanceTimer);
  if (Is(HostMode::Program) && host_.Scene && host_.Scene->ShowAboutOnExit && services_.ShowAbout) {
    services_.ShowAbout(host_, window);  // sets host_.AboutDialog while it is open
  }
  services_.Windows.PostQuitMessage(0);
}

void TSaverWindow::OnKey(WindowHandle window) {
  if (Is(HostMode::Run)) {
    if (MouseAllowance > 0) {
      MouseAllowance = 0;  // a key closes at its next message (its character, or another key)
    } else {
      CloseIfVerified(window);
    }
  }
  if (EndsOnAnyInput()) Close(window);
}

void TSaverWindow::OnMouseMove(WindowHandle window) {
  if (!Is(HostMode::Run)) return;
  if (MouseAllowance > 0) {
    --MouseAllowance;
  } else {
    CloseIfVerified(window);
  }
}

void TSaverWindow::OnButton(WindowHandle window) {
  if (Is(HostMode::Run)) CloseIfVerified(window);
  if (Is(HostMode::Program) || Is(HostMode::Show)) Close(window);
}

void TSaverWindow::CloseIfVerified(WindowHandle window) {
  if (services_.Password == nullptr || services_.Password->VerifyClose(*this)) Close(window);
}

void TSaverWindow::Close(WindowHandle window) { services_.Windows.PostMessage(window, WM_CLOSE); }

void TSaverWindow::OnFrameTick(WindowHandle window) {
  if (!host_.Scene) return;
  if (!FirstTickDone) FirstTick(window);
  TVelquoraScene& scene = *host_.Scene;
  if (!scene.BackgroundShown) RealizeScenePalette(window);
  if (services_.StepScene) services_.StepScene(scene);
  if (Is(HostMode::Preview)) {
    StretchPreview(services_.Windows, window, PreviewBitmap, host_.PreviewRect);
  }
  if (Is(HostMode::Program) && scene.RunsLeft == 0 && scene.CloseWhenDone) Close(window);
}

void TSaverWindow::FirstTick(WindowHandle window) {
  TWindowSystem& windows = services_.Windows;
  windows.KillTimer(window, kFrameTimer);
  if (services_.LoadScene) services_.LoadScene(host_);
  TVelquoraScene& scene = *host_.Scene;
  if (Is(HostMode::Preview)) {
    PreviewBitmap.SetSize(scene.ScreenWidth, scene.ScreenHeight);
    scene.TargetBitmap = &PreviewBitmap;
    scene.SoundEnabled = false;  // the preview is silent
  } else {
    scene.OwnerWindow = window;
  }
  windows.SetTimer(window, kFrameTimer, scene.TimerInterval);
  // Set before the message below: its box lets further ticks through, and they must
  // not run this set-up again.
  FirstTickDone = true;
  if (EndsOnAnyInput() && FreeSystemResources() < kLowResourcesPercent) {
    ++LowResourceMessagesShown;
    ShowErrorBox(kLowResourcesText, window);
  }
  if (Is(HostMode::Run)) windows.ShowCursor(false);
}

void TSaverWindow::RealizeScenePalette(WindowHandle window) {
  if (!PaletteDisplay() || !host_.Scene) return;
  try {
    if (services_.Windows.RealizePalette(window, host_.Scene->BackgroundBitmap.Palette()) > 0) {
      host_.Scene->BackgroundShown = false;
    }
  } catch (...) {
    // a palette that cannot be realised leaves the colours as they are; the tick goes on
  }
}

int RunMessageLoop(TWindowSystem& windows) {
  TMsg message;
  while (windows.GetMessage(message)) {
    windows.TranslateMessage(message);
    windows.DispatchMessage(message);
  }
  return windows.QuitCode();
}

bool RunSaverWindow(HostState& host, SaverWindowServices services, std::function<void(TVelquoraScene&)> restart,
                    WindowHandle embed) {
  TWindowSystem& windows = services.Windows;
  TSaverWindow saver(host, std::move(services));
  windows.RegisterClass(saver.WindowClass());
  WindowHandle window = kNoWindow;
  if (embed != kNoWindow) {
    if (const std::optional<Rect> client = windows.Backend().ClientRect(embed); client && host.Scene) {
      host.Scene->ScreenWidth = client->Width();  // the scene fills the given window
      host.Scene->ScreenHeight = client->Height();
    }
    window = windows.AdoptForeignWindow(kSaverClassName, embed);
  } else {
    const ScreenSize screen = PrimaryScreenSize();
    window = windows.CreateWindowEx(WS_EX_TOPMOST, kSaverClassName, "", WS_POPUP | WS_VISIBLE,
                                    Rect{0, 0, screen.Width, screen.Height}, kNoWindow);
  }
  if (window == kNoWindow) {
    windows.UnregisterClass(kSaverClassName);
    return false;
  }
  if (restart && host.Scene) restart(*host.Scene);
  RunMessageLoop(windows);
  host.SaverWindow = kNoWindow;
  windows.UnregisterClass(kSaverClassName);
  return true;
}

}  // namespace velquora
