#pragma once
// The running program: its own file and ending it at once.
#include <string>

namespace velquora {

// The full path of the running program file: the link /proc/self/exe resolves to, or
// argument 0 as given when that link cannot be read.
std::string RunningProgramPath(const std::string& argument0);

// Flushes the standard streams and ends the process with the exit code, without
// unwinding: no destructors of the callers run (a failed scene load ends this way from
// inside the window's timer).
[[noreturn]] void EndProcessNow(int exit_code);

}  // namespace velquora
