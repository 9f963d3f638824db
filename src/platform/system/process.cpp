#include "platform/system/process.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace velquora {

std::string RunningProgramPath(const std::string& argument0) {
  std::error_code error;
  const auto resolved = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? argument0 : resolved.string();
}

void EndProcessNow(int exit_code) {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::_Exit(exit_code);
}

}  // namespace velquora
