#pragma once
// The saver window: the one window that shows the playing scene, a top-most full-screen
// pop-up in Program, Run and Show modes and a child of the host window in Preview mode.
// Its window procedure drives playback from the frame timer, loads the scene at the
// first tick, decides when input ends the saver (with the mouse-motion allowance and,
// in Run mode, the password check) and posts the quit message when it is destroyed.
#include <cstdint>
#include <functional>

#include "host/host_state.h"
#include "host/password.h"
#include "platform/gdi/bitmap.h"
#include "platform/win/window_system.h"

namespace velquora {

inline constexpr const char* kSaverClassName = "WindowsScreenSaverClass";
inline constexpr std::uint32_t kSaverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
inline constexpr WPARAM kFrameTimer = 1;
inline constexpr WPARAM kAllowanceTimer = 2;
inline constexpr std::uint32_t kAllowancePeriod = 2000;         // milliseconds
inline constexpr std::int32_t kInitialMouseAllowance = 10000;   // motion ignored until the first allowance tick
inline constexpr std::int32_t kAllowancePerPeriod = 4;          // motion ignored per allowance period
inline constexpr int kLowResourcesPercent = 15;
inline constexpr const char* kLowResourcesText =
    "Out of system resources. Please close one or more unused applications or run the program under Windows NT.";

// What the window needs from the rest of the host.
struct SaverWindowServices {
  TWindowSystem& Windows;
  // The scene load step of the first tick: the scene with its sprites, and the stored
  // settings in the modes that read them.
  std::function<void(HostState&)> LoadScene;
  // One playback tick of the scene.
  std::function<void(TVelquoraScene&)> StepScene;
  // The password check before a Run mode saver closes; none lets it close at once.
  TSaverPassword* Password = nullptr;
  // Program mode's about dialog on closing; returns when the dialog is closed. None
  // shows nothing.
  std::function<void(HostState&, WindowHandle parent)> ShowAbout;
};

class TSaverWindow : public PasswordCheckWindow {
public:
  TSaverWindow(HostState& host, SaverWindowServices services);

  // The saver window class with this object's window procedure and the mode's cursor.
  TWindowClass WindowClass();
  LRESULT WindowProc(WindowHandle window, UINT message, WPARAM w_param, LPARAM l_param);

  // PasswordCheckWindow
  WindowHandle Handle() const override { return host_.SaverWindow; }
  void ShowCursor(bool show) override { services_.Windows.ShowCursor(show); }
  void SetMouseAllowance(std::int32_t allowance) override { MouseAllowance = allowance; }
  void RepaintWholeScene() override;

  bool FirstTickDone = false;                       // the first frame tick has loaded the scene
  std::int32_t MouseAllowance = kInitialMouseAllowance;  // motion messages still ignored in Run mode
  TBitmap PreviewBitmap;                            // Preview: the picture the scene draws into
  int LowResourceMessagesShown = 0;                 // low-resources boxes shown (never more than one)

private:
  void OnCreate(WindowHandle window);
  void OnDestroy(WindowHandle window);
  void OnKey(WindowHandle window);
  void OnMouseMove(WindowHandle window);
  void OnButton(WindowHandle window);
  void OnFrameTick(WindowHandle window);
  void FirstTick(WindowHandle window);
  void CloseIfVerified(WindowHandle window);
  void Close(WindowHandle window);
  void RealizeScenePalette(WindowHandle window);
  bool Is(HostMode mode) const { return host_.Mode == mode; }
  bool EndsOnAnyInput() const;

  HostState& host_;
  SaverWindowServices services_;
};

// Gets, translates and dispatches messages until the quit message; returns its code.
int RunMessageLoop(TWindowSystem& windows);

// Program, Run and Show: registers the class, creates the top-most full-screen pop-up of
// the primary screen's size (or, when embed names another program's window, plays into
// that window at its size), restarts the scene, and runs the loop. False when no window
// could be created.
bool RunSaverWindow(HostState& host, SaverWindowServices services, std::function<void(TVelquoraScene&)> restart,
                    WindowHandle embed = kNoWindow);

}  // namespace velquora
