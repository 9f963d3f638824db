#pragma once
// Opening a link or file with the desktop's preferred program (xdg-open), the way a user
// double-clicks it. The text is handed over as one argument of a program started
// without a shell, so nothing in it is ever read as a command. Every failure is ignored:
// the caller does not wait for, or look at, what the opener does.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velquora {

// Starts the program named by arguments[0] (looked up in PATH) with those arguments,
// detached: it is not a child that this process has to wait for. False when it could
// not be started.
bool StartDetachedProgram(const std::vector<std::string>& arguments);

// Asks the desktop to open text: starts "xdg-open" with text as its one argument.
void ShellOpen(std::string_view text);

// Replaces what ShellOpen starts for the lifetime of this object (tests record the
// arguments instead of starting a program).
class ScopedShellOpener {
public:
  using Starter = std::function<void(const std::vector<std::string>& arguments)>;
  explicit ScopedShellOpener(Starter starter);
  ~ScopedShellOpener();
  ScopedShellOpener(const ScopedShellOpener&) = delete;
  ScopedShellOpener& operator=(const ScopedShellOpener&) = delete;

private:
  Starter previous_;
};

}  // namespace velquora
