#pragma once
// The parts of each mode that need a display: the saver window with its message loop,
// the preview window, the settings dialog and the password change. Start-up prepares
// the scene and the host state, then hands over to the installed front end. Without a
// window layer the headless front end only says what it would have shown.
#include <iosfwd>

#include "host/host_state.h"

namespace velquora {

class SaverFrontEnd {
public:
  virtual ~SaverFrontEnd() = default;
  // Program, Run, Show: registers the window class, creates the full-screen saver window
  // over host.Scene, restarts the scene, shows the window and runs the message loop until
  // the quit message. False when no window could be created.
  virtual bool RunFullScreen(HostState& host) = 0;
  // Preview: the child window of parent with the off-screen picture; runs the loop.
  // False when no window could be created.
  virtual bool RunPreview(HostState& host, WindowHandle parent) = 0;
  // Settings, SettingsNoSave: shows the settings dialog over host.Scene until it closes.
  virtual void RunSettingsDialog(HostState& host) = 0;
  // ChangePassword: the system's password change dialog.
  virtual void ChangePassword(HostState& host) = 0;
};

// Writes one note per mode to a stream (stderr in the program) and creates nothing.
class HeadlessFrontEnd : public SaverFrontEnd {
public:
  explicit HeadlessFrontEnd(std::ostream& notes) : notes_(notes) {}
  bool RunFullScreen(HostState& host) override;
  bool RunPreview(HostState& host, WindowHandle parent) override;
  void RunSettingsDialog(HostState& host) override;
  void ChangePassword(HostState& host) override;

private:
  std::ostream& notes_;
};

}  // namespace velquora
