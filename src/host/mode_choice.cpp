#include "host/mode_choice.h"

#include <array>
#include <charconv>
#include <utility>

#include "core/ansi_text.h"

namespace velquora {

std::string_view FileExtension(std::string_view path) {
  const auto separator = path.find_last_of("/\\");
  const std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

HostMode DefaultHostMode(std::string_view program_path) {
  return UpperCaseAnsi(FileExtension(program_path)) == ".EXE" ? HostMode::Program : HostMode::Settings;
}

std::optional<HostMode> SwitchHostMode(std::string_view argument) {
  static constexpr std::array<std::pair<std::string_view, HostMode>, 10> kSwitches{{
      {"/S", HostMode::Run},
      {"-S", HostMode::Run},
      {"/P", HostMode::Preview},
      {"-P", HostMode::Preview},
      {"/C", HostMode::Settings},
      {"-C", HostMode::Settings},
      {"PR", HostMode::SettingsNoSave},
      {"/A", HostMode::ChangePassword},
      {"-A", HostMode::ChangePassword},
      {"SP", HostMode::Show},
  }};
  if (argument.size() < 2) return std::nullopt;
  const AnsiString first_two = UpperCaseAnsi(argument.substr(0, 2));
  for (const auto& [text, mode] : kSwitches) {
    if (first_two == text) return mode;
  }
  return std::nullopt;
}

HostMode ChooseHostMode(std::string_view program_path, std::span<const std::string> arguments) {
  if (!arguments.empty()) {
    if (const auto mode = SwitchHostMode(arguments.front())) return *mode;
  }
  return DefaultHostMode(program_path);
}

WindowHandle ParseWindowHandle(std::string_view argument) {
  WindowHandle handle = kNoWindow;
  int base = 10;
  if (argument.size() > 2 && argument[0] == '0' && (argument[1] == 'x' || argument[1] == 'X')) {
    argument.remove_prefix(2);  // X11 tools print window ids in hexadecimal
    base = 16;
  }
  const char* end = argument.data() + argument.size();
  const auto [stop, error] = std::from_chars(argument.data(), end, handle, base);
  if (error != std::errc() || stop != end) return kNoWindow;
  return handle;
}

}  // namespace velquora
