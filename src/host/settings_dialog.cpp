#include "host/settings_dialog.h"

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/exceptions.h"
#include "host/dialog_speed.h"
#include "platform/system/shell_open.h"

namespace velquora {

namespace {

constexpr int kProbeUnits = 200;
constexpr int kPointsPerInch = 72;
constexpr WPARAM kSystemCommandMask = 0xFFF0;  // the low four bits are the system's own

// A dialog that is destroyed when this goes, whatever ends its run.
class ScopedDialog {
public:
  ScopedDialog(TWindowSystem& windows, WindowHandle dialog) : windows_(windows), dialog_(dialog) {}
  ~ScopedDialog() {
    if (dialog_ != kNoWindow) windows_.DestroyWindow(dialog_);
  }
  ScopedDialog(const ScopedDialog&) = delete;
  ScopedDialog& operator=(const ScopedDialog&) = delete;
  WindowHandle Get() const { return dialog_; }

private:
  TWindowSystem& windows_;
  WindowHandle dialog_;
};

// Brings a window to the foreground when this goes, if it still exists.
class ScopedForeground {
public:
  ScopedForeground(TWindowSystem& windows, WindowHandle window) : windows_(windows), window_(window) {}
  ~ScopedForeground() {
    if (window_ != kNoWindow && windows_.IsWindow(window_)) windows_.SetForegroundWindow(window_);
  }
  ScopedForeground(const ScopedForeground&) = delete;
  ScopedForeground& operator=(const ScopedForeground&) = delete;

private:
  TWindowSystem& windows_;
  WindowHandle window_;
};

// Sets a handle of the host for the lifetime of this object.
class ScopedHandle {
public:
  ScopedHandle(WindowHandle& slot, WindowHandle value) : slot_(slot) { slot_ = value; }
  ~ScopedHandle() { slot_ = kNoWindow; }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

private:
  WindowHandle& slot_;
};

// A modeless dialog of the template; kNoWindow when none can be made, also when its
// window would be too large to hold (a scene may ask for a font of thousands of points).
WindowHandle CreateDialogOrNone(TWindowSystem& windows, std::span<const std::uint8_t> layout, WindowHandle parent,
                                DialogProcedure procedure) {
  try {
    return windows.CreateDialogIndirectParam(layout, parent, std::move(procedure), 0);
  } catch (const Exception&) {
    return kNoWindow;
  }
}

// The pixel size of a probe dialog's 200 x 200 dialog units in a font; empty when the
// probe cannot be made.
std::optional<Rect> ProbeDialogPixels(TWindowSystem& windows, std::string_view font_name, std::int32_t font_size) {
  const std::vector<std::uint8_t> probe = EncodeDialogTemplate(ProbeDialogLayout(font_name, font_size));
  // The probe's style has no WS_VISIBLE: it is never shown.
  const ScopedDialog dialog(windows, CreateDialogOrNone(windows, probe, kNoWindow,
                                                        [](WindowHandle, UINT, WPARAM, LPARAM) { return LRESULT{0}; }));
  if (dialog.Get() == kNoWindow) return std::nullopt;
  Rect pixels{0, 0, kProbeUnits, kProbeUnits};
  if (!windows.MapDialogRect(dialog.Get(), pixels)) return std::nullopt;
  return pixels;
}

bool IsSystemCommandSwallowed(WPARAM command) {
  const WPARAM which = command & kSystemCommandMask;
  return which == SC_CLOSE || which == SC_SCREENSAVE;
}

// Centres the dialog on the full-screen work area, without repainting.
void CentreOnScreen(TWindowSystem& windows, WindowHandle dialog) {
  const std::optional<Rect> frame = windows.GetWindowRect(dialog);
  if (!frame) return;
  const int x = windows.GetSystemMetrics(SM_CXFULLSCREEN) / 2 - frame->Width() / 2;
  const int y = windows.GetSystemMetrics(SM_CYFULLSCREEN) / 2 - frame->Height() / 2;
  windows.SetWindowPos(dialog, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
}

// The link's font: the dialog's face and size, underlined. It goes when the returned
// object goes, after the dialog.
ScopedFont GiveLinkFont(TWindowSystem& windows, WindowHandle dialog, std::int32_t points, std::string_view face) {
  const int dpi = windows.GetDeviceCaps(dialog, LOGPIXELSY);
  ScopedFont font(windows, windows.CreateFont(-MulDiv(points, dpi, kPointsPerInch), 0, true, AnsiToUtf8(face)));
  if (font.Get() != kNoFont) {
    windows.SendMessage(windows.GetDlgItem(dialog, kIdLink), WM_SETFONT, font.Get(), 1);
  }
  return font;
}

// The dialog's own loop: every message goes to the dialog's handling only; messages of
// other windows are dropped meanwhile. Ends with the quit message.
void RunDialogLoop(TWindowSystem& windows, WindowHandle dialog) {
  TMsg message;
  while (windows.GetMessage(message)) windows.IsDialogMessage(dialog, message);
}

void SetSpeedText(TWindowSystem& windows, WindowHandle dialog, std::int32_t speed) {
  windows.SetDlgItemText(dialog, kIdSpeedText, AnsiToTemplateText(SpeedText(speed)));
}

class SettingsDialogProcedure {
public:
  SettingsDialogProcedure(HostState& host, DialogServices& services) : host_(host), services_(services) {}

  LRESULT operator()(WindowHandle dialog, UINT message, WPARAM w_param, LPARAM /*l_param*/) {
    switch (message) {
      case WM_INITDIALOG:
        OnInitDialog(dialog);
        return 0;
      case WM_HSCROLL:
        OnSpeedBar(dialog);  // whatever the request: the speed follows the cursor
        return 0;
      case WM_COMMAND:
        return OnCommand(dialog, LoWord(w_param));
      case WM_SYSCOMMAND:
        return IsSystemCommandSwallowed(w_param) ? 1 : 0;
      default:
        return 0;
    }
  }

private:
  TVelquoraScene& Scene() { return *host_.Scene; }
  TWindowSystem& Windows() { return services_.Windows; }

  void OnInitDialog(WindowHandle dialog) {
    CentreOnScreen(Windows(), dialog);
    const WindowHandle bar = Windows().GetDlgItem(dialog, kIdSpeedBar);
    Windows().SetScrollRange(bar, SB_CTL, kSpeedBarMinimum, kSpeedBarMaximum, false);
    Windows().SetScrollPos(bar, SB_CTL, 0, false);
    const std::int32_t speed = SpeedFromInterval(Scene().TimerInterval);
    Windows().SetScrollPos(bar, SB_CTL, speed, true);
    SetSpeedText(Windows(), dialog, speed);
    Windows().CheckDlgButton(dialog, kIdPlaySound, Scene().SoundEnabled ? BST_CHECKED : BST_UNCHECKED);
  }

  void OnSpeedBar(WindowHandle dialog) {
    const WindowHandle bar = Windows().GetDlgItem(dialog, kIdSpeedBar);
    std::optional<Point> cursor = Windows().GetCursorPos();
    const std::optional<Rect> place = Windows().GetWindowRect(bar);
    if (!cursor || !place || !Windows().ScreenToClient(bar, *cursor)) return;
    const std::int32_t speed = SpeedFromCursor(cursor->X, place->Width());
    Windows().SetScrollPos(bar, SB_CTL, speed, true);
    SetSpeedText(Windows(), dialog, speed);
    Scene().TimerInterval = IntervalFromSpeed(speed);
  }

  LRESULT OnCommand(WindowHandle dialog, std::uint16_t id) {
    switch (id) {
      case kIdOk:
        services_.Settings.Save(host_);  // stores only in Settings mode
        Windows().PostQuitMessage(0);
        return 1;
      case kIdCancel:
        Windows().PostQuitMessage(0);
        return 1;
      case kIdGo:
        OpenLink(Scene().SupportLink);
        return 0;
      case kIdPlaySound:
        Scene().SoundEnabled = !Scene().SoundEnabled;
        return 0;
      case kIdAbout:
        ShowAboutDialog(host_, services_, dialog);
        return 0;
      default:
        return 0;
    }
  }

  HostState& host_;
  DialogServices& services_;
};

class AboutDialogProcedure {
public:
  AboutDialogProcedure(TWindowSystem& windows, const TVelquoraScene& scene) : windows_(windows), scene_(scene) {}

  LRESULT operator()(WindowHandle dialog, UINT message, WPARAM w_param, LPARAM /*l_param*/) {
    switch (message) {
      case WM_INITDIALOG:
        CentreOnScreen(windows_, dialog);
        return 0;
      case WM_COMMAND:
        if (LoWord(w_param) == kIdOk || LoWord(w_param) == kIdCancel) {
          windows_.PostQuitMessage(0);
          return 1;
        }
        if (LoWord(w_param) == kIdGo) OpenLink(scene_.AboutLink);
        return 0;
      case WM_SYSCOMMAND:
        return IsSystemCommandSwallowed(w_param) ? 1 : 0;
      default:
        return 0;
    }
  }

private:
  TWindowSystem& windows_;
  const TVelquoraScene& scene_;
};

}  // namespace

DialogScale MeasureDialogScale(TWindowSystem& windows, std::string_view font_name, std::int32_t font_size) {
  DialogScale scale;  // 1.5 x 1.5 unless both probes measure
  const std::optional<Rect> chosen = ProbeDialogPixels(windows, font_name, font_size);
  const std::optional<Rect> reference = ProbeDialogPixels(windows, kReferenceFontName, kReferenceFontSize);
  if (!chosen || !reference || reference->Width() <= 0 || reference->Height() <= 0) return scale;
  // The ratio first: equal probes give exactly the reference factors.
  scale.X = static_cast<double>(chosen->Width()) / reference->Width() * kReferenceScaleX;
  scale.Y = static_cast<double>(chosen->Height()) / reference->Height() * kReferenceScaleY;
  return scale;
}

void ShowSettingsDialog(HostState& host, DialogServices& services) {
  if (!host.Scene) return;
  TWindowSystem& windows = services.Windows;
  const TVelquoraScene& scene = *host.Scene;
  const DialogScale scale = MeasureDialogScale(windows, scene.SettingsFontName, scene.SettingsFontSize);
  std::vector<std::uint8_t> layout = EncodeDialogTemplate(SettingsDialogLayout(scene, scale));
  const ScopedDialog dialog(windows,
                            CreateDialogOrNone(windows, layout, kNoWindow, SettingsDialogProcedure(host, services)));
  layout = {};  // the template is not needed once the dialog exists
  if (dialog.Get() == kNoWindow) return;
  const ScopedHandle saver_window(host.SaverWindow, dialog.Get());
  // The link's font before the dialog shows, so that its first picture has it.
  const ScopedFont link_font = GiveLinkFont(windows, dialog.Get(), scene.SettingsFontSize, scene.SettingsFontName);
  windows.ShowWindow(dialog.Get(), SW_SHOW);
  windows.SetForegroundWindow(dialog.Get());
  RunDialogLoop(windows, dialog.Get());
}

void ShowAboutDialog(HostState& host, DialogServices& services, WindowHandle parent) {
  if (!host.Scene) return;
  TWindowSystem& windows = services.Windows;
  const TVelquoraScene& scene = *host.Scene;
  const DialogScale scale = MeasureDialogScale(windows, scene.AboutFontName, scene.AboutFontSize);
  std::vector<std::uint8_t> layout = EncodeDialogTemplate(AboutDialogLayout(scene, scale));
  // Once the about dialog is gone its parent takes the keyboard back, as an owner
  // window does (declared first, so it acts after the dialog is destroyed).
  const ScopedForeground refocus_parent(windows, parent);
  const ScopedDialog dialog(windows, CreateDialogOrNone(windows, layout, parent, AboutDialogProcedure(windows, scene)));
  layout = {};
  if (dialog.Get() == kNoWindow) return;
  // Cleared before the dialog goes (members go in reverse order).
  const ScopedHandle about_dialog(host.AboutDialog, dialog.Get());
  const ScopedFont link_font = GiveLinkFont(windows, dialog.Get(), scene.AboutFontSize, scene.AboutFontName);
  windows.ShowWindow(dialog.Get(), SW_SHOW);
  windows.SetForegroundWindow(dialog.Get());
  RunDialogLoop(windows, dialog.Get());
}

void OpenLink(std::string_view text) { ShellOpen(text); }

}  // namespace velquora
