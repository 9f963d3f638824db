#include "platform/system/shell_open.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace velquora {

namespace {

constexpr const char* kOpener = "xdg-open";

ScopedShellOpener::Starter& InstalledStarter() {
  static ScopedShellOpener::Starter starter;
  return starter;
}

}  // namespace

bool StartDetachedProgram(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return false;
  // Everything the children use is prepared here: after fork only exec and _exit run.
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  // Fork twice: the middle process ends at once and is reaped here, so the program
  // itself is adopted by init and never lingers as this process's zombie.
  const pid_t middle = fork();
  if (middle < 0) return false;
  if (middle == 0) {
    const pid_t opener = fork();
    if (opener == 0) {
      setsid();
      execvp(argv[0], argv.data());
      _exit(127);
    }
    _exit(opener < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(middle, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ShellOpen(std::string_view text) {
  std::vector<std::string> arguments{kOpener, std::string(text)};
  if (InstalledStarter()) {
    InstalledStarter()(arguments);
    return;
  }
  StartDetachedProgram(arguments);  // failures are ignored
}

ScopedShellOpener::ScopedShellOpener(Starter starter) : previous_(std::exchange(InstalledStarter(), std::move(starter))) {}

ScopedShellOpener::~ScopedShellOpener() { InstalledStarter() = std::move(previous_); }

}  // namespace velquora
