#pragma once
// Message boxes. Everything the system shows the user goes through ShowMessageBox, which
// asks the installed MessageBoxes back end. Without a display the box is written to
// stderr as "Caption: text" and answered with its default button.
#include <memory>
#include <string>

#include "platform/win/window_handle.h"

namespace velquora {

enum class MessageBoxIcon { None, Error, Warning, Information, Question };
enum class MessageBoxButtons { Ok, YesNo };
enum class MessageBoxResult { Ok, Yes, No };

struct MessageBoxRequest {
  WindowHandle owner = kNoWindow;
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  MessageBoxIcon icon = MessageBoxIcon::None;
  MessageBoxButtons buttons = MessageBoxButtons::Ok;
  MessageBoxResult default_button = MessageBoxResult::Ok;
};

class MessageBoxes {
public:
  virtual ~MessageBoxes() = default;
  virtual MessageBoxResult Show(const MessageBoxRequest& request) = 0;
};

// Writes "Caption: text" to stderr and answers with the default button.
class StderrMessageBoxes : public MessageBoxes {
public:
  MessageBoxResult Show(const MessageBoxRequest& request) override;
};

MessageBoxResult ShowMessageBox(const MessageBoxRequest& request);

// The system's error box: the text under the caption "Error", with the error icon and
// an OK button.
void ShowErrorBox(const std::string& text, WindowHandle owner = kNoWindow);

// Installs a back end for the process (tests install a recording fake); returns the
// previous one. nullptr restores the stderr back end.
std::shared_ptr<MessageBoxes> SetMessageBoxes(std::shared_ptr<MessageBoxes> boxes);

// Installs a back end for the lifetime of this object.
class ScopedMessageBoxes {
public:
  explicit ScopedMessageBoxes(std::shared_ptr<MessageBoxes> boxes)
      : previous_(SetMessageBoxes(std::move(boxes))) {}
  ~ScopedMessageBoxes() { SetMessageBoxes(previous_); }
  ScopedMessageBoxes(const ScopedMessageBoxes&) = delete;
  ScopedMessageBoxes& operator=(const ScopedMessageBoxes&) = delete;

private:
  std::shared_ptr<MessageBoxes> previous_;
};

}  // namespace velquora
