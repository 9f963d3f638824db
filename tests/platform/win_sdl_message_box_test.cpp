#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/win/sdl_backend.h"

namespace velquora {
namespace {

// Takes the display away for the test's lifetime, so that no box can appear.
class NoDisplay {
public:
  NoDisplay() : display_(Take("DISPLAY")), wayland_(Take("WAYLAND_DISPLAY")) {}
  ~NoDisplay() {
    Give("DISPLAY", display_);
    Give("WAYLAND_DISPLAY", wayland_);
  }
  NoDisplay(const NoDisplay&) = delete;
  NoDisplay& operator=(const NoDisplay&) = delete;

private:
  static std::optional<std::string> Take(const char* name) {
    const char* value = std::getenv(name);
    std::optional<std::string> kept = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    unsetenv(name);
    return kept;
  }
  static void Give(const char* name, const std::optional<std::string>& value) {
    if (value) setenv(name, value->c_str(), 1);
  }
  std::optional<std::string> display_;
  std::optional<std::string> wayland_;
};

class CapturedStderr {
public:
  CapturedStderr() : previous_(std::cerr.rdbuf(text_.rdbuf())) {}
  ~CapturedStderr() { std::cerr.rdbuf(previous_); }
  CapturedStderr(const CapturedStderr&) = delete;
  CapturedStderr& operator=(const CapturedStderr&) = delete;
  std::string Text() const { return text_.str(); }

private:
  std::ostringstream text_;
  std::streambuf* previous_;
};

TEST(SdlMessageBoxes, WithoutADisplayTheBoxGoesToStderrAndTheDefaultButtonAnswers) {
  NoDisplay no_display;
  SdlMessageBoxes boxes;
  const struct {
    MessageBoxButtons buttons;
    MessageBoxResult default_button;
    MessageBoxResult answer;
  } rows[] = {
      {MessageBoxButtons::YesNo, MessageBoxResult::No, MessageBoxResult::No},
      {MessageBoxButtons::YesNo, MessageBoxResult::Yes, MessageBoxResult::Yes},
      {MessageBoxButtons::Ok, MessageBoxResult::No, MessageBoxResult::Ok},
  };
  for (const auto& row : rows) {
    CapturedStderr captured;
    MessageBoxRequest request;
    request.text = "File is corrupted.";
    request.caption = "Error";
    request.buttons = row.buttons;
    request.default_button = row.default_button;
    EXPECT_EQ(boxes.Show(request), row.answer) << static_cast<int>(row.default_button);
    EXPECT_EQ(captured.Text(), "Error: File is corrupted.\n");
  }
}

TEST(DisplayBackend, NoDisplayMeansNoBackEnd) {
  NoDisplay no_display;
  EXPECT_EQ(OpenDisplayBackend(), nullptr);
}

}  // namespace
}  // namespace velquora
