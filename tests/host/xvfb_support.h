#pragma once
// End-to-end support on a virtual X server: child processes with their own environment,
// polling with a time limit, and one Xvfb that picks a free display number itself.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/x11_client.h"

extern char** environ;

namespace velquora::testing {

namespace fs = std::filesystem;
using E2eClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

inline std::optional<fs::path> FindInPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream directories(path != nullptr ? path : "/usr/bin:/bin");
  std::string directory;
  while (std::getline(directories, directory, ':')) {
    const fs::path candidate = fs::path(directory) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

// A child process with its own environment; killed if still running at the end.
class Process {
public:
  // fd_3, when given, becomes the child's descriptor 3.
  Process(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
          const fs::path& output = "/dev/null", int fd_3 = -1) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (fd_3 >= 0) posix_spawn_file_actions_adddup2(&actions, fd_3, 3);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Process() {
    if (pid_ > 0 && !exit_code_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Started() const { return pid_ > 0; }
  bool Running() {
    if (exit_code_ || pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
    exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
  }
  // The exit code once the process ended within the time; empty otherwise.
  std::optional<int> WaitFor(std::chrono::milliseconds limit) {
    const auto end = E2eClock::now() + limit;
    while (Running() && E2eClock::now() < end) std::this_thread::sleep_for(milliseconds(10));
    return exit_code_;
  }
  void Signal(int signal) {
    if (Running()) kill(pid_, signal);
  }

private:
  pid_t pid_ = -1;
  std::optional<int> exit_code_;
};

// Polls until the check holds or the time is up.
template <typename Check>
bool Eventually(Check check, std::chrono::milliseconds limit = milliseconds(4000)) {
  const auto end = E2eClock::now() + limit;
  while (E2eClock::now() < end) {
    if (check()) return true;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return check();
}


// One Xvfb at 640 x 480 x 24 for a suite. Xvfb picks a free display number itself and
// writes it to descriptor 3, so that test programs running side by side never race for
// one.
class VirtualDisplay {
public:
  // Empty when Xvfb is not installed or did not come up. server_options go to Xvfb
  // ("-extension", "MIT-SHM" turns off the memory shared with clients, as on a display
  // of another machine).
  static std::unique_ptr<VirtualDisplay> Start(const std::vector<std::string>& server_options = {}) {
    const std::optional<fs::path> xvfb = FindInPath("Xvfb");
    if (!xvfb) return nullptr;
    int number_pipe[2];
    if (pipe2(number_pipe, O_CLOEXEC) != 0) return nullptr;
    std::unique_ptr<VirtualDisplay> display(new VirtualDisplay);
    std::vector<std::string> arguments{xvfb->string(), "-displayfd", "3", "-screen", "0", "640x480x24", "-nolisten",
                                       "tcp", "-noreset"};
    arguments.insert(arguments.end(), server_options.begin(), server_options.end());
    display->server_ = std::make_unique<Process>(arguments, std::vector<std::string>{"PATH=/usr/bin:/bin"}, "/dev/null",
                                                 number_pipe[1]);
    close(number_pipe[1]);
    std::string number;
    pollfd readable{number_pipe[0], POLLIN, 0};
    char digit = 0;
    while (poll(&readable, 1, 5000) > 0 && read(number_pipe[0], &digit, 1) == 1 && digit != '\n') number += digit;
    close(number_pipe[0]);
    if (number.empty()) return nullptr;
    display->name_ = ":" + number;
    const std::string name = display->name_;
    if (!Eventually([&] { return TX11Client::Connect(name) != nullptr; }, milliseconds(5000))) return nullptr;
    return display;
  }
  ~VirtualDisplay() {
    if (server_) {
      server_->Signal(SIGTERM);  // lets it remove its socket and lock file
      server_->WaitFor(milliseconds(3000));
    }
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  const std::string& Name() const { return name_; }

  // The environment of a program under test: this display, its own settings folder,
  // and everything else of ours except a screen-saver daemon's window.
  std::vector<std::string> ProgramEnvironment(const fs::path& config_home) const {
    // Under LeakSanitizer, what the display libraries keep for good is not the program's.
    std::string leak_options =
        "LSAN_OPTIONS=print_suppressions=0:suppressions=" VELQUORA_TEST_FILES "/lsan/display_libraries.supp";
    std::vector<std::string> environment = {"DISPLAY=" + name_, "XDG_CONFIG_HOME=" + config_home.string()};
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      if (text.starts_with("LSAN_OPTIONS=")) {
        leak_options += ":" + text.substr(text.find('=') + 1);
      } else if (!text.starts_with("DISPLAY=") && !text.starts_with("XDG_CONFIG_HOME=") &&
                 !text.starts_with("XSCREENSAVER_WINDOW=")) {
        environment.push_back(text);
      }
    }
    environment.push_back(leak_options);
    return environment;
  }

  bool MovePointer(int x, int y) const {
    const std::string command =
        "DISPLAY=" + name_ + " xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
  }

  // Runs xdotool on this display; its output.
  std::string XDoTool(const std::string& arguments) const {
    const std::string command = "DISPLAY=" + name_ + " xdotool " + arguments + " 2>/dev/null";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[256];
      while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
      pclose(pipe);
    }
    return output;
  }

private:
  VirtualDisplay() = default;
  std::unique_ptr<Process> server_;
  std::string name_;
};

}  // namespace velquora::testing
