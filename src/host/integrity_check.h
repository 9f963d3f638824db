#pragma once
// The check of the whole saver file against its stored checksum before any mode runs,
// so that a file damaged or cut short in transfer is noticed; the user may still go on.
#include <string>

#include "host/host_settings.h"
#include "host/host_state.h"

namespace velquora {

// True to go on with start-up. Skipped (true) when the settings say the check passed
// before. An unopenable file is reported and gives false; a mismatch asks the user,
// whose Yes gives true.
bool CheckSaverFile(const HostState& host, HostSettings& settings);

// The question asked about a corrupted file, naming only its file name.
std::string CorruptedFileQuestion(const std::string& program_path);

}  // namespace velquora
