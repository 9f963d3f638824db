#pragma once
// The choice of the host mode from the saver file's extension and the first switch of
// the command line, and the preview's host-window argument. Pure functions of the text.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "host/host_state.h"
#include "platform/win/window_handle.h"

namespace velquora {

// The extension of the path's file name, from its last dot (dot included); empty when
// the file name has none. Both '/' and '\' separate directories.
std::string_view FileExtension(std::string_view path);

// Program for a file whose extension upper-cases to ".EXE", Settings for anything else.
HostMode DefaultHostMode(std::string_view program_path);

// The mode that the first two characters of an argument select, upper-cased: /S -S Run,
// /P -P Preview, /C -C Settings, PR SettingsNoSave, /A -A ChangePassword, SP Show.
// Arguments shorter than two characters and other pairs select nothing.
std::optional<HostMode> SwitchHostMode(std::string_view argument);

// The switch of argument 1 when it selects a mode, else the default by extension.
// arguments holds the saver's arguments 1, 2, ...
HostMode ChooseHostMode(std::string_view program_path, std::span<const std::string> arguments);

// The preview's host window from argument 2: a plain decimal number, or a hexadecimal
// one after "0x" (as X11 tools print window ids); anything else,
// an empty or missing argument, or a number too large for a handle gives kNoWindow.
WindowHandle ParseWindowHandle(std::string_view argument);

}  // namespace velquora
