#pragma once
// The parts of each mode that need a display: the saver window with its message loop,
// the preview window, the settings dialog and the password change. Start-up prepares
// the scene and the host state, then hands over to the installed front end. Without a
// display the headless front end only says what it would have shown.
#include <functional>
#include <iosfwd>
#include <string>

#include "host/host_settings.h"
#include "host/host_state.h"
#include "host/password.h"
#include "platform/win/window_system.h"

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

// The scene's own operations that the window calls: one playback tick, and the rewind
// before the loop of the full-screen modes.
struct SceneOperations {
  std::function<void(TVelquoraScene&)> Step;
  std::function<void(TVelquoraScene&)> Restart;
};

// One line on the sound of a run: "sound on|off, player ok|failed, " and "no sound
// started" or "last sound NAME" (the file the player was last given).
std::string SoundReport(const TVelquoraScene& scene);

// Plays the full-screen and preview modes in windows of a window system and shows the
// settings dialog (and Program mode's about dialog on closing) in its dialogs. With
// embed set, the full-screen modes play into that window of another program (a
// screen-saver daemon's window or the root window) at its size instead of opening
// their own. The password change is left to the headless notes.
class WindowFrontEnd : public SaverFrontEnd {
public:
  WindowFrontEnd(TWindowSystem& windows, HostSettings& settings, TSaverPassword* password, SceneOperations scene,
                 std::ostream& notes, WindowHandle embed = kNoWindow);
  bool RunFullScreen(HostState& host) override;
  bool RunPreview(HostState& host, WindowHandle parent) override;
  void RunSettingsDialog(HostState& host) override;
  void ChangePassword(HostState& host) override { headless_.ChangePassword(host); }

  // After a window closes, write "velquora-saver: played N steps" and the state of the
  // sound (SoundReport) to the notes.
  bool ReportSteps = false;

private:
  struct SaverWindowServices Services();
  void Report(const HostState& host, bool shown);

  TWindowSystem& windows_;
  HostSettings& settings_;
  TSaverPassword* password_;
  SceneOperations scene_;
  std::ostream& notes_;
  HeadlessFrontEnd headless_;
  WindowHandle embed_;
};

}  // namespace velquora
