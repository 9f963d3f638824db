#pragma once
// The saver's entry and start-up: the integrity check, the mode from the file's
// extension and the command line, the clean-up of leftover temporary files, and the
// dispatch to the mode's branch. Every path ends with exit code 0.
#include <filesystem>
#include <string>
#include <vector>

#include "host/host_settings.h"
#include "host/host_state.h"
#include "host/saver_front_end.h"

namespace velquora {

// What start-up works with besides the host state: the stored settings, the display
// side of the modes and the temporary directory to clean.
struct HostServices {
  HostSettings& Settings;
  SaverFrontEnd& FrontEnd;
  std::filesystem::path TemporaryDirectory;
};

// The whole run of a saver process: marks this process's temporary files, takes the
// saver file and its arguments (1, 2, ...), checks the file and, when it may go on,
// starts up. Returns the exit code, always 0.
int RunSaverProcess(HostState& host, std::string program_path, std::vector<std::string> arguments,
                    HostServices& services);

// Start-up after a passed check: palette display, mode, temporary clean-up, dispatch.
void StartUp(HostState& host, HostServices& services);

// Runs the branch of host.Mode.
void Dispatch(HostState& host, HostServices& services);

}  // namespace velquora
