#include "platform/win/message_box.h"

#include <iostream>
#include <string_view>
#include <utility>

namespace velquora {

namespace {
std::shared_ptr<MessageBoxes>& Installed() {
  static std::shared_ptr<MessageBoxes> boxes = std::make_shared<StderrMessageBoxes>();
  return boxes;
}
}  // namespace

namespace {
// Message texts break lines with carriage returns as Windows boxes do; a terminal would
// overwrite the line instead, so they become newlines here.
std::string ForTerminal(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}
}  // namespace

MessageBoxResult StderrMessageBoxes::Show(const MessageBoxRequest& request) {
  std::cerr << request.caption << ": " << ForTerminal(request.text) << std::endl;
  return request.buttons == MessageBoxButtons::Ok ? MessageBoxResult::Ok : request.default_button;
}

MessageBoxResult ShowMessageBox(const MessageBoxRequest& request) { return Installed()->Show(request); }

std::shared_ptr<MessageBoxes> SetMessageBoxes(std::shared_ptr<MessageBoxes> boxes) {
  if (!boxes) boxes = std::make_shared<StderrMessageBoxes>();
  return std::exchange(Installed(), std::move(boxes));
}

void ShowErrorBox(const std::string& text, WindowHandle owner) {
  MessageBoxRequest box;
  box.owner = owner;
  box.text = text;
  box.caption = "Error";
  box.icon = MessageBoxIcon::Error;
  ShowMessageBox(box);
}

}  // namespace velquora
