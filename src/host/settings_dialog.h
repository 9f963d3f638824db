#pragma once
// The settings dialog and the about dialog. Both are built at run time from in-memory
// templates whose texts, font and optional buttons come from the scene; their layout is
// fixed in design units scaled to the chosen font. Each runs its own loop that hands
// messages only to its dialog: while the about dialog is open over the settings dialog
// (or the saver window) nothing else reacts.
#include <cstdint>
#include <string_view>

#include "host/dialog_layout.h"
#include "host/host_settings.h"
#include "host/host_state.h"
#include "platform/win/window_system.h"

namespace velquora {

// The font every layout is measured against.
inline constexpr const char* kReferenceFontName = "MS Sans Serif";
inline constexpr std::int32_t kReferenceFontSize = 8;
inline constexpr double kReferenceScaleX = 1.59;
inline constexpr double kReferenceScaleY = 1.55;

// What the dialogs work with besides the host state.
struct DialogServices {
  TWindowSystem& Windows;
  HostSettings& Settings;  // the settings dialog's OK stores through it
};

// Design units per dialog unit for a font: two hidden probe dialogs of 200 x 200 dialog
// units, one in the font and one in "MS Sans Serif" 8, give factors such that a design
// unit is 1/1.59 of a horizontal and 1/1.55 of a vertical dialog unit of the reference
// font. A probe that cannot be made leaves both factors at 1.5.
DialogScale MeasureDialogScale(TWindowSystem& windows, std::string_view font_name, std::int32_t font_size);

// Builds, shows and runs the settings dialog over host.Scene until it is closed. OK
// stores the settings (only in Settings mode); Cancel and Esc store nothing. The speed
// bar and the check box change the scene's fields at once.
void ShowSettingsDialog(HostState& host, DialogServices& services);

// Builds, shows and runs the about dialog over parent until OK, Cancel or Esc; while
// it is open host.AboutDialog holds its handle.
void ShowAboutDialog(HostState& host, DialogServices& services, WindowHandle parent);

// Asks the desktop to open a link text from the scene; failures are ignored.
void OpenLink(std::string_view text);

}  // namespace velquora
